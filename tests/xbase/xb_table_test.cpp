#include "xbase/xb_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "xb_test_util.h"
#include "xbase/xb_error.h"

namespace px {
namespace {

using test::TTempDir;

class TableTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.file("LOG.DBF");
        TXbTable::create(path_, {{"NAME", 'C', 10, 0, 0},
                                 {"DATESENT", 'D', 8, 0, 0},
                                 {"TIMESENT", 'C', 5, 0, 0},
                                 {"ARCHIVED", 'L', 1, 0, 0}});
        table_.open(path_);
    }
    void add(const std::string& name, TXbDate date, const std::string& time, bool archived) {
        table_.append();
        table_.setText("name", name);
        table_.setDate("DATESENT", date);
        table_.setText("TIMESENT", time);
        table_.setLogical("Archived", archived);
    }
    // The names of the visible records in the current order, walking forward.
    std::vector<std::string> walk() {
        std::vector<std::string> out;
        for (table_.first(); !table_.eof(); table_.next()) {
            out.push_back(table_.text("NAME"));
        }
        return out;
    }
    std::vector<std::string> walkBack() {
        std::vector<std::string> out;
        table_.last();
        while (!table_.eof()) {
            out.push_back(table_.text("NAME"));
            table_.prior();
            if (table_.bof()) {
                break;
            }
        }
        return out;
    }
    void addLogTags() {
        table_.createTag("DATESENT", "DTOS(DATESENT)+TIMESENT", ".not. deleted()", 0, true);
        table_.createTag("NAME", "UPPER(NAME)", ".not. deleted()", 0, false);
        table_.createTag("ARCHIVED", "ARCHIVED", ".not. deleted()", 0, false);
    }

    TTempDir dir_;
    std::string path_;
    TXbTable table_;
};

using Names = std::vector<std::string>;

TEST_F(TableTest, OrdersSortByKeyAndKeepEqualKeysInRecordOrder) {
    add("bravo", {2026, 1, 2}, "10:00", false);
    add("alpha", {2026, 1, 2}, "10:00", false);
    add("Charlie", {}, "", false);
    add("alpha", {2025, 5, 5}, "23:59", false);
    add("delta", {2026, 1, 2}, "09:59", true);
    addLogTags();

    EXPECT_EQ(table_.orderOf("datesent"), 1);
    EXPECT_EQ(table_.orderOf("Name"), 2);
    EXPECT_EQ(table_.orderOf("DATEND"), 0);
    EXPECT_EQ(walk(), (Names{"bravo", "alpha", "Charlie", "alpha", "delta"}));  // record order

    table_.setOrder("DATESENT");
    EXPECT_EQ(table_.order(), 1);
    // Descending: newest first; the equal keys of bravo and alpha stay in record order.
    EXPECT_EQ(walk(), (Names{"bravo", "alpha", "delta", "alpha", "Charlie"}));
    EXPECT_EQ(walkBack(), (Names{"Charlie", "alpha", "delta", "alpha", "bravo"}));

    table_.setOrder(2);
    EXPECT_EQ(walk(), (Names{"alpha", "alpha", "bravo", "Charlie", "delta"}));
    table_.setOrder("ARCHIVED");
    EXPECT_EQ(walk(), (Names{"bravo", "alpha", "Charlie", "alpha", "delta"}));
    EXPECT_THROW(table_.setOrder("NOPE"), EXbError);
    EXPECT_THROW(table_.setOrder(4), EXbError);
    EXPECT_EQ(table_.order(), 3);
}

TEST_F(TableTest, ManyEqualKeysAreAllListed) {
    addLogTags();
    for (int i = 0; i < 300; ++i) {
        add("same", {2026, 1, 1}, "12:00", false);
    }
    table_.setOrder("DATESENT");
    EXPECT_EQ(table_.visibleCount(), 300u);
    std::vector<std::uint32_t> recnos;
    for (table_.first(); !table_.eof(); table_.next()) {
        recnos.push_back(table_.recNo());
    }
    ASSERT_EQ(recnos.size(), 300u);
    EXPECT_TRUE(std::is_sorted(recnos.begin(), recnos.end()));
}

