// The run-time errors this system raises, each named once with the platform's standard text for it.
// Code raises a name (raise_standard_error(RuntimeError::FileNotFound)), never its number; numbers
// that arrive from elsewhere (a callee's HRESULT, an error record) stay numbers.
#pragma once

#include <cstdint>
#include <string_view>

enum class RuntimeError : std::int32_t {
    // An argument out of its range, or a call the object cannot take in its present state.
    InvalidProcedureCall = 5,
    // A number that does not fit the type it is converted to.
    Overflow = 6,
    // An allocation failed, or a size passed what the structure can count.
    OutOfMemory = 7,
    // An index outside a collection.
    SubscriptOutOfRange = 9,
    // A value, or an object, of another kind than the one asked for (a failed Set).
    TypeMismatch = 13,
    // A file number outside 1..511 or not open, or a file name the system cannot take.
    BadFileNameOrNumber = 52,
    // A file that is not there.
    FileNotFound = 53,
    // A file used in a way its open mode does not allow.
    BadFileMode = 54,
    // Opening, or deleting, a file that is open.
    FileAlreadyOpen = 55,
    // An input or output failure the operating system gives no other name.
    DeviceIOError = 57,
    // Creating a file whose name is taken.
    FileAlreadyExists = 58,
    // No space left for a write.
    DiskFull = 61,
    // Reading past the end of a file.
    InputPastEndOfFile = 62,
    // No free file number, or the process has no descriptor left.
    TooManyFiles = 67,
    // A device that is not there.
    DeviceUnavailable = 68,
    // The operating system refused access.
    PermissionDenied = 70,
    // A path that names something other than a regular file, or that cannot be used as given.
    PathFileAccessError = 75,
    // A folder on the way to a file that is not there.
    PathNotFound = 76,
    // An object needed for the call is nothing.
    ObjectVariableNotSet = 91,
    // Null where a value is needed.
    InvalidUseOfNull = 94,
    // A file whose contents cannot be read as the format it should have.
    InvalidFileFormat = 321,
    // A property set to a value outside its range.
    InvalidPropertyValue = 380,
    // Showing a form modally that is already shown.
    FormAlreadyDisplayed = 400,
    // A class that cannot be created: not registered, or its module has no factory for it.
    CannotCreateObject = 429,
    // An object without the interface its caller's contract needs.
    InterfaceNotSupported = 430,
    // An object without a member the caller uses (a collection without an enumeration).
    MemberNotSupported = 438,

    // Known so that a number arriving from a callee reads with its text; nothing here raises them.
    ReturnWithoutGoSub = 3,
    DivisionByZero = 11,
    OutOfStackSpace = 28,
    DiskNotReady = 71,
    ObjectRequired = 424,
    AutomationError = 440,

    // The OLE container control's. They have no standard text: each failure is described where
    // it is raised, and the media handler words the ones it reports.
    // The object's application could not give the memory it needed.
    OleOutOfMemory = 31001,
    // A member that needs an object called on an empty container.
    OleNoObject = 31004,
    // The object's class is not set.
    OleClassNotSet = 31018,
    // The object cannot do what was asked: re-linking an embedded object.
    OleCannotActivate = 31027,
    // An embedded object could not be created.
    OleCannotCreateEmbedded = 31032,
    // The object could not be written to its file.
    OleSaveToFile = 31036,
    // The bytes at the file's position are not one whole valid object.
    OleLoadFromFile = 31037,
};

constexpr std::int32_t error_number(RuntimeError error) { return static_cast<std::int32_t>(error); }

// The platform's standard text for error, exactly as it shows it; empty for the container's.
constexpr std::u16string_view standard_text(RuntimeError error) {
    switch (error) {
    case RuntimeError::InvalidProcedureCall: return u"Invalid procedure call or argument";
    case RuntimeError::Overflow: return u"Overflow";
    case RuntimeError::OutOfMemory: return u"Out of memory";
    case RuntimeError::SubscriptOutOfRange: return u"Subscript out of range";
    case RuntimeError::TypeMismatch: return u"Type mismatch";
    case RuntimeError::BadFileNameOrNumber: return u"Bad file name or number";
    case RuntimeError::FileNotFound: return u"File not found";
    case RuntimeError::BadFileMode: return u"Bad file mode";
    case RuntimeError::FileAlreadyOpen: return u"File already open";
    case RuntimeError::DeviceIOError: return u"Device I/O error";
    case RuntimeError::FileAlreadyExists: return u"File already exists";
    case RuntimeError::DiskFull: return u"Disk full";
    case RuntimeError::InputPastEndOfFile: return u"Input past end of file";
    case RuntimeError::TooManyFiles: return u"Too many files";
    case RuntimeError::DeviceUnavailable: return u"Device unavailable";
    case RuntimeError::PermissionDenied: return u"Permission denied";
    case RuntimeError::PathFileAccessError: return u"Path/File access error";
    case RuntimeError::PathNotFound: return u"Path not found";
    case RuntimeError::ObjectVariableNotSet: return u"Object variable or With block variable not set";
    case RuntimeError::InvalidUseOfNull: return u"Invalid use of Null";
    case RuntimeError::InvalidFileFormat: return u"Invalid file format";
    case RuntimeError::InvalidPropertyValue: return u"Invalid property value";
    case RuntimeError::FormAlreadyDisplayed: return u"Form already displayed; can't show modally";
    case RuntimeError::CannotCreateObject: return u"ActiveX component can't create object";
    case RuntimeError::InterfaceNotSupported:
        return u"Class does not support Automation or does not support expected interface";
    case RuntimeError::MemberNotSupported: return u"Object doesn't support this property or method";
    case RuntimeError::ReturnWithoutGoSub: return u"Return without GoSub";
    case RuntimeError::DivisionByZero: return u"Division by zero";
    case RuntimeError::OutOfStackSpace: return u"Out of stack space";
    case RuntimeError::DiskNotReady: return u"Disk not ready";
    case RuntimeError::ObjectRequired: return u"Object required";
    case RuntimeError::AutomationError: return u"Automation error";
    case RuntimeError::OleOutOfMemory:
    case RuntimeError::OleNoObject:
    case RuntimeError::OleClassNotSet:
    case RuntimeError::OleCannotActivate:
    case RuntimeError::OleCannotCreateEmbedded:
    case RuntimeError::OleSaveToFile:
    case RuntimeError::OleLoadFromFile: return {};
    }
    return {};  // a number without a name
}
