// Speed of our T.4 coder against libtiff's Group 3 coder on the same pages,
// and of converting a ten-page text file. Prints a ratio table at the end:
// ratio = libtiff CPU time / our CPU time, so above 1.0 means we are faster
// (CPU time, as the build machine is shared).
#include <benchmark/benchmark.h>
#include <tiffio.h>
#include <unistd.h>

#include <QString>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "fax/apf/px_apf_format.h"
#include "fax/convert/px_bitmap_reader.h"
#include "fax/convert/px_fax_converter.h"
#include "fax/t4/px_fax_font.h"
#include "fax/t4/px_t4_decoder.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_t4_raster.h"

namespace {

using namespace px;

struct TestPage {
    std::string name;
    unsigned width = kNormalWidthPels;
    std::vector<uint8_t> raster;  // lines × width / 8, 1 = black
    uint32_t lines = 0;
    std::vector<uint8_t> mh;  // the page coded by our encoder, with RTC
};

// An in-memory file for libtiff.
struct MemFile {
    std::vector<uint8_t> data;
    toff_t pos = 0;
};

tsize_t memRead(thandle_t h, tdata_t buf, tsize_t size) {
    auto* m = static_cast<MemFile*>(h);
    const auto n = static_cast<tsize_t>(std::min<toff_t>(
        static_cast<toff_t>(size), m->data.size() - std::min<toff_t>(m->pos, m->data.size())));
    std::memcpy(buf, m->data.data() + m->pos, static_cast<size_t>(n));
    m->pos += static_cast<toff_t>(n);
    return n;
}
tsize_t memWrite(thandle_t h, tdata_t buf, tsize_t size) {
    auto* m = static_cast<MemFile*>(h);
    if (m->pos + static_cast<toff_t>(size) > m->data.size())
        m->data.resize(m->pos + static_cast<toff_t>(size));
    std::memcpy(m->data.data() + m->pos, buf, static_cast<size_t>(size));
    m->pos += static_cast<toff_t>(size);
    return size;
}
toff_t memSeek(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<MemFile*>(h);
    const toff_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->pos : m->data.size();
    m->pos = base + off;
    return m->pos;
}
int memClose(thandle_t) {
    return 0;
}
toff_t memSize(thandle_t h) {
    return static_cast<MemFile*>(h)->data.size();
}
int memMap(thandle_t, tdata_t*, toff_t*) {
    return 0;
}
void memUnmap(thandle_t, tdata_t, toff_t) {}

TIFF* memOpen(MemFile& f, const char* mode) {
    return TIFFClientOpen("mem", mode, &f, memRead, memWrite, memSeek, memClose, memSize, memMap,
                          memUnmap);
}

void setG3(TIFF* t, unsigned width, uint32_t lines) {
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, lines);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
    TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_FILLBITS);
    TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, lines);
}

void codeOurs(TestPage& p) {
    TPxT4Encoder::Record rec{};
    p.mh.clear();
    for (uint32_t y = 0; y < p.lines; ++y) {
        const size_t n = TPxT4Encoder::codeLine(p.raster.data() + size_t{y} * p.width / 8, p.width,
                                                0, false, rec.data());
        p.mh.insert(p.mh.end(), rec.begin(), rec.begin() + static_cast<long>(n));
    }
    p.mh.insert(p.mh.end(), kApfEndOfPageRecord.begin(), kApfEndOfPageRecord.end());
}

std::string testData() {
    const char* env = std::getenv("PARVEX_TESTDATA");
    return env != nullptr ? env : PARVEX_DEFAULT_TESTDATA;
}

