#include <gtest/gtest.h>

#include <cstring>

#include "fax/apf/px_apf_format.h"
#include "fax/t4/px_t4_code_tree.h"
#include "reference_decoder.h"
#include "t4_test_support.h"

namespace px {
namespace {

using test::Page;
using test::PageKind;
using test::Raster;

std::vector<uint8_t> recordOf(const Raster& raster, unsigned width, unsigned margin,
                              bool doubleWidth = false) {
    TPxT4Encoder::Record record{};
    const size_t n =
        TPxT4Encoder::codeLine(raster.data(), width, margin, doubleWidth, record.data());
    return {record.begin(), record.begin() + static_cast<long>(n)};
}

// The raster shifted right by `margin` pels and cut to `width`.
Raster shifted(const Raster& r, unsigned width, unsigned margin) {
    Raster out(width / 8, 0);
    for (unsigned x = 0; x + margin < width; ++x) {
        if ((r[x / 8] & (0x80 >> (x % 8))) != 0) {
            rasterSetRun(out.data(), x + margin, 1);
        }
    }
    return out;
}

TEST(T4CodeTree, BothColoursArePrefixFreeAndSmall) {
    for (T4Colour colour : {T4Colour::White, T4Colour::Black}) {
        const TPxT4CodeTree& tree = TPxT4CodeTree::forColour(colour);
        EXPECT_LE(tree.size(), 306U);
        // Every run code leads to its own run.
        for (unsigned run = 0; run <= 2560;
             run = run < 63 ? run + 1 : (run == 63 ? 64 : run + 64)) {
            const T4Code code =
                run < 64 ? t4TerminatingCode(colour, run) : t4MakeupCode(colour, run);
            int32_t n = TPxT4CodeTree::kRoot;
            for (int i = code.length - 1; i >= 0; --i) {
                n = tree.node(n).child[(code.msbFirst >> i) & 1U];
                ASSERT_GE(n, 0);
            }
            EXPECT_EQ(tree.node(n).symbol, T4Symbol::Run);
            EXPECT_EQ(tree.node(n).run, run);
        }
    }
}

TEST(T4Encoder, FixedRecordsAndRecordLengthRule) {
    // An all-white 1728 line is the blank record, whatever the margin.
    Raster white(216, 0);
    for (unsigned margin : {0U, 50U, 1727U}) {
        const auto rec = recordOf(white, 1728, margin);
        EXPECT_EQ(rec, std::vector<uint8_t>(kApfBlankRecord.begin(), kApfBlankRecord.end()));
    }
    // Every record starts with the aligned EOL and ends with at least one
    // zero byte: n = complete code bytes + 2.
    for (PageKind kind :
         {PageKind::Text, PageKind::Random, PageKind::Black, PageKind::Alternating}) {
        for (const Raster& line : test::makePage(kind, 1728, 8)) {
            const auto rec = recordOf(line, 1728, 50);
            ASSERT_GE(rec.size(), 4U);
            EXPECT_EQ(rec[0], 0x00);
            EXPECT_EQ(rec[1], 0x80);
            EXPECT_EQ(rec.back(), 0x00);
        }
    }
    // A line of black pels 0..1727 with no margin: white 0 (8 bits), black
    // makeup 1728 (13 bits), black 0 (10 bits) = 31 bits after the EOL:
    // 47 bits in all, 5 complete bytes, so the record is 7 bytes.
    Raster black(216, 0xFF);
    EXPECT_EQ(recordOf(black, 1728, 0).size(), 7U);
    // 2048 white pels: makeup 2048 (12 bits) + white 0 (8) after the EOL
    // = 36 bits, 4 complete bytes and a partial one: 4 + 2.
    EXPECT_EQ(recordOf(Raster(256, 0), 2048, 0).size(), 6U);
}

TEST(T4Encoder, MarginAndDoubleWidthPlacement) {
    Raster r(216, 0);
    r[0] = 0x80;  // first pel black
    auto lines = test::decodeAll([&] {
        auto rec = recordOf(r, 1728, 50);
        rec.insert(rec.end(), kApfEndOfPageRecord.begin(), kApfEndOfPageRecord.end());
        return rec;
    }());
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_EQ(lines[0], shifted(r, 1728, 50));

    // Double width: pel x becomes pels 2x and 2x+1 after the margin, and the
    // line still totals the page width.
    Raster src(216, 0);
    src[0] = 0xA0;    // pels 0 and 2
    src[104] = 0xFF;  // pels 832..839: doubled to 1715..1730, cut at 1728
    src[106] = 0xFF;  // pels 848..855: past the doubled width, dropped
    auto rec = recordOf(src, 1728, 51, true);
    rec.insert(rec.end(), kApfEndOfPageRecord.begin(), kApfEndOfPageRecord.end());
    lines = test::decodeAll(rec);
    ASSERT_EQ(lines.size(), 1U);
    Raster expect(216, 0);
    rasterSetRun(expect.data(), 51, 2);
    rasterSetRun(expect.data(), 55, 2);
    rasterSetRun(expect.data(), 1715, 13);
    EXPECT_EQ(lines[0], expect);
}

TEST(T4Codec, EveryPageKindRoundTripsAtBothWidths) {
    for (unsigned width : {1728U, 2048U}) {
        for (PageKind kind : {PageKind::Text, PageKind::Dither, PageKind::White, PageKind::Black,
                              PageKind::Alternating, PageKind::Random}) {
            const Page page = test::makePage(kind, width, 40, width);
            for (unsigned margin : {0U, 50U}) {
                const Page decoded = test::decodeAll(test::codePage(page, width, margin));
                ASSERT_EQ(decoded.size(), page.size())
                    << width << " kind " << static_cast<int>(kind);
                for (size_t y = 0; y < page.size(); ++y) {
                    ASSERT_EQ(decoded[y], shifted(page[y], width, margin)) << "line " << y;
                }
            }
        }
    }
}

// Builds a stream from pieces of bits written as text, LSB-first packing.
std::vector<uint8_t> bits(const std::string& text) {
    std::vector<uint8_t> out;
    size_t n = 0;
    for (char ch : text) {
        if (ch != '0' && ch != '1') {
            continue;
        }
        if (n % 8 == 0) {
            out.push_back(0);
        }
        if (ch == '1') {
            out.back() = static_cast<uint8_t>(out.back() | (1U << (n % 8)));
        }
        ++n;
    }
    return out;
}

const std::string kEol = "000000000001 ";
const std::string kWhite1728 = "010011011 00110101 ";  // makeup 1728, white 0
const std::string kWhite1727 = "010011011 01001011 01100111 ";

TEST(T4Decoder, LineRules) {
    struct Case {
        const char* name;
        std::string stream;
        size_t lines;
    };
    const Case cases[] = {
        {"runs before the first EOL are skipped",
         kWhite1728 + kEol + kWhite1728 + kEol + kEol + kEol, 1},
        {"a 1727-pel line is dropped", kEol + kWhite1727 + kEol + kWhite1728 + kEol + kEol + kEol,
         1},
        {"garbage between EOLs loses only that line",
         kEol + kWhite1728 + kEol + "0000000011111 0000000010 " + kEol + kWhite1728 + kEol + kEol +
             kEol,
         2},
        {"two EOLs do not end the page",
         kEol + kWhite1728 + kEol + kEol + kWhite1728 + kEol + kEol + kEol, 2},
        {"three EOLs end the page", kEol + kWhite1728 + kEol + kEol + kEol + kWhite1728 + kEol, 1},
        {"fill bits before an EOL",
         "0000000000000000000001" + kWhite1728 + "0000000" + kEol + kEol + kEol, 1},
    };
    for (const Case& c : cases) {
        TPxT4Decoder decoder;
        const Page lines = test::decodeAll(bits(c.stream), &decoder);
        EXPECT_EQ(lines.size(), c.lines) << c.name;
        EXPECT_EQ(test::referenceDecode(bits(c.stream)).lines.size(), c.lines) << c.name;
    }
}

TEST(T4Decoder, WidePageFormKeepsOnlyWideLines) {
    TPxT4Decoder decoder;
    decoder.setAcceptedWidths(false, true);
    std::vector<uint8_t> data(kApfBlankRecord.begin(), kApfBlankRecord.end());
    const auto wide = test::codePage(test::makePage(PageKind::Text, 2048, 3), 2048, 50);
    data.insert(data.end(), wide.begin(), wide.end());
    const Page lines = test::decodeAll(data, &decoder);
    EXPECT_EQ(lines.size(), 3U);
    EXPECT_EQ(decoder.linesDiscarded(), 1U);
}

TEST(T4Decoder, ChunkedFeedingGivesTheSameLines) {
    const auto data = test::codePage(test::makePage(PageKind::Dither, 1728, 30), 1728, 50);
    const Page whole = test::decodeAll(data);
    for (size_t chunk : {1U, 3U, 7U, 4096U}) {
        TPxT4Decoder decoder;
        Page lines;
        auto sink = [&](const uint8_t* r, unsigned n) { lines.emplace_back(r, r + n); };
        for (size_t i = 0; i < data.size() && !decoder.pageEnded(); i += chunk) {
            decoder.feed(data.data() + i, std::min(chunk, data.size() - i), sink);
        }
        decoder.finish(sink);
        EXPECT_EQ(test::pageDiff(lines, whole), "") << "chunk " << chunk;
    }
}

TEST(T4Decoder, TableDecoderMatchesBitByBitRules) {
    std::mt19937 rng(7);
    const auto valid = test::codePage(test::makePage(PageKind::Text, 1728, 12), 1728, 50);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> data = valid;
        // Flip, insert and delete bits and bytes; sometimes pure noise.
        if (round % 10 == 0) {
            for (auto& b : data) {
                b = static_cast<uint8_t>(rng());
            }
        } else {
            for (int k = 0; k < 1 + round % 7; ++k) {
                const size_t at = rng() % data.size();
                switch (rng() % 3) {
                    case 0:
                        data[at] ^= static_cast<uint8_t>(1U << (rng() % 8));
                        break;
                    case 1:
                        data.insert(data.begin() + static_cast<long>(at),
                                    static_cast<uint8_t>(rng()));
                        break;
                    default:
                        data.erase(data.begin() + static_cast<long>(at));
                        break;
                }
            }
        }
        TPxT4Decoder decoder;
        const Page lines = test::decodeAll(data, &decoder);
        const auto ref = test::referenceDecode(data);
        ASSERT_EQ(test::pageDiff(lines, ref.lines), "") << "round " << round;
        ASSERT_EQ(decoder.badCodes(), ref.badCodes) << "round " << round;
        ASSERT_EQ(decoder.pageEnded(), ref.ended) << "round " << round;
    }
}

// Decodes into runs, fed in chunks of `chunk` bytes; each line is drawn
// from its runs and checked against the run rules and the raster coder.
Page decodeAsRuns(const std::vector<uint8_t>& data, size_t chunk, std::string& fault) {
    Page lines;
    TPxT4Decoder decoder;
    TPxT4Encoder::Record fromRuns{};
    TPxT4Encoder::Record fromRaster{};
    TPxT4Decoder::RunSink sink = [&](const uint16_t* runs, unsigned count, unsigned width) {
        Raster line(width / 8, 0);
        unsigned pos = 0;
        for (unsigned i = 0; i < count; ++i) {
            if ((runs[i] == 0 && i != 0) || (i == 0 && runs[i] == 0 && count == 1)) {
                fault = "an empty run inside a line";
            }
            if (i % 2 == 1) {
                rasterSetRun(line.data(), pos,
                             std::min<unsigned>(runs[i], width - std::min(pos, width)));
            }
            pos += runs[i];
        }
        if (pos < width || pos >= width + 8) {
            fault = "runs total " + std::to_string(pos) + " for a line of " + std::to_string(width);
        }
        const size_t a = TPxT4Encoder::codeRuns(runs, count, width, fromRuns.data());
        const size_t b = TPxT4Encoder::codeLine(line.data(), width, 0, false, fromRaster.data());
        if (!std::equal(fromRuns.begin(), fromRuns.begin() + static_cast<long>(a),
                        fromRaster.begin(), fromRaster.begin() + static_cast<long>(b)) ||
            a != b) {
            fault = "the runs code differently from their raster";
        }
        lines.push_back(std::move(line));
    };
    for (size_t i = 0; i < data.size() && !decoder.pageEnded(); i += chunk) {
        decoder.feedRuns(data.data() + i, std::min(chunk, data.size() - i), sink);
    }
    if (!decoder.pageEnded()) {
        decoder.finishRuns(sink);
    }
    return lines;
}

TEST(T4Decoder, RunsGiveTheRasterLinesOnAnyStream) {
    std::mt19937 rng(11);
    std::vector<std::vector<uint8_t>> streams;
    for (PageKind kind : {PageKind::Text, PageKind::Dither, PageKind::White, PageKind::Black,
                          PageKind::Alternating, PageKind::Random}) {
        for (unsigned width : {1728U, 2048U}) {
            streams.push_back(test::codePage(test::makePage(kind, width, 20), width, 3));
        }
    }
    // Lines 1 to 7 pels too long, whose extra pels are dropped: white 1728,
    // then 1 to 7 black pels; each line also as a black line of 1729 to 1735.
    const char* blackCodes[] = {"010", "11", "10", "011", "0011", "0010", "00011"};
    std::string extra = kEol;
    for (const char* black : blackCodes) {
        extra += kWhite1728 + black + std::string(" ") + kEol;
        extra += "00110101 0000001100101 " + std::string(black) + " " + kEol;  // W0 B1728 B n
    }
    streams.push_back(bits(extra + kEol + kEol));
    // Makeup runs that overrun the line buffer, then fit again.
    std::string overrun = kEol;
    for (int i = 0; i < 40; ++i) {
        overrun += i % 2 == 0 ? "010011011 " : "0111 0000001100101 ";
    }
    streams.push_back(bits(overrun + kEol + kEol + kEol));
    const auto valid = test::codePage(test::makePage(PageKind::Text, 1728, 12), 1728, 50);
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> data = valid;
        for (int k = 0; k < 1 + round % 9; ++k) {
            const size_t at = rng() % data.size();
            if (rng() % 2 == 0) {
                data[at] ^= static_cast<uint8_t>(1U << (rng() % 8));
            } else {
                data.erase(data.begin() + static_cast<long>(at));
            }
        }
        streams.push_back(std::move(data));
    }
    for (size_t n = 0; n < streams.size(); ++n) {
        const Page expected = test::decodeAll(streams[n]);
        for (size_t chunk : {size_t{5}, size_t{4096}}) {
            std::string fault;
            const Page lines = decodeAsRuns(streams[n], chunk, fault);
            ASSERT_EQ(fault, "") << "stream " << n << " chunk " << chunk;
            ASSERT_EQ(test::pageDiff(lines, expected), "") << "stream " << n << " chunk " << chunk;
        }
    }
}

