// The raster rows a text reader draws for one line of text, and the same
// rows moved to their left edge, so drawings made with different margins
// can be compared.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fax/t4/px_custom_text_reader.h"

namespace px::test {

using Rows = std::vector<std::vector<bool>>;

inline Rows readerRows(TPxCustomTextReader& reader, const std::string& text) {
    const auto path =
        std::filesystem::temp_directory_path() / ("pxrows" + std::to_string(::getpid()) + ".txt");
    std::ofstream(path, std::ios::binary) << text << "\r\n";
    Rows rows;
    if (reader.open(path.string()) != ecOK) {
        return rows;
    }
    std::vector<uint8_t> raster(TPxFaxInputReader::kRasterBytes);
    for (;;) {
        std::fill(raster.begin(), raster.end(), 0);
        unsigned len = 0;
        bool endOfPage = false;
        bool more = false;
        if (reader.readLine(raster.data(), len, endOfPage, more) != ecOK || endOfPage) {
            break;
        }
        std::vector<bool> row(1728);
        for (unsigned x = 0; x < 1728 && x / 8 < len; ++x) {
            row[x] = (raster[x / 8] & (0x80U >> (x % 8))) != 0;
        }
        rows.push_back(row);
    }
    reader.close();
    std::filesystem::remove(path);
    return rows;
}

// Drops the blank rows above and below and the white columns at the left.
inline Rows trimmed(const Rows& rows) {
    size_t first = rows.size(), last = 0, left = SIZE_MAX;
    for (size_t y = 0; y < rows.size(); ++y) {
        for (size_t x = 0; x < rows[y].size(); ++x) {
            if (rows[y][x]) {
                first = std::min(first, y);
                last = std::max(last, y);
                left = std::min(left, x);
            }
        }
    }
    Rows out;
    for (size_t y = first; y <= last && y < rows.size(); ++y) {
        std::vector<bool> row(rows[y].begin() + static_cast<std::ptrdiff_t>(left), rows[y].end());
        row.resize(1728, false);
        out.push_back(row);
    }
    return out;
}

}  // namespace px::test