std::vector<TestPage> loadPages() {
    std::vector<TestPage> pages;
    for (int n = 1; n <= 8; ++n) {
        const std::string path = testData() + "/ccitt/ccitt_" + std::to_string(n) + ".tif";
        TIFF* t = TIFFOpen(path.c_str(), "r");
        if (t == nullptr)
            continue;
        TestPage p;
        p.name = "ccitt_" + std::to_string(n);
        TIFFGetField(t, TIFFTAG_IMAGELENGTH, &p.lines);
        p.raster.resize(size_t{p.lines} * 216);
        for (uint32_t y = 0; y < p.lines; ++y)
            TIFFReadScanline(t, p.raster.data() + size_t{y} * 216, y, 0);
        TIFFClose(t);
        pages.push_back(std::move(p));
    }
    // A fine-resolution page of text in the standard font: 60 lines of 84 characters.
    {
        TestPage p;
        p.name = "fine_text";
        TPxFaxFont font;
        TPxFaxFont::loadBuiltIn(TFaxFont::ffStandard, true, font);
        p.lines = 60 * 32 + 100;
        p.raster.assign(size_t{p.lines} * 216, 0);
        for (unsigned line = 0; line < 60; ++line) {
            std::string text;
            for (unsigned c = 0; c < 84; ++c)
                text.push_back(static_cast<char>(' ' + 1 + (line * 7 + c * 13) % 94));
            for (unsigned r = 1; r <= 32; ++r) {
                uint8_t* row = p.raster.data() + size_t{50 + line * 32 + r - 1} * 216;
                font.renderTextRow(text, r, row + 6, 210);
            }
        }
        pages.push_back(std::move(p));
    }
    // A dense dithered page: a grey ramp through the ordered dither. Pel 0
    // stays white, as libtiff's decoder has no room for a line of single
    // pels that starts black.
    {
        TestPage p;
        p.name = "dither";
        p.lines = 2200;
        p.raster.assign(size_t{p.lines} * 216, 0);
        for (uint32_t y = 0; y < p.lines; ++y) {
            for (unsigned x = 1; x < 1728; ++x) {
                const unsigned grey = 150 + (x * 3 + y) % 450;
                if (grey < TPxBitmapReader::ditherThreshold(x % 32, y % 32)) {
                    rasterSetRun(p.raster.data() + size_t{y} * 216, x, 1);
                }
            }
        }
        pages.push_back(std::move(p));
    }
    for (TestPage& p : pages)
        codeOurs(p);
    return pages;
}

const std::vector<TestPage>& pages() {
    static const std::vector<TestPage> all = loadPages();
    return all;
}

void DecodeOurs(benchmark::State& state, size_t index) {
    const TestPage& p = pages()[index];
    TPxT4Decoder decoder;
    std::vector<uint8_t> out(p.raster.size());
    size_t row = 0;
    auto sink = [&](const uint8_t* r, unsigned n) {
        std::memcpy(out.data() + row * n, r, n);
        ++row;
    };
    for (auto _ : state) {
        decoder.reset();
        row = 0;
        decoder.feed(p.mh.data(), p.mh.size(), sink);
        decoder.finish(sink);
        benchmark::DoNotOptimize(out.data());
    }
    if (row != p.lines || out != p.raster)
        state.SkipWithError("decoded page differs");
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * p.lines);
}

void DecodeLibtiff(benchmark::State& state, size_t index) {
    const TestPage& p = pages()[index];
    MemFile file;
    TIFF* w = memOpen(file, "w");
    setG3(w, p.width, p.lines);
    TIFFWriteRawStrip(w, 0, const_cast<uint8_t*>(p.mh.data()), static_cast<tmsize_t>(p.mh.size()));
    TIFFClose(w);
    file.pos = 0;
    TIFF* r = memOpen(file, "r");
    std::vector<uint8_t> out(p.raster.size());
    for (auto _ : state) {
        TIFFReadEncodedStrip(r, 0, out.data(), static_cast<tmsize_t>(out.size()));
        benchmark::DoNotOptimize(out.data());
    }
    if (out != p.raster)
        state.SkipWithError("libtiff decoded page differs");
    TIFFClose(r);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * p.lines);
}

