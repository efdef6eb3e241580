#include "app/local_time_zone.h"

#include <cstdlib>

#include <sys/stat.h>

namespace {
constexpr char kLocalTimeFile[] = "/etc/localtime";
}

// The C library looks the local zone up afresh (a stat of /etc/localtime) every time it is asked
// for local time while TZ is unset. With TZ naming the file, it keeps the zone it has.
void pin_local_time_zone() {
    if (std::getenv("TZ")) return;
    struct stat info;
    if (::stat(kLocalTimeFile, &info) != 0) return;  // no zone file: the zone is UTC either way
    ::setenv("TZ", kLocalTimeFile, 0);
}
