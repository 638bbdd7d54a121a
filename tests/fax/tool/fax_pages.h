// Pages as rows of pels, from our APF files and from the far end's TIFFs,
// for pixel-exact comparison.
#pragma once

#include <string>
#include <vector>

namespace px::test {

using Rows = std::vector<std::vector<uint8_t>>;  // 1 = black, 216 bytes a row
std::vector<Rows> apfPages(const std::string& path);
std::vector<Rows> tiffPages(const std::string& path);

}  // namespace px::test
