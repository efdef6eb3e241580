// The host's creatable classes: file, OLE, string and path services and the stand-alone API.
#pragma once

#include "hostapp/services/host_environment.h"

// Registers a class object for each with the running program, so CoCreateInstance finds them;
// every object they make works in environment.
void register_host_classes(HostEnvironmentRef environment);
void revoke_host_classes();

// The host's classes registered for as long as it lives: the objects they make may hold the
// program's hooks, which live no longer than it does.
class HostClassRegistration {
public:
    explicit HostClassRegistration(HostEnvironmentRef environment) { register_host_classes(std::move(environment)); }
    ~HostClassRegistration() { revoke_host_classes(); }
    HostClassRegistration(const HostClassRegistration&) = delete;
    HostClassRegistration& operator=(const HostClassRegistration&) = delete;
};
