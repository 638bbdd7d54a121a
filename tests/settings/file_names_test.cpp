#include "settings/file_names.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "settings/program_folder.h"
#include "support/temp_dir.h"

namespace px {
namespace {

namespace fs = std::filesystem;

TEST(UniqueSendFileName, FirstFreeNumberIgnoringCase) {
    test::TempDir dir;
    EXPECT_EQ(uniqueSendFileName(dir.path(), "FAX"), dir / "FAX00000.APF");
    test::writeFile(dir / "FAX00000.APF", "x");
    EXPECT_EQ(uniqueSendFileName(dir.path(), "FAX"), dir / "FAX00001.APF");
    test::writeFile(dir / "fax00001.apf", "x");  // a lower-case name copied from elsewhere
    test::writeFile(dir / "COV00002.APF", "x");
    EXPECT_EQ(uniqueSendFileName(dir.path(), "FAX"), dir / "FAX00002.APF");
    EXPECT_EQ(uniqueSendFileName(dir.path(), "COV"), dir / "COV00000.APF");
    test::writeFile(dir / "FAX00003.APF", "x");  // a gap stays a gap
    EXPECT_EQ(uniqueSendFileName(dir.path(), "FAX"), dir / "FAX00002.APF");
}

TEST(UniqueSendFileName, MissingFolderGivesTheFirstName) {
    test::TempDir dir;
    EXPECT_EQ(uniqueSendFileName(dir / "nope", "FWD"), dir / "nope/FWD00000.APF");
}

TEST(ResolveNoCase, FindsStoredNamesInAnyCase) {
    test::TempDir dir;
    test::writeFile(dir / "Fax00001.apf", "x");
    EXPECT_EQ(resolveNoCase(dir.path(), "FAX00001.APF"), dir / "Fax00001.apf");
    EXPECT_TRUE(existsNoCase(dir.path(), "fax00001.APF"));
    EXPECT_FALSE(existsNoCase(dir.path(), "fax00002.APF"));
    EXPECT_EQ(resolveNoCase(dir.path(), "NEW.APF"), dir / "NEW.APF");
    test::writeFile(dir / "FAX00001.APF", "y");
    EXPECT_EQ(resolveNoCase(dir.path(), "FAX00001.APF"), dir / "FAX00001.APF")
        << "an exact match wins";
}

TEST(CopyFileInBlocks, CopiesExactlyAcrossBlockBoundaries) {
    test::TempDir dir;
    for (std::size_t size : {0u, 1u, 2047u, 2048u, 2049u, 10000u}) {
        std::string data(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            data[i] = static_cast<char>(i * 7 + 3);
        test::writeFile(dir / "src", data);
        ASSERT_TRUE(copyFileInBlocks(dir / "src", dir / "dst")) << size;
        EXPECT_EQ(test::readFile(dir / "dst"), data) << size;
    }
}

TEST(CopyFileInBlocks, SameNameOrMissingSourceCopiesNothing) {
    test::TempDir dir;
    test::writeFile(dir / "a.apf", "data");
    EXPECT_FALSE(copyFileInBlocks(dir / "a.apf", dir / "a.apf"));
    EXPECT_FALSE(copyFileInBlocks(dir / "a.apf", dir / "A.APF"));
    EXPECT_EQ(test::readFile(dir / "a.apf"), "data");
    EXPECT_FALSE(copyFileInBlocks(dir / "missing", dir / "b.apf"));
    EXPECT_FALSE(fs::exists(dir / "b.apf"));
}

TEST(CreateFolderChain, CreatesParentsAndRefusesTinyPaths) {
    test::TempDir dir;
    EXPECT_TRUE(createFolderChain(dir / "a/b/c/"));
    EXPECT_TRUE(fs::is_directory(dir / "a/b/c"));
    EXPECT_TRUE(createFolderChain(dir / "a/b/c")) << "an existing folder is fine";
    EXPECT_FALSE(createFolderChain("/"));
    EXPECT_FALSE(createFolderChain("ab"));
    test::writeFile(dir / "file", "x");
    EXPECT_FALSE(createFolderChain(dir / "file"));
}

TEST(ProgramFolder, FirstStartCreatesTheDataFolderWithItsParentsOrSaysWhyNot) {
    // A new user's home: not even ~/.local exists.
    test::TempDir home;
    const ProgramFolder fresh = ProgramFolder::locate("", std::nullopt, home.path());
    EXPECT_NO_THROW(fresh.create());
    EXPECT_TRUE(fs::is_directory(home / ".local/share/parvex"));
    EXPECT_NO_THROW(fresh.create()) << "an existing folder is fine";

    // ~/.local is a file: nothing can be created below it.
    test::TempDir blocked;
    test::writeFile(blocked / ".local", "");
    const ProgramFolder impossible = ProgramFolder::locate("", std::nullopt, blocked.path());
    try {
        impossible.create();
        ADD_FAILURE() << "no error";
    } catch (const ProgramFolderError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(blocked / ".local/share/parvex"), std::string::npos) << message;
        EXPECT_NE(message.find(std::strerror(ENOTDIR)), std::string::npos) << message;
    }
    EXPECT_EQ(makeFolderChain(blocked / ".local/share/parvex"), ENOTDIR);
    EXPECT_EQ(makeFolderChain(blocked / ".local"), ENOTDIR);
    EXPECT_EQ(makeFolderChain("ab"), EINVAL);
}

TEST(ProgramFolder, LocationOrder) {
    test::TempDir dir;
    std::string exe = dir / "bin/parvex";
    fs::create_directories(dir / "bin");
    // PARVEX_HOME wins.
    EXPECT_EQ(ProgramFolder::locate(exe, dir / "home", "/home/u").path(), dir / "home/");
    // No PX.INI beside the executable: the user's data folder.
    EXPECT_EQ(ProgramFolder::locate(exe, std::nullopt, "/home/u").path(),
              "/home/u/.local/share/parvex/");
    // A portable install, even with the INI in another letter case.
    test::writeFile(dir / "bin/px.ini", "");
    EXPECT_EQ(ProgramFolder::locate(exe, std::nullopt, "/home/u").path(), dir / "bin/");
}

TEST(ProgramFolder, WorkingFoldersAndCaseInsensitiveLookups) {
    test::TempDir dir;
    ProgramFolder folder(dir / "data");
    EXPECT_TRUE(folder.createWorkingFolders());
    EXPECT_TRUE(fs::is_directory(dir / "data/SEND"));
    EXPECT_TRUE(fs::is_directory(dir / "data/Receive"));
    EXPECT_FALSE(fs::exists(dir / "data/Covers")) << "Covers is not created by the program";
    EXPECT_EQ(folder.sendFolder(), dir / "data/SEND/");

    // Folders copied from another system in other letter cases are used as they are.
    test::TempDir other;
    fs::create_directories(other / "send");
    fs::create_directories(other / "RECEIVE");
    ProgramFolder copied(other.path());
    EXPECT_TRUE(copied.createWorkingFolders());
    EXPECT_EQ(copied.sendFolder(), other / "send/");
    EXPECT_EQ(copied.receiveFolder(), other / "RECEIVE/");
    EXPECT_FALSE(fs::exists(other / "SEND"));
}

}  // namespace
}  // namespace px
