#include "com/class_factory.h"

#include "com/error.h"

void throw_create_failure(HRESULT hr) {
    ErrorRecord record;
    if (hr == REGDB_E_CLASSNOTREG || !GetErrorRecord(hr, &record))
        raise_standard_error(RuntimeError::CannotCreateObject);
    raise_error(record.number, std::move(record.description), std::move(record.source));
}
