// Pages as rows of pels, from our APF files and from the far end's TIFFs,
// for pixel-exact comparison.
#pragma once

#include <string>
#include <vector>

namespace px::test {

using Rows = std::vector<std::vector<uint8_t>>;  // 1 = black, 216 bytes a row
std::vector<Rows> apfPages(const std::string& path);
std::vector<Rows> tiffPages(const std::string& path);
// For each page of a TIFF: true when its vertical resolution is fine.
std::vector<bool> tiffPagesFine(const std::string& path);
// A T.4 (MH) TIFF of fine pages, as the far end sends them.
bool writeTiffPages(const std::string& path, const std::vector<Rows>& pages);

}  // namespace px::test
