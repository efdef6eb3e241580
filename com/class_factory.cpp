#include "com/class_factory.h"

#include "com/error.h"

void throw_create_failure(HRESULT hr) {
    ErrorRecord record;
    if (hr == REGDB_E_CLASSNOTREG || !GetErrorRecord(hr, &record))
        raise_standard_error(RuntimeError::CannotCreateObject);
    check(hr);
    raise_standard_error(RuntimeError::CannotCreateObject);  // not reached: check throws for a failure
}