TEST(T4Decoder, HostileStreamsEndCleanly) {
    // A million EOLs: the third ends the page.
    std::vector<uint8_t> eols;
    for (int i = 0; i < 1000000 / 2; ++i) {
        eols.push_back(0x00);
        eols.push_back(0x08);
        eols.push_back(0x80);
    }
    TPxT4Decoder decoder;
    EXPECT_TRUE(test::decodeAll(eols, &decoder).empty());
    EXPECT_TRUE(decoder.pageEnded());
    EXPECT_LT(decoder.bitsConsumed(), 64U);

    // Endless makeup runs of both colours never write past the line buffer.
    std::string runs = kEol;
    for (int i = 0; i < 4000; ++i) {
        runs +=
            i % 2 == 0 ? "010011011 " : "0111 0000001100101 ";  // white 1728; white 2, black 1728
    }
    const auto data = bits(runs + kEol + kEol + kEol);
    const Page lines = test::decodeAll(data, &decoder);
    EXPECT_EQ(test::pageDiff(lines, test::referenceDecode(data).lines), "");
}

TEST(T4Decoder, OnesFillingTheWholeAccumulatorAfterABadCodeAreSkipped) {
    // Found by fuzzing: fed 17 bytes at a time, a bad code was followed by
    // 1 bits filling all 64 bits of the accumulator, and skipping them
    // shifted a 64-bit word by 64.
    const std::vector<uint8_t> stream = {
        0x43, 0x00, 0x8A, 0xB2, 0x59, 0x01, 0x00, 0x00, 0x80, 0xB2, 0x51, 0x01, 0x00, 0x00, 0x80,
        0x80, 0xCC, 0x0A, 0x00, 0x00, 0x80, 0x80, 0xCC, 0x0A, 0x00, 0x00, 0x80, 0xAA, 0xE8, 0xAF,
        0x3D, 0x31, 0x60, 0x94, 0x00, 0x00, 0x00, 0x80, 0xAA, 0xE8, 0xAF, 0x3D, 0x31, 0x60, 0x94,
        0x00, 0x00, 0x00, 0x80, 0xAA, 0x0B, 0x3F, 0x3D, 0xD7, 0xCF, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x80, 0x80, 0xAA, 0x0B, 0x3F, 0x3D, 0xD7, 0xCF, 0xE3, 0x4C, 0xC7, 0x80, 0x41,
        0x07, 0x00, 0x00, 0x80, 0xAA, 0xE8, 0xFF, 0xF9, 0x13, 0x5E, 0x85, 0xFC, 0x1F, 0xDE, 0x84,
        0x07, 0x18, 0x34, 0x0F, 0x1D, 0x7A, 0x03, 0x06, 0x1D, 0x00, 0x00, 0x80, 0x80, 0xCE, 0x0A,
        0x00, 0x00, 0x80, 0x80, 0xCC, 0x0A, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00, 0x38, 0x00, 0x08,
        0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00};
    TPxT4Decoder decoder;
    decoder.setAcceptedWidths(true, true);
    unsigned lines = 0;
    auto sink = [&](const uint8_t*, unsigned) { ++lines; };
    for (size_t at = 1; at < stream.size(); at += 17) {
        if (decoder.feed(stream.data() + at, std::min<size_t>(17, stream.size() - at), sink)) {
            break;
        }
    }
    decoder.finish(sink);
    EXPECT_GT(decoder.badCodes(), 0U);
    EXPECT_GE(lines, 1U);
}

}  // namespace
}  // namespace px