TEST_F(TableTest, WritesRefileRecordsInEveryOrder) {
    addLogTags();
    add("a", {2026, 1, 1}, "10:00", false);
    add("b", {2026, 1, 2}, "10:00", false);
    add("c", {2026, 1, 3}, "10:00", false);
    table_.setOrder("DATESENT");
    EXPECT_EQ(walk(), (Names{"c", "b", "a"}));
    table_.goTo(1);
    table_.setDate("DATESENT", {2027, 1, 1});
    EXPECT_EQ(walk(), (Names{"a", "c", "b"}));
    table_.goTo(3);
    table_.setText("NAME", "0first");
    table_.setOrder("NAME");
    EXPECT_EQ(walk(), (Names{"0first", "a", "b"}));
}

TEST_F(TableTest, DeletedRecordsLeaveTheTagsAndHideUntilShown) {
    addLogTags();
    add("a", {2026, 1, 1}, "10:00", false);
    add("b", {2026, 1, 2}, "10:00", false);
    add("c", {2026, 1, 3}, "10:00", false);
    table_.setOrder("NAME");
    table_.goTo(2);
    table_.setDeleted(true);
    EXPECT_TRUE(table_.deleted());
    EXPECT_EQ(walk(), (Names{"a", "c"}));
    EXPECT_EQ(table_.visibleCount(), 2u);
    // Showing deleted records does not bring them back into a ".not. deleted()" tag,
    // but record order lists them.
    table_.env().setDeletedHidden(false);
    EXPECT_EQ(walk(), (Names{"a", "c"}));
    table_.setOrder(0);
    EXPECT_EQ(walk(), (Names{"a", "b", "c"}));
    EXPECT_EQ(table_.visibleCount(), 3u);
    table_.env().setDeletedHidden(true);
    EXPECT_EQ(table_.visibleCount(), 2u);
    // Navigation from a record that its order leaves out carries on in order.
    table_.setOrder("NAME");
    table_.goTo(2);
    table_.next();
    EXPECT_EQ(table_.text("NAME"), "c");
}

TEST_F(TableTest, FilterAndVisibleCountFollowWrites) {
    add("a", {2026, 1, 1}, "10:00", false);
    add("b", {2026, 1, 2}, "10:00", true);
    add("c", {2026, 1, 3}, "10:00", false);
    table_.setFilter(".not. ARCHIVED");
    EXPECT_EQ(table_.filter(), ".not. ARCHIVED");
    EXPECT_EQ(table_.visibleCount(), 2u);
    EXPECT_EQ(walk(), (Names{"a", "c"}));
    table_.first();
    table_.setLogical("ARCHIVED", true);
    EXPECT_EQ(table_.visibleCount(), 1u);
    table_.setFilter("");
    EXPECT_EQ(table_.visibleCount(), 3u);
    EXPECT_THROW(table_.setFilter("NAME"), EXbError);  // not logical
    EXPECT_THROW(table_.setFilter(".not. NOSUCH"), EXbError);
    EXPECT_EQ(table_.filter(), "");
    table_.setFilter("ARCHIVED .and. NAME = \"z\"");
    EXPECT_EQ(table_.visibleCount(), 0u);
    table_.first();
    EXPECT_TRUE(table_.eof());
    EXPECT_TRUE(table_.bof());
    EXPECT_EQ(table_.recNo(), 4u);  // record count + 1: no current record
    EXPECT_FALSE(table_.hasCurrent());
    EXPECT_EQ(table_.text("NAME"), "");  // the blank record at EOF
    EXPECT_THROW(table_.setText("NAME", "x"), EXbError);
}

TEST_F(TableTest, NavigationEdges) {
    EXPECT_TRUE(table_.eof());
    table_.last();
    EXPECT_TRUE(table_.eof());
    add("a", {}, "", false);
    add("b", {}, "", false);
    table_.first();
    table_.prior();
    EXPECT_TRUE(table_.bof());
    EXPECT_EQ(table_.text("NAME"), "a");
    table_.last();
    table_.next();
    EXPECT_TRUE(table_.eof());
    table_.prior();
    EXPECT_EQ(table_.text("NAME"), "b");
    EXPECT_THROW(table_.goTo(0), EXbError);
    EXPECT_THROW(table_.goTo(3), EXbError);
    table_.goTo(1);
    EXPECT_EQ(table_.recNo(), 1u);
    EXPECT_EQ(table_.recCount(), 2u);
    EXPECT_THROW(table_.value("NOPE"), EXbError);
    EXPECT_EQ(table_.fieldIndex("timesent"), 2);
    EXPECT_EQ(table_.fieldIndex("NOPE"), -1);
}

