#include "media/CMediaObjectHandler.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "com/bstr.h"
#include "com/class_factory.h"
#include "com/error.h"
#include "platform/binary_files.h"
#include "platform/ole/ansi_codepage.h"
#include "platform/ole/desktop_database_header.h"
#include "platform/ole/ole_error.h"

namespace ole = pathmender::ole;

namespace {

constexpr char16_t kTempFileExtension[] = u".OLE";
// Bounds each piece of text converted for writing.
constexpr std::size_t kWriteChunk = 10256;

// The temporary file of one operation, with the host service objects that named it: all of it
// lives for that operation only.
struct TransferFile {
    ComPtr<IHostFileServices> file_services;
    ComPtr<IHostOleServices> ole_services;
    std::u16string path;
    int number = 0;
    bool open = false;
    // Only a file this operation created is ever deleted: a name that turned out to be taken
    // belongs to someone else.
    bool owned = false;

    TransferFile() = default;
    TransferFile(const TransferFile&) = delete;
    TransferFile& operator=(const TransferFile&) = delete;
    ~TransferFile() { discard(); }

    void close() {
        if (!open) return;
        open = false;
        Close(number);
    }
    void reopen() {
        OpenBinary(path, number, Create::Never);
        open = true;
    }
    void remove() {
        Kill(path);
        owned = false;
    }
    // The error trap's clean-up. Its own failures give way to the error being handled.
    void discard() noexcept {
        try {
            close();
        } catch (...) {
        }
        if (!owned) return;
        owned = false;
        try {
            Kill(path);
        } catch (...) {
        }
    }
};

// Creates the file services, the OLE services and, under the next free file number, a new file
// at the temporary path the host names for this session.
void create_temporary_file(TransferFile& file, ISessionContext* session) {
    file.file_services = create_instance<IHostFileServices>(CLSID_HostFileServices);
    file.ole_services = create_instance<IHostOleServices>(CLSID_HostOleServices);

    Bstr location;
    check(file.ole_services->get_TempPath(location.put()), file.ole_services.get());
    if (!session) raise_standard_error(RuntimeError::ObjectVariableNotSet);
    LONG session_id = 0;
    check(session->get_SessionID(&session_id), session);

    // The host takes all three by reference.
    BSTR location_arg = location.release();
    BSTR extension_arg = make_bstr(kTempFileExtension);
    Bstr path;
    HRESULT hr = file.file_services->MakeTempFileName(&location_arg, &extension_arg, &session_id, path.put());
    SysFreeString(location_arg);
    SysFreeString(extension_arg);
    check(hr, file.file_services.get());

    file.path = path.str();
    file.number = FreeFile();
    OpenBinary(file.path, file.number, Create::Exclusive);
    file.open = true;
    file.owned = true;
}

std::uint8_t ansi_byte(char16_t c) {
    auto byte = ole::char_to_ansi(c);
    if (!byte) raise_standard_error(RuntimeError::InvalidProcedureCall);
    return *byte;
}

// Where the image starts: after the desktop database header, if the data has one. Only the
// header's fixed fields are converted here; the rest is converted as it is written.
std::size_t image_start(std::u16string_view data) {
    if (data.size() < 2) raise_standard_error(RuntimeError::InvalidProcedureCall);
    std::uint8_t head[ole::kDesktopDatabaseHeaderFixedSize];
    const std::size_t head_size = std::min(data.size(), std::size(head));
    for (std::size_t i = 0; i < head_size; ++i) head[i] = ansi_byte(data[i]);
    try {
        return ole::desktop_database_header_length(ole::ByteView(head, head_size), data.size());
    } catch (const ole::OleError&) {
        // Data that ends inside the header's length fails as reading past its end does; a length
        // that ends inside the header's own fields, or beyond the data, leaves no image to trust.
        if (head_size < std::size(head)) raise_standard_error(RuntimeError::InvalidProcedureCall);
        raise_error(RuntimeError::OleLoadFromFile);
    }
}

}  // namespace

void CMediaObjectHandler::Init(ComPtr<ISessionContext>& context) {
    SessionContext = context;
}

void CMediaObjectHandler::Closedown() { SessionContext.reset(); }

void CMediaObjectHandler::LoadObject(IOleContainerControl* oOle, const std::u16string& Data) {
    TransferFile file;
    try {
        if (!oOle) raise_standard_error(RuntimeError::ObjectVariableNotSet);
        create_temporary_file(file, SessionContext.get());

        std::size_t start = image_start(Data);
        std::size_t remaining = Data.size() - start;

        std::size_t chunk = kWriteChunk;
        const std::u16string_view data(Data);
        while (remaining > 0) {
            chunk = std::min(chunk, remaining);
            WriteText(file.number, data.substr(start, chunk));
            remaining -= chunk;
            start += chunk;
        }

        // The control reads from the start of a freshly opened file.
        file.close();
        file.reopen();
        check(oOle->ReadFromFile(SHORT(file.number)), oOle);
        file.close();
        file.remove();
    } catch (...) {
        file.discard();
        RaiseObjectError(error_number_from_hresult(hresult_from_current_exception()));
    }
}

std::u16string CMediaObjectHandler::SaveObjectToFile(IOleContainerControl* oOle, LONG& FileLength) {
    FileLength = 0;
    TransferFile file;
    // Failures up to here leave directly: no file was created.
    create_temporary_file(file, SessionContext.get());
    try {
        if (!oOle) raise_standard_error(RuntimeError::ObjectVariableNotSet);
        check(oOle->SaveToFile(SHORT(file.number)), oOle);
        file.close();
        const std::int64_t length = FileLen(file.path);
        if (length > std::numeric_limits<LONG>::max()) raise_standard_error(RuntimeError::Overflow);
        FileLength = LONG(length);
        file.owned = false;  // the caller deletes it
        return file.path;
    } catch (...) {
        file.discard();
        RaiseObjectError(error_number_from_hresult(hresult_from_current_exception()));
    }
}

std::u16string CMediaObjectHandler::FlattenObject(IOleContainerControl* oOle) {
    std::u16string result;
    TransferFile file;
    try {
        LONG length = 0;
        file.path = SaveObjectToFile(oOle, length);
        if (!file.path.empty()) {
            file.owned = true;
            file.number = FreeFile();
            file.reopen();
            if (length > 0) {
                // One read of the whole image, converted in one step.
                std::vector<std::uint8_t> bytes = ReadBytes(file.number, std::size_t(length));
                result = ole::ansi_decode(bytes);
            }
            file.close();
            file.remove();
        }
        return result;
    } catch (...) {
        file.discard();
        RaiseObjectError(error_number_from_hresult(hresult_from_current_exception()));
    }
}

void CMediaObjectHandler::RaiseObjectError(LONG number) {
    struct ObjectErrorText {
        RuntimeError error;
        const char16_t* text;
    };
    static constexpr ObjectErrorText kTexts[] = {
        {RuntimeError::OleOutOfMemory, u"Out of Memory"},
        {RuntimeError::OleNoObject, u"Invalid data found"},
        {RuntimeError::OleClassNotSet, u"Corresponding Application needs to be re-installed"},
        {RuntimeError::OleCannotActivate, u"Corresponding Application needs to be re-installed"},
        {RuntimeError::OleCannotCreateEmbedded, u"Corresponding Application needs to be re-installed"},
        {RuntimeError::OleSaveToFile, u"Disk Error"},
        {RuntimeError::OleLoadFromFile, u"Invalid data found"},
    };
    std::u16string description;
    for (const auto& entry : kTexts)
        if (error_number(entry.error) == number) description = entry.text;
    raise_error(number, std::move(description));
}
