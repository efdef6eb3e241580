// The host's creatable classes: file, OLE, string and path services and the stand-alone API.
#pragma once

// Registers a class object for each with the running program, so CoCreateInstance finds them.
void register_host_classes();
void revoke_host_classes();
