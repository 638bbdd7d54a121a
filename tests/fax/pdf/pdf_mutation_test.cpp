// Mutated PDF files (bytes flipped, cut short, chunks repeated, numbers
// blown up) must each end in a fax file or a refusal: never a crash, a hang
// or a file left half-written.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "fax/pdf/px_pdf_import.h"
#include "pdf_samples.h"
#include "support/temp_dir.h"

namespace px {
namespace {

namespace fs = std::filesystem;

std::string mutate(const std::string& seed, std::mt19937& rng) {
    std::string s = seed;
    auto at = [&](std::size_t size) {
        return std::uniform_int_distribution<std::size_t>(0, size - 1)(rng);
    };
    switch (rng() % 4) {
        case 0:  // a few bytes flipped
            for (unsigned i = 0, n = 1 + rng() % 8; i < n; ++i) {
                s[at(s.size())] = static_cast<char>(rng());
            }
            break;
        case 1:  // cut short, the end marker put back so the reader is reached
            s.resize(at(s.size()));
            s += "\n%%EOF\n";
            break;
        case 2: {  // a chunk repeated in place
            const std::size_t from = at(s.size());
            const std::size_t len = std::min<std::size_t>(1 + rng() % 512, s.size() - from);
            s.insert(from, s.substr(from, len));
            break;
        }
        default: {  // a number made huge, negative or fractional
            const char* numbers[] = {"99999999", "-1", "0", "1e308", "4294967296", "0.0001"};
            for (std::size_t i = at(s.size()); i < s.size(); ++i) {
                if (std::isdigit(static_cast<unsigned char>(s[i])) != 0) {
                    s.replace(i, 1, numbers[rng() % 6]);
                    break;
                }
            }
            break;
        }
    }
    return s;
}

TEST(PdfMutation, EveryMutatedFileEndsInAFaxOrARefusal) {
    test::TempDir dir;
    std::vector<std::string> seeds;
    test::writeSamplePdf(dir / "seed.pdf", 2);
    seeds.push_back(test::readBytes(dir / "seed.pdf"));
    test::writeSamplePdf(dir / "seed.pdf", 1, QPageSize::Letter);
    seeds.push_back(test::readBytes(dir / "seed.pdf"));
    seeds.push_back(test::assemblePdf(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R "
         "/Resources << /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >> "
         ">>",
         "<< /Length 44 >>\nstream\nBT /F1 24 Tf 72 700 Td (Mutated) Tj ET\nendstream"},
        ""));
    fs::remove(dir / "seed.pdf");

    PdfImportOptions options;
    options.fine = false;
    options.maxPages = 4;
    options.timeLimitMs = 20000;
    std::mt19937 rng(20261208);
    int converted = 0;
    int refused = 0;
    for (int round = 0; round < 120; ++round) {
        const std::string input = dir / "in.pdf";
        const std::string output = dir / "out.apf";
        test::writeBytes(input, mutate(seeds[round % seeds.size()], rng));
        std::string message;
        const ErrorCode rc = importPdfToApf(input, output, options, &message);
        if (rc == ecOK) {
            ++converted;
            EXPECT_EQ(test::folderFiles(dir.path()),
                      std::vector<std::string>({"in.pdf", "out.apf"}));
        } else {
            ++refused;
            EXPECT_FALSE(message.empty()) << "round " << round;
            EXPECT_EQ(test::folderFiles(dir.path()), std::vector<std::string>({"in.pdf"}))
                << "round " << round << ": " << message;
        }
        fs::remove(output);
    }
    // Both outcomes are reached, or the mutations test nothing.
    EXPECT_GT(converted, 0);
    EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace px
