// The local time zone, named once for the whole process.
#pragma once

// When TZ is unset and /etc/localtime exists, sets TZ to "/etc/localtime": the file the C library
// reads when TZ is unset, so every local time stays the same. Call before any thread starts.
void pin_local_time_zone();
