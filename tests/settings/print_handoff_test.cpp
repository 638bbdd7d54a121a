#include "settings/print_handoff.h"

#include <gtest/gtest.h>

#include <random>

#include "settings/ini_file.h"
#include "support/temp_dir.h"

namespace px {
namespace {

TEST(PrintDriverConfig, FolderFollowsXdgConfigHomeElseHome) {
    EXPECT_EQ(printDriverConfigFolder(std::string("/x/conf"), std::string("/home/a")),
              "/x/conf/parvex");
    EXPECT_EQ(printDriverConfigFolder(std::nullopt, std::string("/home/a")),
              "/home/a/.config/parvex");
    // Empty or relative values are ignored, as the base-directory rules say.
    EXPECT_EQ(printDriverConfigFolder(std::string(""), std::string("/home/a")),
              "/home/a/.config/parvex");
    EXPECT_EQ(printDriverConfigFolder(std::string("rel"), std::string("/home/a")),
              "/home/a/.config/parvex");
    EXPECT_EQ(pxpdIniPathInHome("/home/b/"), "/home/b/.config/parvex/PXPD.INI");
}

TEST(PrintDriverConfig, LocationRoundTripsAndKeepsOtherEntries) {
    test::TempDir dir;
    const std::string path = dir / "PXPD.INI";
    EXPECT_FALSE(readPrintDriverLocation(path));
    test::writeFile(path, "; a note\n[Other]\nKey=1\n[Location]\nPXExecutable=old\n");
    EXPECT_FALSE(readPrintDriverLocation(path));  // no SEND folder: not set up
    writePrintDriverLocation(path, {"/home/a/.local/share/parvex/SEND/", "/usr/bin/parvex"});
    const auto location = readPrintDriverLocation(path);
    ASSERT_TRUE(location);
    EXPECT_EQ(location->outPath, "/home/a/.local/share/parvex/SEND/");
    EXPECT_EQ(location->executable, "/usr/bin/parvex");
    EXPECT_EQ(IniFile::load(path).readString("Other", "Key", ""), "1");
}

TEST(HandOffText, ThreeLinesInAnyLineEnding) {
    for (const char* text : {"1\nAda\nInvoice\n", "1\r\nAda\r\nInvoice\r\n", "1\rAda\rInvoice",
                             "1\nAda\nInvoice\nextra\nlines\n"}) {
        const HandOff h = parseHandOff(text);
        EXPECT_EQ(h.lines, 3) << text;
        EXPECT_EQ(h.phone, "1");
        EXPECT_EQ(h.recipient, "Ada");
        EXPECT_EQ(h.subject, "Invoice");
    }
    EXPECT_EQ(parseHandOff("").lines, 0);
    const HandOff one = parseHandOff("5550100");
    EXPECT_EQ(one.lines, 1);
    EXPECT_EQ(one.phone, "5550100");
    EXPECT_EQ(one.subject, "");
    const HandOff blank = parseHandOff("\n\nSubject only\n");
    EXPECT_EQ(blank.lines, 3);
    EXPECT_EQ(blank.subject, "Subject only");
}

TEST(HandOffText, ControlCharactersBecomeBlanksAndFormatReadsBack) {
    const HandOff h = parseHandOff(std::string("a\tb\0c\nx\x1b[2Jy\n", 14));
    EXPECT_EQ(h.phone, "a b c");
    EXPECT_EQ(h.recipient, "x [2Jy");
    HandOff written{"555\n0100", "Ada\r\nLovelace", "\"Q\" ../x", 3};
    const HandOff back = parseHandOff(formatHandOff(written));
    EXPECT_EQ(back.phone, "555 0100");
    EXPECT_EQ(back.recipient, "Ada  Lovelace");
    EXPECT_EQ(back.subject, "\"Q\" ../x");
}

// Random and mutated hand-off texts: the parser reads at most the first
// kMaxHandOffBytes, never yields more than three fields, never a line break
// or control character inside one, and what formatHandOff writes reads back.
TEST(HandOffText, MutatedInputsKeepTheInvariants) {
    std::mt19937 random(16);
    const std::string seeds[] = {"5550100\nAda\nInvoice\n", "\r\n\r\n\r\n", std::string(9000, 'x'),
                                 std::string("\0\0\n\0", 4)};
    for (int round = 0; round < 4000; ++round) {
        std::string text = seeds[round % 4];
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = text.empty() ? 0 : random() % text.size();
            const char byte = static_cast<char>(random() % 256);
            switch (random() % 3) {
                case 0:
                    text.insert(text.begin() + static_cast<long>(at), byte);
                    break;
                case 1:
                    if (!text.empty())
                        text.erase(at, 1);
                    break;
                default:
                    if (!text.empty())
                        text[at] = byte;
                    break;
            }
        }
        const HandOff h = parseHandOff(text);
        ASSERT_LE(h.lines, 3);
        for (const std::string* field : {&h.phone, &h.recipient, &h.subject}) {
            ASSERT_LE(field->size(), kMaxHandOffBytes);
            for (const char c : *field) {
                ASSERT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F);
            }
        }
        const HandOff back = parseHandOff(formatHandOff(h));
        ASSERT_EQ(back.phone, h.phone);
        ASSERT_EQ(back.recipient, h.recipient);
        ASSERT_EQ(back.subject, h.subject);
    }
}

TEST(HandOffNames, OnlyPlainNamesInsideTheFolder) {
    EXPECT_TRUE(isPlainFileName("PRN00001.APF"));
    EXPECT_TRUE(isPlainFileName(".hidden"));
    for (const char* bad : {"", ".", "..", "../x", "a/b", "a\\b", "/etc/passwd", "a\nb"}) {
        EXPECT_FALSE(isPlainFileName(bad)) << bad;
    }
    EXPECT_TRUE(hasExtensionNoCase("JOB.NQH", ".nqh"));
    EXPECT_TRUE(hasExtensionNoCase("job.nqh", ".nqh"));
    EXPECT_FALSE(hasExtensionNoCase(".nqh", ".nqh"));
    EXPECT_FALSE(hasExtensionNoCase("job.nqhx", ".nqh"));
}

}  // namespace
}  // namespace px
