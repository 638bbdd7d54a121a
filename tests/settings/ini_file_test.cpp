#include "settings/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>

#include "support/temp_dir.h"

namespace px {
namespace {

TEST(IniInteger, ParsesDecimalHexAndRejectsGarbage) {
    struct Row {
        const char* text;
        std::optional<int> value;
    } rows[] = {
        {"2", 2},
        {"-1", -1},
        {" 14400 ", 14400},
        {"0x2", 2},
        {"0X1f", 31},
        {"0xFFFFFFFF", -1},
        {"0x", std::nullopt},
        {"0", 0},
        {"00", 0},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},
        {"1.5", std::nullopt},
        {"99999999999", std::nullopt},
        {"0xG", std::nullopt},
        {"+7", 7},
        {"-", std::nullopt},
    };
    for (const Row& r : rows)
        EXPECT_EQ(parseIniInteger(r.text), r.value) << '"' << r.text << '"';
}

TEST(IniFile, ReadsSectionsAndKeysIgnoringCase) {
    IniFile ini = IniFile::parse(
        "; comment\r\n[Modem]\r\nComPort=0x2\r\nInitString = AT&F \r\n\r\n[user]\nname=Ann\n");
    EXPECT_EQ(ini.readInteger("MODEM", "comport", -1), 2);
    EXPECT_EQ(ini.readString("Modem", "InitString", ""), "AT&F");
    EXPECT_EQ(ini.readString("User", "Name", ""), "Ann");
    EXPECT_EQ(ini.readString("User", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.readInteger("Modem", "InitString", 7), 7) << "not a number gives the default";
    EXPECT_TRUE(ini.readBool("Modem", "ComPort", false)) << "any non-zero value is true";
}

TEST(IniFile, FirstOccurrenceOfDuplicateKeyWins) {
    IniFile ini = IniFile::parse("[A]\nk=1\nk=2\n[A]\nk=3\n");
    EXPECT_EQ(ini.readInteger("A", "k", 0), 1);
    ini.writeInteger("A", "k", 9);
    EXPECT_EQ(ini.readInteger("A", "k", 0), 9);
}

TEST(IniFile, ValuesAreCutTo1023Characters) {
    std::string longValue(5000, 'x');
    IniFile ini;
    ini.writeString("S", "K", longValue);
    EXPECT_EQ(ini.readString("S", "K", "").size(), 1023u);
}

TEST(IniFile, KeepsUnknownSectionsCommentsAndLayoutOnRewrite) {
    const std::string original =
        "; written by hand\n[Ports]\nCOM1=/dev/ttyUSB0\n\n[Modem]\nComPort=0\n\n[Other]\nX=y\n";
    IniFile ini = IniFile::parse(original);
    EXPECT_EQ(ini.text(), original) << "an untouched file is written back as read";

    ini.writeInteger("Modem", "ComPort", 3);
    ini.writeString("Modem", "InitString", "ATZ");
    ini.writeString("New", "Key", "v");
    EXPECT_EQ(
        ini.text(),
        "; written by hand\n[Ports]\nCOM1=/dev/ttyUSB0\n\n[Modem]\nComPort=3\nInitString=ATZ\n"
        "\n[Other]\nX=y\n\n[New]\nKey=v\n");
}

TEST(IniFile, WritingALineBreakCannotInjectKeys) {
    IniFile ini;
    ini.writeString("User", "Name", "Ann\n[Modem]\nComPort=5");
    IniFile back = IniFile::parse(ini.text());
    EXPECT_FALSE(back.hasSection("Modem"));
    EXPECT_EQ(back.readString("User", "Name", "").substr(0, 3), "Ann");
}

TEST(IniFile, EraseKeyAndSection) {
    IniFile ini = IniFile::parse("[A]\nk=1\nj=2\n[B]\nx=1\n");
    ini.eraseKey("a", "K");
    EXPECT_EQ(ini.keys("A"), std::vector<std::string>{"j"});
    ini.eraseSection("b");
    EXPECT_EQ(ini.sections(), std::vector<std::string>{"A"});
}

TEST(IniFileOnDisk, MissingFileIsEmptyAndSaveCreatesIt) {
    test::TempDir dir;
    IniFile ini = IniFile::load(dir / "PX.INI");
    EXPECT_TRUE(ini.sections().empty());
    ini.writeString("User", "Name", "Bob");
    ini.save(dir / "PX.INI");
    EXPECT_EQ(IniFile::load(dir / "PX.INI").readString("User", "Name", ""), "Bob");
}

TEST(IniFileOnDisk, FailedSaveNamesTheFileAndKeepsTheOldOne) {
    if (::geteuid() == 0) {
        // Root writes into read-only folders; make the target's folder vanish instead.
        test::TempDir dir;
        std::string path = dir / "gone/PX.INI";
        IniFile ini;
        ini.writeString("A", "b", "c");
        try {
            ini.save(path);
            FAIL() << "save into a missing folder succeeded";
        } catch (const IniFileError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
            EXPECT_EQ(e.path(), path);
        }
        return;
    }
    test::TempDir dir;
    std::string path = dir / "PX.INI";
    test::writeFile(path, "[User]\nName=Old\n");
    ::chmod(dir.path().c_str(), 0500);
    IniFile ini;
    ini.writeString("User", "Name", "New");
    EXPECT_THROW(ini.save(path), IniFileError);
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(test::readFile(path), "[User]\nName=Old\n");
}

TEST(IniFileOnDisk, SaveLeavesNoTemporaryFilesAndKeepsPermissions) {
    test::TempDir dir;
    std::string path = dir / "PX.INI";
    test::writeFile(path, "[A]\nb=1\n");
    ::chmod(path.c_str(), 0600);
    IniFile ini = IniFile::load(path);
    ini.writeInteger("A", "b", 2);
    ini.save(path);
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// Random and mutated INI text: parsing never fails, and whatever was parsed
// writes back to text that parses to the same values.
TEST(IniFileFuzz, MutatedInputParsesAndRoundTrips) {
    const std::string seed =
        "[User]\nName=Ann\nFax=+1 555\n[Modem]\nComPort=0x2\nFaxClass=1\n;c\n[Receive]\nWav=\n";
    std::mt19937 rng(12345);
    const char alphabet[] = "[]=;\n\r \t0xAZaz\x01\xff";
    for (int iter = 0; iter < 3000; ++iter) {
        std::string text = seed;
        int edits = 1 + static_cast<int>(rng() % 8);
        for (int e = 0; e < edits; ++e) {
            std::size_t pos = rng() % (text.size() + 1);
            switch (rng() % 3) {
                case 0:
                    text.insert(pos, 1, alphabet[rng() % (sizeof alphabet - 1)]);
                    break;
                case 1:
                    if (pos < text.size())
                        text.erase(pos, 1);
                    break;
                default:
                    if (pos < text.size())
                        text[pos] = static_cast<char>(rng() % 256);
                    break;
            }
        }
        IniFile a = IniFile::parse(text);
        IniFile b = IniFile::parse(a.text());
        for (const auto& sec : a.sections())
            for (const auto& key : a.keys(sec))
                ASSERT_EQ(a.value(sec, key), b.value(sec, key)) << "input: " << text;
        a.writeString("User", "Name", "Zed");
        ASSERT_EQ(IniFile::parse(a.text()).readString("User", "Name", ""), "Zed") << text;
    }
}

}  // namespace
}  // namespace px
