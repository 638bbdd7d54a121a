// Helpers that read converted files back for the converter tests.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fax/apf/px_apf_reader.h"
#include "common/px_exceptions.h"
#include "fax/apf/px_fax_error.h"
#include "fax/t4/px_t4_decoder.h"

namespace px::test {

using Raster = std::vector<uint8_t>;
using Page = std::vector<Raster>;

class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/px-convert-XXXXXX";
        path_ = ::mkdtemp(tmpl);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }

private:
    std::string path_;
};

// Every page of an APF file decoded to raster lines.
inline std::vector<Page> readPages(const std::string& path) {
    std::vector<Page> pages;
    TPxApfReader reader;
    if (reader.open(path) != ecOK) {
        return pages;
    }
    for (unsigned n = 1; n <= reader.pageCount(); ++n) {
        ApfPageInfo info;
        if (reader.findPage(n, info) != ecOK) {
            break;
        }
        Page page;
        TPxT4Decoder decoder;
        decoder.setAcceptedWidths(!info.header.wide(), info.header.wide());
        auto sink = [&](const uint8_t* r, unsigned b) { page.emplace_back(r, r + b); };
        reader.readPage(info,
                        [&](const uint8_t* d, size_t s) { return !decoder.feed(d, s, sink); });
        decoder.finish(sink);
        pages.push_back(std::move(page));
    }
    return pages;
}

inline bool pel(const Raster& r, unsigned x) {
    return (r[x / 8] & (0x80 >> (x % 8))) != 0;
}

// First and last black pel over a page; {-1, -1} for a white page.
inline std::pair<int, int> blackExtent(const Page& page) {
    int first = -1;
    int last = -1;
    for (const Raster& r : page) {
        for (unsigned x = 0; x < r.size() * 8; ++x) {
            if (pel(r, x)) {
                if (first < 0 || static_cast<int>(x) < first)
                    first = static_cast<int>(x);
                if (static_cast<int>(x) > last)
                    last = static_cast<int>(x);
            }
        }
    }
    return {first, last};
}

inline int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EPxException& e) {
        return e.ErrorCode();
    }
    return 0;
}

}  // namespace px::test