TEST_F(TableTest, PackDropsDeletedRecordsAndReportsProgress) {
    addLogTags();
    for (int i = 0; i < 500; ++i) {
        add("n" + std::to_string(i), {2026, 1, 1 + i % 28}, "10:00", false);
        if (i % 5 == 0) {
            table_.setDeleted(true);
        }
    }
    std::vector<int> reports;
    table_.setProgress([&](int p) { reports.push_back(p); });
    table_.setOrder("NAME");
    table_.pack();
    EXPECT_EQ(table_.recCount(), 400u);
    EXPECT_EQ(table_.visibleCount(), 400u);
    EXPECT_EQ(table_.order(), 1 + 1);
    EXPECT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), 100);
    table_.setOrder(0);
    table_.first();
    EXPECT_EQ(table_.text("NAME"), "n1");
    table_.close();
    table_.open(path_);
    EXPECT_EQ(table_.recCount(), 400u);
    EXPECT_EQ(table_.tagCount(), 3);
}

TEST_F(TableTest, TagsPersistInTheCompanionFile) {
    addLogTags();
    add("x", {2026, 1, 1}, "10:00", false);
    table_.close();
    ASSERT_TRUE(std::filesystem::exists(dir_.file("LOG.CDX")));
    TXbTable again;
    again.open(dir_.file("log.dbf"));  // any letter case finds the files
    EXPECT_TRUE(again.hasProductionIndex());
    EXPECT_EQ(again.tagNames(), (Names{"DATESENT", "NAME", "ARCHIVED"}));
    again.setOrder("NAME");
    again.first();
    EXPECT_EQ(again.text("NAME"), "x");
    again.closeIndex();
    EXPECT_EQ(again.order(), 0);
    EXPECT_EQ(again.tagCount(), 0);
    EXPECT_FALSE(again.hasProductionIndex());
}

TEST_F(TableTest, MissingOrDamagedCompanionNeverLosesTheTable) {
    addLogTags();
    add("x", {2026, 1, 1}, "10:00", false);
    add("y", {2026, 1, 2}, "10:00", false);
    table_.close();
    const std::string cdx = dir_.file("LOG.CDX");
    const std::vector<char> good = test::readBytes(cdx);
    std::vector<std::vector<char>> damaged;
    damaged.push_back({});
    damaged.push_back(std::vector<char>(good.begin(), good.begin() + 20));
    std::vector<char> flipped = good;
    flipped[25] ^= 0x20;
    damaged.push_back(flipped);
    damaged.push_back(std::vector<char>(5000, '\xFF'));
    for (const auto& bytes : damaged) {
        test::writeBytes(cdx, bytes);
        TXbTable t;
        ASSERT_NO_THROW(t.open(path_));
        EXPECT_FALSE(t.hasProductionIndex());
        EXPECT_EQ(t.recCount(), 2u);
        EXPECT_EQ(t.visibleCount(), 2u);
        // Recreating a tag rewrites the companion.
        t.createTag("NAME", "UPPER(NAME)", ".not. deleted()", 0, false);
        EXPECT_TRUE(t.hasProductionIndex());
    }
    // A well-formed checksum around a malformed line is still damage.
    std::string crafted = "PARVEX-CDX 1\nTAG\tNAME\t--\tA\tNAME\t\n";
    char crc[16];
    std::snprintf(crc, sizeof crc, "CRC %08x\n", xbCrc32(crafted.data(), crafted.size()));
    crafted += crc;
    test::writeBytes(cdx, std::vector<char>(crafted.begin(), crafted.end()));
    {
        TXbTable t;
        ASSERT_NO_THROW(t.open(path_));
        EXPECT_FALSE(t.hasProductionIndex());
    }
    std::filesystem::remove(cdx);
    TXbTable t;
    ASSERT_NO_THROW(t.open(path_));
    EXPECT_FALSE(t.hasProductionIndex());
    EXPECT_EQ(t.recCount(), 2u);
}

