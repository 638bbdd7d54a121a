// Scratch folders and small table fixtures shared by the table store tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "xbase/xb_field.h"

namespace px::test {

class TTempDir {
public:
    TTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pxxb-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline std::vector<char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A small table with one field of each type.
inline std::vector<TXbField> sampleFields() {
    return {{"NAME", 'C', 20, 0, 0},
            {"BORN", 'D', 8, 0, 0},
            {"ACTIVE", 'L', 1, 0, 0},
            {"PAGES", 'N', 5, 0, 0},
            {"PRICE", 'N', 8, 2, 0}};
}

}  // namespace px::test
