#pragma once

#include <stdexcept>
#include <string>

namespace pathmender::ole {

// Run-time error numbers of the OLE container.
inline constexpr int kErrorInvalidPropertyValue = 380;
inline constexpr int kErrorCannotLinkEmbedded = 31027;
inline constexpr int kErrorSavingToFile = 31036;
inline constexpr int kErrorLoadingFromFile = 31037;

// The one error type of this folder; the COM layer maps `number` to its own error.
class OleError : public std::runtime_error {
public:
    OleError(int number, const std::string& what);
    int number() const noexcept { return number_; }

private:
    int number_;
};

// Every malformed input ends here, so all of them carry the same number.
[[noreturn]] void fail_loading(const std::string& why);

}  // namespace pathmender::ole
