#include "hostapp/db/write_back_grouping.h"

#include "hostapp/db/host_database.h"

void WriteBackGrouping::make_durable() {
    for (HostDatabase* database : databases_) database->make_durable();
}
