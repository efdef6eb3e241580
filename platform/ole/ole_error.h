// The one error type of the stored-object library, by kind of failure.
#pragma once

#include <stdexcept>
#include <string>

namespace pathmender::ole {

// What went wrong, by kind. This library stands alone; the OLE container control gives each kind
// its run-time error.
enum class OleFailure {
    // A property set to a value outside its range.
    InvalidPropertyValue,
    // Re-linking an object that is not a link.
    CannotLinkEmbedded,
    // An object that cannot be written as it is.
    SavingToFile,
    // Bytes that are not one whole valid object.
    LoadingFromFile,
};

// The one error type of this folder.
class OleError : public std::runtime_error {
public:
    OleError(OleFailure failure, const std::string& what);
    OleFailure failure() const noexcept { return failure_; }

private:
    OleFailure failure_;
};

// Every malformed input ends here, so all of them fail the same way.
[[noreturn]] void fail_loading(const std::string& why);

}  // namespace pathmender::ole
