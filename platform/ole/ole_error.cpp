#include "platform/ole/ole_error.h"

namespace pathmender::ole {

OleError::OleError(OleFailure failure, const std::string& what) : std::runtime_error(what), failure_(failure) {}

void fail_loading(const std::string& why) {
    throw OleError(OleFailure::LoadingFromFile, "error loading from file: " + why);
}

}  // namespace pathmender::ole
