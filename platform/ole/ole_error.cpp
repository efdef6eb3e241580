#include "ole_error.h"

namespace pathmender::ole {

OleError::OleError(int number, const std::string& what) : std::runtime_error(what), number_(number) {}

void fail_loading(const std::string& why) {
    throw OleError(kErrorLoadingFromFile, "error loading from file: " + why);
}

}  // namespace pathmender::ole
