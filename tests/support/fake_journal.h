// The order in which the fakes were called, one line a call, shared by all of them so that a test can
// see which call came first across the whole seam.
#pragma once

#include <string>
#include <vector>

namespace velora::fakes {

using Journal = std::vector<std::string>;

/// Lower-cases the ASCII letters, as Windows compares registry paths, file names and resource names.
std::string Lower(std::string text);

}  // namespace velora::fakes
