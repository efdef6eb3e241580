#include "app/local_time_zone.h"

#include <cstdlib>

#include <sys/stat.h>

namespace {
constexpr char kLocalTimeFile[] = "/etc/localtime";
}

// GLib looks the local zone up afresh (a stat and a readlink of /etc/localtime) every time it is
// asked for it while TZ is unset, and libgsf asks once for every compound file it opens: one look-up
// per stored object read. With TZ naming the file, GLib keeps the zone it has.
void pin_local_time_zone() {
    if (std::getenv("TZ")) return;
    struct stat info;
    if (::stat(kLocalTimeFile, &info) != 0) return;  // no zone file: the zone is UTC either way
    ::setenv("TZ", kLocalTimeFile, 0);
}
