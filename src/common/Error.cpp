#include "common/Error.h"

namespace quarvel {

WriteError::WriteError(const std::string& path)
    : Error("In " + path + " kann nicht geschrieben werden"), path_(path) {}

}  // namespace quarvel
