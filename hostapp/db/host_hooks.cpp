#include "hostapp/db/host_hooks.h"

#include "hostapp/db/database_error.h"

void fail_if_interrupted(const std::atomic<bool>* interrupted) {
    if (interrupted && interrupted->load()) raise_database_error(u"The update was interrupted");
}
