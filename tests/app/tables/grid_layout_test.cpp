#include "app/tables/grid_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace px {
namespace {

class GridLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "pxgrid-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    void write(const std::string& name, const std::string& text) {
        std::ofstream(folder_ + "/" + name) << text;
    }
    std::string read(const std::string& name) {
        std::ifstream in(folder_ + "/" + name);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<std::string> names(const TGridLayout& layout) {
        std::vector<std::string> out;
        for (const TGridField& f : layout.fields()) {
            out.push_back(f.name);
        }
        return out;
    }
    std::string folder_;
};

using Names = std::vector<std::string>;

TEST_F(GridLayoutTest, DefaultShowsTitledFieldsThenTheFaxFile) {
    const TGridLayout layout = TGridLayout::outgoingDefault();
    EXPECT_EQ(names(layout), (Names{"SUBJECT", "DATESENT", "TIMESENT", "RECIPIENT", "PHONE",
                                    "LASTRESULT", "FAXDOC", "FAXCOVER", "NOTES", "CODES",
                                    "ARCHIVED", "calcFaxFile", "ISDELETED", "ISARCHIVED"}));
    std::vector<std::string> titles;
    for (const TGridField* f : layout.columns()) {
        titles.push_back(f->title);
    }
    EXPECT_EQ(titles, (Names{"Subject", "Date Sent", "Time Sent", "Recipient", "Fax#",
                             "Last Attempt", "Notes", "Codes", "Fax File"}));
}

TEST_F(GridLayoutTest, SavedOrderAndWidthsComeBackExactlyWhereverTheFaxFileIs) {
    struct TCase {
        const char* name;
        std::vector<std::pair<const char*, std::size_t>> moves;
        const char* orderFile;
    };
    const TCase cases[] = {
        {"fax file first",
         {{"calcFaxFile", 0}, {"NOTES", 1}},
         "\r\nNOTES\r\nSUBJECT\r\nDATESENT\r\nTIMESENT\r\nRECIPIENT\r\nPHONE\r\nLASTRESULT\r\n"
         "FAXDOC\r\nFAXCOVER\r\nCODES\r\nARCHIVED\r\nISDELETED\r\nISARCHIVED\r\n"},
        {"fax file between", {{"calcFaxFile", 3}, {"RECIPIENT", 0}}, nullptr},
        {"fax file last", {{"calcFaxFile", 13}, {"CODES", 0}}, nullptr},
        {"as first shown", {}, nullptr},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TGridLayout layout = TGridLayout::outgoingDefault();
        for (const auto& [field, position] : c.moves) {
            ASSERT_TRUE(layout.moveField(field, position));
        }
        layout.setIndicatorWidth(12);
        int width = 40;
        for (TGridField& f : layout.fields()) {
            f.width = width++;
        }
        layout.save(folder_);
        if (c.orderFile != nullptr) {
            EXPECT_EQ(read("Out.gco"), c.orderFile);
        }
        EXPECT_EQ(read("Out.gco").find("calcFaxFile"), std::string::npos);
        const std::string widths = read("Out.gcs");
        EXPECT_EQ(std::count(widths.begin(), widths.end(), '\n'), 10);  // indicator + 9 columns

        TGridLayout loaded = TGridLayout::outgoingDefault();
        loaded.load(folder_);
        EXPECT_EQ(loaded.indicatorWidth(), 12);
        EXPECT_EQ(names(loaded), names(layout));
        const auto saved = layout.columns();
        const auto back = loaded.columns();
        ASSERT_EQ(back.size(), saved.size());
        for (std::size_t i = 0; i < saved.size(); ++i) {
            EXPECT_EQ(back[i]->name, saved[i]->name);
            EXPECT_EQ(back[i]->width, saved[i]->width) << saved[i]->name;
        }
    }
}

TEST_F(GridLayoutTest, AnOrderFileWithoutTheFaxFileLineShowsItAfterTheNamedFields) {
    write("Out.gco",
          "CODES\r\nSUBJECT\r\nDATESENT\r\nTIMESENT\r\nRECIPIENT\r\nPHONE\r\n"
          "LASTRESULT\r\nFAXDOC\r\nFAXCOVER\r\nNOTES\r\nARCHIVED\r\nISDELETED\r\n"
          "ISARCHIVED\r\n");
    TGridLayout layout = TGridLayout::outgoingDefault();
    layout.load(folder_);
    EXPECT_EQ(names(layout), (Names{"CODES", "SUBJECT", "DATESENT", "TIMESENT", "RECIPIENT",
                                    "PHONE", "LASTRESULT", "FAXDOC", "FAXCOVER", "NOTES",
                                    "ARCHIVED", "ISDELETED", "ISARCHIVED", "calcFaxFile"}));
}

TEST_F(GridLayoutTest, UnknownNamesAndBadWidthsAreSkippedEntryByEntry) {
    write("Out.gco", "RECIPIENT\nNOSUCHFIELD\nSUBJECT\nphone\n");
    write("Out.gcs", "15\nwide\n120\n-\n90\n");
    TGridLayout layout = TGridLayout::outgoingDefault();
    layout.load(folder_);
    // Each name goes to its line's position: RECIPIENT 0, SUBJECT 2, PHONE 3.
    EXPECT_EQ(names(layout)[0], "RECIPIENT");
    EXPECT_EQ(names(layout)[2], "SUBJECT");
    EXPECT_EQ(names(layout)[3], "PHONE");
    EXPECT_EQ(layout.indicatorWidth(), 15);
    const auto columns = layout.columns();
    EXPECT_EQ(columns[0]->name, "RECIPIENT");
    EXPECT_NE(columns[0]->width, 0);  // "wide" skipped: unchanged
    EXPECT_EQ(columns[1]->width, 120);
    EXPECT_EQ(columns[3]->width, 90);
}

TEST_F(GridLayoutTest, MissingFilesChangeNothing) {
    TGridLayout layout = TGridLayout::outgoingDefault();
    layout.load(folder_ + "/nowhere");
    EXPECT_EQ(names(layout), names(TGridLayout::outgoingDefault()));
    EXPECT_THROW(layout.save(folder_ + "/nowhere/deeper"), std::runtime_error);
}

}  // namespace
}  // namespace px