TEST_F(TableTest, BadTagsAreRefusedWithoutTouchingTheIndex) {
    addLogTags();
    EXPECT_THROW(table_.createTag("BAD", "UPPER(NOSUCH)", "", 0, false), EXbError);
    EXPECT_THROW(table_.createTag("BAD", "NAME", "NAME", 0, false), EXbError);
    EXPECT_THROW(table_.createTag("", "NAME", "", 0, false), EXbError);
    EXPECT_THROW(table_.createTag("TOOLONGNAME1", "NAME", "", 0, false), EXbError);
    EXPECT_THROW(table_.createTag("TAB", "NAME\t", "", 0, false), EXbError);
    EXPECT_EQ(table_.tagCount(), 3);
    // Creating an existing tag replaces it in place.
    table_.createTag("name", "NAME", "", 0, true);
    EXPECT_EQ(table_.tagCount(), 3);
    EXPECT_EQ(table_.orderOf("NAME"), 2);
}

// Random appends, edits, deletions, reopenings and packs against a plain
// model: every order must list exactly the visible records, sorted by key
// with equal keys in record order, whether its keys were built before or
// after the writes.
TEST_F(TableTest, OrdersAgreeWithAModelUnderRandomWrites) {
    struct TRow {
        std::string name;
        TXbDate date;
        std::string time;
        bool archived;
        bool deleted;
    };
    std::vector<TRow> model;
    addLogTags();
    std::mt19937 rng(7);
    auto randomName = [&] {
        return std::string(1, static_cast<char>('a' + rng() % 5)) + (rng() % 2 ? "X" : "x");
    };
    auto check = [&](const std::string& tag, const std::string& filter, int step) {
        table_.setOrder(tag);
        table_.setFilter(filter);
        std::vector<std::uint32_t> expected;
        for (std::uint32_t r = 1; r <= model.size(); ++r) {
            const TRow& row = model[r - 1];
            if (!row.deleted && (filter.empty() || !row.archived)) {
                expected.push_back(r);
            }
        }
        auto key = [&](std::uint32_t r) {
            const TRow& row = model[r - 1];
            if (tag == "NAME") {
                std::string k = row.name;
                for (char& c : k) {
                    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                }
                return k;
            }
            if (tag == "ARCHIVED") {
                return std::string(row.archived ? "T" : "F");
            }
            return row.date.toDtos() + (row.time + "     ").substr(0, 5);
        };
        std::stable_sort(expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) {
            return tag == "DATESENT" ? key(a) > key(b) : key(a) < key(b);
        });
        std::vector<std::uint32_t> actual;
        for (table_.first(); !table_.eof(); table_.next()) {
            actual.push_back(table_.recNo());
        }
        ASSERT_EQ(actual, expected) << "step " << step << " order " << tag;
        ASSERT_EQ(table_.visibleCount(), expected.size()) << "step " << step;
    };
    const char* tags[] = {"DATESENT", "NAME", "ARCHIVED"};
    for (int step = 0; step < 400; ++step) {
        const unsigned action = rng() % 10;
        if (action < 4 || model.empty()) {
            TRow row{randomName(),
                     {2026, 1 + static_cast<int>(rng() % 2), 1 + static_cast<int>(rng() % 3)},
                     rng() % 2 ? "10:00" : "",
                     rng() % 3 == 0,
                     false};
            add(row.name, row.date, row.time, row.archived);
            model.push_back(row);
        } else if (action < 7) {
            const auto r = static_cast<std::uint32_t>(1 + rng() % model.size());
            table_.goTo(r);
            model[r - 1].name = randomName();
            table_.setText("NAME", model[r - 1].name);
            model[r - 1].archived = !model[r - 1].archived;
            table_.setLogical("ARCHIVED", model[r - 1].archived);
        } else if (action < 9) {
            const auto r = static_cast<std::uint32_t>(1 + rng() % model.size());
            table_.goTo(r);
            model[r - 1].deleted = !model[r - 1].deleted;
            table_.setDeleted(model[r - 1].deleted);
        } else if (step % 3 == 0) {
            table_.pack();
            std::erase_if(model, [](const TRow& row) { return row.deleted; });
        } else {
            // Reopening leaves every tag unbuilt until its order is chosen.
            table_.close();
            table_.open(path_);
        }
        if (step % 7 == 0) {
            ASSERT_NO_FATAL_FAILURE(
                check(tags[rng() % 3], rng() % 2 ? "" : ".not. ARCHIVED", step));
        }
    }
    for (const char* tag : tags) {
        ASSERT_NO_FATAL_FAILURE(check(tag, "", 400));
    }
}

}  // namespace
}  // namespace px