void EncodeOurs(benchmark::State& state, size_t index) {
    const TestPage& p = pages()[index];
    std::vector<uint8_t> out(p.mh.size() + 4096);
    for (auto _ : state) {
        size_t pos = 0;
        for (uint32_t y = 0; y < p.lines; ++y) {
            pos += TPxT4Encoder::codeLine(p.raster.data() + size_t{y} * 216, p.width, 0, false,
                                          out.data() + pos);
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::DoNotOptimize(pos);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * p.lines);
}

void EncodeLibtiff(benchmark::State& state, size_t index) {
    const TestPage& p = pages()[index];
    MemFile file;
    file.data.reserve(p.mh.size() * 2 + 65536);
    for (auto _ : state) {
        file.data.clear();
        file.pos = 0;
        TIFF* w = memOpen(file, "w");
        setG3(w, p.width, p.lines);
        TIFFWriteEncodedStrip(w, 0, const_cast<uint8_t*>(p.raster.data()),
                              static_cast<tmsize_t>(p.raster.size()));
        TIFFClose(w);
        benchmark::DoNotOptimize(file.data.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * p.lines);
}

void ConvertTenPageText(benchmark::State& state) {
    char tmpl[] = "/tmp/px-bench-XXXXXX";
    const std::string dir = ::mkdtemp(tmpl);
    {
        std::ofstream out(dir + "/ten.txt", std::ios::binary);
        for (int line = 0; line < 600; ++line) {
            out << "Line " << line
                << ": The quick brown fox jumps over the lazy dog, 0123456789 times.\r\n";
        }
    }
    TPxFaxConverter c;
    c.setInputDocumentType(TFaxInputDocumentType::idText);
    c.setResolution(TFaxResolution::frHigh);
    c.setOptions(0);
    c.setDocumentFile(QString::fromStdString(dir + "/ten.txt"));
    for (auto _ : state) {
        c.convert();
    }
    std::filesystem::remove_all(dir);
    state.SetLabel("10 pages, fine");
}

// Collects real times to print the ratio table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration && !r.error_occurred) {
                times_[r.benchmark_name()] = r.GetAdjustedCPUTime();
                rates_[r.benchmark_name()] =
                    r.counters.count("items_per_second") != 0
                        ? static_cast<double>(r.counters.at("items_per_second"))
                        : 0.0;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatios() const {
        std::printf("\n%-12s %14s %14s %8s %14s %14s %8s\n", "page", "decode lines/s", "libtiff",
                    "ratio", "encode lines/s", "libtiff", "ratio");
        for (const TestPage& p : pages()) {
            auto t = [&](const std::string& k) {
                const auto it = times_.find(k + "/" + p.name);
                return it == times_.end() ? 0.0 : it->second;
            };
            auto rate = [&](const std::string& k) {
                const auto it = rates_.find(k + "/" + p.name);
                return it == rates_.end() ? 0.0 : it->second;
            };
            const double dOurs = t("DecodeOurs"), dTheirs = t("DecodeLibtiff");
            const double eOurs = t("EncodeOurs"), eTheirs = t("EncodeLibtiff");
            std::printf("%-12s %14.0f %14.0f %8.2f %14.0f %14.0f %8.2f\n", p.name.c_str(),
                        rate("DecodeOurs"), rate("DecodeLibtiff"),
                        dOurs > 0 ? dTheirs / dOurs : 0.0, rate("EncodeOurs"),
                        rate("EncodeLibtiff"), eOurs > 0 ? eTheirs / eOurs : 0.0);
        }
    }

private:
    std::map<std::string, double> times_;
    std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
    TIFFSetWarningHandler(nullptr);
    for (size_t i = 0; i < pages().size(); ++i) {
        const std::string& name = pages()[i].name;
        benchmark::RegisterBenchmark(("DecodeOurs/" + name).c_str(), DecodeOurs, i);
        benchmark::RegisterBenchmark(("DecodeLibtiff/" + name).c_str(), DecodeLibtiff, i);
        benchmark::RegisterBenchmark(("EncodeOurs/" + name).c_str(), EncodeOurs, i);
        benchmark::RegisterBenchmark(("EncodeLibtiff/" + name).c_str(), EncodeLibtiff, i);
    }
    benchmark::RegisterBenchmark("ConvertTenPageText", ConvertTenPageText)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
