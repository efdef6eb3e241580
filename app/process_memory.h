// How the program's heap gives memory back to the system.
#pragma once

// A run allocates and frees an object's worth of memory several times a record. With the C
// library's defaults each large block is mapped and unmapped, or the heap's top trimmed, every
// time, and the pages are zeroed again by the system at each reuse: this keeps up to a few tens
// of megabytes of freed memory in the heap for the next record instead. The peak is unchanged.
void keep_freed_memory_for_reuse();
