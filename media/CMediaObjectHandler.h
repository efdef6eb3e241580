// Moves a media record's OLE object between its flattened text (the Object column) and an OLE
// container control. The control loads and saves only through open files, so every transfer goes
// through a private temporary ".OLE" file that lives for that one operation.
#pragma once

#include <string>

#include "com/comptr.h"
#include "contracts/host_services.h"
#include "platform/ole_control.h"

class CMediaObjectHandler {
public:
    CMediaObjectHandler() = default;
    CMediaObjectHandler(const CMediaObjectHandler&) = delete;
    CMediaObjectHandler& operator=(const CMediaObjectHandler&) = delete;

    // Keeps a reference to the session context (a second Init replaces it).
    void Init(ComPtr<ISessionContext>& context);
    // Releases the session context; harmless when not initialised.
    void Closedown();

    // Replaces oOle's object with the one in Data: a plain image, or one behind a header that
    // starts with the bytes 0x15 0x1C and a 16-bit header length.
    void LoadObject(IOleContainerControl* oOle, const std::u16string& Data);
    // oOle's object as a plain image, one character per byte; empty when the control wrote nothing.
    std::u16string FlattenObject(IOleContainerControl* oOle);
    // Saves oOle's object into a new temporary file and returns its path; the caller deletes it.
    std::u16string SaveObjectToFile(IOleContainerControl* oOle, LONG& FileLength);

    // Raises number again with this handler's text for the control's errors (empty for others).
    [[noreturn]] static void RaiseObjectError(LONG number);

private:
    ComPtr<ISessionContext> SessionContext;
};
