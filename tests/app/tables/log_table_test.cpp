#include "app/tables/log_table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/tables/archive_filter.h"
#include "app/tables/index_rebuild.h"
#include "xbase/xb_dbf_file.h"

namespace px {
namespace {

class TScratch {
public:
    TScratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pxlog-XXXXXX").string();
        path_ = std::string(::mkdtemp(pattern.data())) + "/";
    }
    ~TScratch() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TScratch(const TScratch&) = delete;
    TScratch& operator=(const TScratch&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class LogTableTest : public ::testing::Test {
protected:
    std::shared_ptr<TTableEnv> env_ = makeLogEnvironment();
    TScratch folder_;
    TLogTable out_{TLogKind::Outgoing, folder_.path(), env_};
    TLogTable in_{TLogKind::Incoming, folder_.path(), env_};

    void addOutgoing(const std::string& subject, TXbDate sent, const std::string& time,
                     const std::string& doc, bool archived = false) {
        TXbTable& t = out_.table();
        t.append();
        t.setText("SUBJECT", subject);
        t.setDate("DATESENT", sent);
        t.setText("TIMESENT", time);
        t.setText("FAXDOC", doc);
        t.setLogical("ARCHIVED", archived);
    }
    std::vector<std::string> subjects() {
        std::vector<std::string> out;
        TXbTable& t = out_.table();
        for (t.first(); !t.eof(); t.next()) {
            out.push_back(t.text("SUBJECT"));
        }
        return out;
    }
};

using Names = std::vector<std::string>;

TEST_F(LogTableTest, CreatesTheLogsWithTheirExactFields) {
    struct TExpect {
        TLogKind kind;
        const char* file;
        const char* layout;
    };
    const TExpect cases[] = {
        {TLogKind::Outgoing, "PXOUT.DBF",
         "SUBJECT C50.0 DATESENT D8.0 TIMESENT C5.0 RECIPIENT C35.0 PHONE C25.0 "
         "LASTRESULT C100.0 FAXDOC C12.0 FAXCOVER C12.0 NOTES C50.0 CODES C25.0 ARCHIVED L1.0 "},
        {TLogKind::Incoming, "PXREC.DBF",
         "DATEREC D8.0 TIMEREC C5.0 FROM C20.0 PAGES N2.0 FAXFILE C12.0 NOTES C60.0 "
         "ARCHIVED L1.0 "},
        {TLogKind::PhoneBook, "PXPB.DBF", "NAME C35.0 PHONE C25.0 "},
    };
    for (const TExpect& c : cases) {
        TLogTable log(c.kind, folder_.path(), env_);
        ASSERT_TRUE(log.create()) << c.file;
        TXbDbfFile file;
        file.open(folder_.path() + c.file, false);
        std::string layout;
        for (const TXbField& f : file.fields()) {
            layout += f.name + " " + f.type + std::to_string(f.width) + "." +
                      std::to_string(f.decimals) + " ";
        }
        EXPECT_EQ(layout, c.layout);
        EXPECT_EQ(file.recordCount(), 0u);
    }
}

TEST_F(LogTableTest, NewLogsGetEveryTagAndALostIndexComesBackWithoutTheMarker) {
    ASSERT_TRUE(out_.open(".not. archived")) << out_.lastError();
    EXPECT_TRUE(std::filesystem::exists(folder_.path() + "PXOUT.DBF"));
    EXPECT_TRUE(std::filesystem::exists(folder_.path() + "PXOUT.CDX"));
    EXPECT_EQ(out_.table().tagNames(),
              (Names{"DATESENT", "SUBJECT", "RECIPIENT", "CODES", "ARCHIVED", "DATEND"}));
    EXPECT_TRUE(out_.hasMarkerTag()) << "a new log needs no rebuild";
    EXPECT_EQ(out_.table().filter(), ".not. archived");

    ASSERT_TRUE(in_.open(".not. archived"));
    EXPECT_EQ(in_.table().tagNames(), (Names{"DATETIME", "FROM", "ARCHIVED", "DATEND"}));
    EXPECT_EQ(in_.table().filter(), ".not. deleted()");
    EXPECT_TRUE(in_.hasMarkerTag());

    // The marker survives reopening ...
    ASSERT_TRUE(out_.open(""));
    EXPECT_TRUE(out_.hasMarkerTag());
    // ... until the index file of an existing log goes missing: then the tags
    // come back without it, so that a rebuild is offered.
    for (TLogTable* log : {&out_, &in_}) {
        log->close();
        std::filesystem::remove(TXbTable::indexPathFor(log->tablePath()));
        ASSERT_TRUE(log->open(""));
        EXPECT_FALSE(log->hasMarkerTag()) << log->schema().fileName;
    }
    EXPECT_EQ(out_.table().tagCount(), 5);
    EXPECT_EQ(in_.table().tagCount(), 3);
    rebuildIndexes(out_, in_, folder_.path(), env_, {});
    EXPECT_TRUE(out_.hasMarkerTag());
    EXPECT_TRUE(in_.hasMarkerTag());
}

TEST_F(LogTableTest, OpenFailsCleanlyOnAnUnreadableLog) {
    {
        std::ofstream bad(folder_.path() + "PXOUT.DBF");
        bad << "this is not a table";
    }
    EXPECT_FALSE(out_.open(""));
    EXPECT_FALSE(out_.lastError().empty());
    EXPECT_FALSE(out_.table().isOpen());
    TLogTable nowhere(TLogKind::Incoming, folder_.path() + "no/such/folder", env_);
    EXPECT_FALSE(nowhere.open(""));
    EXPECT_STREQ(kOutgoingOpenFailed, "Unable to open/create the FAX datafile - closing program");
    EXPECT_STREQ(kIncomingOpenFailed,
                 "Unable to open/create the FAX RECEIVE datafile - closing program");
}

TEST_F(LogTableTest, DerivedDisplayFields) {
    ASSERT_TRUE(out_.open(""));
    addOutgoing("cover only", {}, "", "");
    EXPECT_EQ(out_.calcFaxFile(), "(Cover only)");
    EXPECT_EQ(out_.isDeletedText(), "No ");
    EXPECT_EQ(out_.isArchivedText(), "No ");
    addOutgoing("with document", {}, "", "FAX00012.APF", true);
    EXPECT_EQ(out_.isArchivedText(), "Yes");
    out_.table().setDeleted(true);
    EXPECT_EQ(out_.isDeletedText(), "Yes");

    ASSERT_TRUE(in_.open(""));
    in_.table().append();
    in_.table().setText("FAXFILE", "RCV00001.APF");
    in_.table().setNumber("PAGES", 3);

    // The fax file is shown as the path that exists, whatever the letter case
    // of the stored name; a missing file shows the path it would have, in the
    // folder's own letter case (the names the program creates when there is none).
    const std::string& home = folder_.path();
    EXPECT_EQ(out_.calcFaxFile(), home + "SEND/FAX00012.APF");
    EXPECT_EQ(in_.calcFaxFile(), home + "Receive/RCV00001.APF");
    std::filesystem::create_directories(home + "Send");
    std::filesystem::create_directories(home + "RECEIVE");
    EXPECT_EQ(out_.calcFaxFile(), home + "Send/FAX00012.APF");
    std::ofstream(home + "Send/fax00012.apf") << "x";
    std::ofstream(home + "RECEIVE/Rcv00001.Apf") << "x";
    EXPECT_EQ(out_.calcFaxFile(), home + "Send/fax00012.apf");
    EXPECT_EQ(in_.calcFaxFile(), home + "RECEIVE/Rcv00001.Apf");
}

// The clean-up window's conditions, evaluated record by record under the
// log environment (month/day/year dates, inexact comparison).
TEST_F(LogTableTest, CleanupConditionsMatchTheRightFaxes) {
    ASSERT_TRUE(in_.open(""));
    struct TFax {
        const char* from;
        TXbDate received;
    };
    const TFax faxes[] = {{"  J. Smith ", {2026, 11, 30}},
                          {"SMITHSON", {2026, 12, 8}},
                          {"smith", {}},
                          {"Jones", {1999, 1, 1}}};
    for (const TFax& f : faxes) {
        in_.table().append();
        in_.table().setText("FROM", f.from);
        in_.table().setDate("DATEREC", f.received);
    }
    auto matching = [&](const std::string& condition) {
        const TXbExpression e = in_.table().compile(condition);
        std::string out;
        in_.table().setOrder(0);
        for (in_.table().first(); !in_.table().eof(); in_.table().next()) {
            if (in_.table().evaluate(e).logical) {
                out += std::to_string(in_.table().recNo());
            }
        }
        return out;
    };
    EXPECT_EQ(matching("(DATEREC<CTOD(\"12/08/26\")) .and. (.not. EMPTY(DATEREC))"), "14");
    EXPECT_EQ(matching("(DATEREC<CTOD(\"12/09/26\")) .and. (.not. EMPTY(DATEREC))"), "124");
    EXPECT_EQ(matching("ALLTRIM(UPPER(FROM))==\"SMITH\""), "3");
    EXPECT_EQ(matching("\"SMITH\"$ALLTRIM(UPPER(FROM))"), "123");
    EXPECT_EQ(matching(".true."), "1234");
}

TEST_F(LogTableTest, SortOrdersShowTheNewestFaxFirst) {
    ASSERT_TRUE(out_.open(""));
    addOutgoing("old", {2025, 1, 1}, "08:00", "");
    addOutgoing("unsent", {}, "", "");
    addOutgoing("new", {2026, 12, 8}, "09:30", "");
    addOutgoing("newer", {2026, 12, 8}, "14:00", "");
    out_.table().setOrder(out_.schema().defaultTag);
    EXPECT_EQ(out_.table().order(), 1);
    EXPECT_EQ(subjects(), (Names{"newer", "new", "old", "unsent"}));
    out_.table().setOrder("SUBJECT");
    EXPECT_EQ(subjects(), (Names{"new", "newer", "old", "unsent"}));
}

TEST_F(LogTableTest, ArchiveFilterToggleRestoresTheFilterOnBothTables) {
    ASSERT_TRUE(out_.open(".not. archived"));
    ASSERT_TRUE(in_.open(""));
    addOutgoing("a", {}, "", "");
    addOutgoing("b", {}, "", "", true);
    TArchiveFilter filter;
    EXPECT_EQ(filter.text(), ".not. archived");
    auto apply = [&] {
        out_.table().setFilter(filter.text());
        in_.table().setFilter(filter.text());
    };
    apply();
    EXPECT_EQ(out_.table().visibleCount(), 1u);
    filter.toggle();
    apply();
    EXPECT_TRUE(filter.showsArchived());
    EXPECT_EQ(out_.table().visibleCount(), 2u);
    filter.toggle();
    apply();
    EXPECT_EQ(out_.table().filter(), ".not. ARCHIVED");
    EXPECT_EQ(in_.table().filter(), ".not. ARCHIVED");
    EXPECT_EQ(out_.table().visibleCount(), 1u);
}

TEST_F(LogTableTest, RebuildPacksDeletedRecordsAndReportsEachStep) {
    ASSERT_TRUE(out_.open(""));
    ASSERT_TRUE(in_.open(""));
    for (int i = 0; i < 20; ++i) {
        addOutgoing("fax " + std::to_string(i), {2026, 1, 1 + i}, "10:00", "");
        if (i % 4 == 0) {
            out_.table().setDeleted(true);
        }
    }
    EXPECT_EQ(out_.table().visibleCount(), 15u);  // deleted but not packed: invisible
    EXPECT_EQ(out_.table().recCount(), 20u);
    out_.table().setOrder("SUBJECT");
    {
        TLogTable book(TLogKind::PhoneBook, folder_.path(), env_);
        ASSERT_TRUE(book.open());
        for (const char* name : {"smith", "Adams", "Baker"}) {
            book.table().append();
            book.table().setText("NAME", name);
        }
        book.table().goTo(1);
        book.table().setDeleted(true);
    }
    std::vector<std::string> texts;
    int gaugeReports = 0;
    TRebuildProgress progress{[&](const std::string& t) { texts.push_back(t); },
                              [&](int p) {
                                  EXPECT_GE(p, 0);
                                  EXPECT_LE(p, 100);
                                  ++gaugeReports;
                              }};
    rebuildIndexes(out_, in_, folder_.path(), env_, progress);
    EXPECT_EQ(
        texts,
        (Names{"Removing FAX file records marked for deletion", "Rebuilding FAX file indexes",
               "Removing RECEIVE file records marked for deletion",
               "Rebuilding RECEIVE file indexes", "Removing PHONE file records marked for deletion",
               "Rebuilding PHONE file indexes"}));
    EXPECT_GT(gaugeReports, 6);
    EXPECT_EQ(out_.table().recCount(), 15u);
    EXPECT_EQ(out_.table().order(), out_.table().orderOf("SUBJECT"));
    EXPECT_TRUE(out_.hasMarkerTag());
    EXPECT_TRUE(in_.hasMarkerTag());
    EXPECT_EQ(out_.table().tagCount(), 6);

    TLogTable book(TLogKind::PhoneBook, folder_.path(), env_);
    ASSERT_TRUE(book.open());
    EXPECT_EQ(book.table().recCount(), 2u);
    std::vector<std::string> names;
    for (book.table().first(); !book.table().eof(); book.table().next()) {
        names.push_back(book.table().text("NAME"));
    }
    EXPECT_EQ(names, (Names{"Adams", "Baker"}));  // NAME key as stored, no case folding
}

TEST_F(LogTableTest, RebuildSkipsAPhoneBookInUse) {
    ASSERT_TRUE(out_.open(""));
    ASSERT_TRUE(in_.open(""));
    TLogTable holder(TLogKind::PhoneBook, folder_.path(), env_);
    ASSERT_TRUE(holder.open());
    holder.table().append();
    holder.table().setDeleted(true);
    std::vector<std::string> texts;
    rebuildIndexes(out_, in_, folder_.path(), env_,
                   {[&](const std::string& t) { texts.push_back(t); }, nullptr});
    EXPECT_EQ(texts.size(), 4u);
    EXPECT_EQ(holder.table().recCount(), 1u);
}

TEST_F(LogTableTest, PhoneBookListsByNameAndHidesDeletedEntries) {
    TLogTable book(TLogKind::PhoneBook, folder_.path(), env_);
    ASSERT_TRUE(book.open());
    EXPECT_TRUE(std::filesystem::exists(folder_.path() + "PXPB.CDX"));
    EXPECT_EQ(book.table().visibleCount(), 0u);
    for (const char* name : {"bravo", "Alpha", "alpha"}) {
        book.table().append();
        book.table().setText("NAME", name);
    }
    book.table().setDeleted(true);
    EXPECT_EQ(book.table().visibleCount(), 2u);
    std::vector<std::string> names;
    for (book.table().first(); !book.table().eof(); book.table().next()) {
        names.push_back(book.table().text("NAME"));
    }
    EXPECT_EQ(names, (Names{"Alpha", "bravo"}));
}

}  // namespace
}  // namespace px
