// Bulk deletes of the cleanup window: exactly the matching faxes lose their
// records and files, read back from the file by another xBase reader.
#include <QDate>

#include "app/cleanup/delete_conditions.h"
#include "cleanup_fixture.h"

namespace px::test {
namespace {

using Strings = std::vector<std::string>;

class FaxDeletion : public CleanupFixture {};

TEST_F(FaxDeletion, ByDateArchivedAndAQuotedNameTakeExactlyTheirFaxesAndFiles) {
    outgoing("Old Sent", "19991231", false, "FAX00001.APF", "COV00001.APF");
    outgoing("October", "20261015", false, "FAX00002.APF");
    outgoing("December", "20261201", false, "FAX00003.APF");
    outgoing("Never Sent", "", false, "fax00004.apf");
    outgoing("Archived", "20261205", true, "FAX00005.APF");
    outgoing("O\"Brien \"Q\" & Co", "20261206", false, "FAX00006.APF");
    outgoing("O\"Brien", "20261207", false, "FAX00007.APF");
    // The stored name and the file on disk differ in letter case only.
    outgoing("Lower Case", "19990101", false, "FAX00008.APF");
    std::filesystem::rename(sendFile("FAX00008.APF"), sendFile("fax00008.apf"));
    auto form = openForm();

    // Before November 1st 2026: 1999 is earlier than 2026, an unsent fax has no date.
    form->chooseDay = [](const QDate&) { return QDate(2026, 11, 1); };
    host.scripted.answers = {true};
    form->DeleteBeforeDateClick();
    ASSERT_EQ(host.scripted.questions.size(), 1u);
    EXPECT_EQ(host.scripted.questions[0].caption, "DELETE");
    EXPECT_EQ(host.scripted.questions[0].text,
              "Delete all outgoing faxes prior to " +
                  QLocale::system().toString(QDate(2026, 11, 1), QLocale::LongFormat) +
                  " (action is permanent)?");
    EXPECT_FALSE(host.scripted.questions[0].noDefault) << "Yes is the default";

    host.scripted.answers = {true};
    form->DeleteArchivedClick();
    EXPECT_EQ(host.scripted.questions.back().text,
              "Delete all archived outgoing faxes? (action is permanent)");

    form->chooseConditions = [](TMainPage) {
        return TMatchChoice{"RECIPIENT", " o\"brien \"q\" & co ", true};
    };
    form->DeleteForConditionsClick();
    EXPECT_EQ(host.scripted.informations,
              (std::vector<QString>{"3 deleted.", "1 deleted.", "1 deleted."}));
    EXPECT_TRUE(form->somethingDeleted());

    for (const char* gone : {"FAX00001.APF", "COV00001.APF", "COV00001.FCD", "FAX00002.APF",
                             "FAX00005.APF", "FAX00006.APF", "fax00008.apf"}) {
        EXPECT_FALSE(exists(sendFile(gone))) << gone;
    }
    for (const char* kept : {"FAX00003.APF", "fax00004.apf", "FAX00007.APF"}) {
        EXPECT_TRUE(exists(sendFile(kept))) << kept;
    }
    form->reject();
    host.log(TMainPage::Outgoing).close();
    EXPECT_EQ(keptRecords(TMainPage::Outgoing, "RECIPIENT"),
              (Strings{"December", "Never Sent", "O\"Brien"}));
}

TEST_F(FaxDeletion, NamesWithExpressionSyntaxMatchOnlyThemselves) {
    const Strings names = {"a$b", "X .and. .t.", "\") .or. .t. .or. (\"", "Plain", ""};
    for (const std::string& name : names) {
        incoming(name, "20261201", false, "R" + std::to_string(&name - names.data()) + ".APF");
    }
    auto form = openForm();
    form->showPage(TMainPage::Incoming);
    const struct {
        const char* value;
        bool exact;
    } kDeletes[] = {{"$", false},                     // contained in "a$b" only
                    {"x .AND. .T.", true},            // the literal text, any case
                    {"\") .or. .t. .or. (\"", true},  // no expression is ever made of it
                    {".t.", true},                    // never true for every record
                    {"   ", false}};                  // blank: nothing at all
    for (const auto& d : kDeletes) {
        form->chooseConditions = [&](TMainPage page) {
            EXPECT_EQ(page, TMainPage::Incoming);
            return TMatchChoice{"FROM", d.value, d.exact};
        };
        form->DeleteForConditionsClick();
    }
    EXPECT_EQ(host.scripted.informations,
              (std::vector<QString>{"1 deleted.", "1 deleted.", "1 deleted.", "0 deleted."}));
    EXPECT_FALSE(exists(receivedFile("R0.APF")));
    EXPECT_TRUE(exists(receivedFile("R3.APF")));
    form->reject();
    host.log(TMainPage::Incoming).close();
    EXPECT_EQ(keptRecords(TMainPage::Incoming, "FROM"), (Strings{"Plain", ""}));
}

TEST_F(FaxDeletion, SmithExactlyOrInPart) {
    for (const char* from : {"J. Smith", "SMITHSON", "  smith ", "Smyth"}) {
        incoming(from, "20261201");
    }
    auto form = openForm();
    form->showPage(TMainPage::Incoming);
    form->chooseConditions = [](TMainPage) { return TMatchChoice{"FROM", "SMITH", true}; };
    form->DeleteForConditionsClick();
    form->chooseConditions = [](TMainPage) { return TMatchChoice{"FROM", "smith", false}; };
    form->DeleteForConditionsClick();
    EXPECT_EQ(host.scripted.informations, (std::vector<QString>{"1 deleted.", "2 deleted."}));
    form->reject();
    host.log(TMainPage::Incoming).close();
    EXPECT_EQ(keptRecords(TMainPage::Incoming, "FROM"), (Strings{"Smyth"}));
}

TEST_F(FaxDeletion, EmptyLogCountsNothingAndDeletedFaxesAreNotCountedAgain) {
    outgoing("One", "20261201", false, "FAX00001.APF");
    outgoing("Two", "", false, "FAX00002.APF");
    outgoing("Three", "20261202");
    auto form = openForm();

    form->showPage(TMainPage::Incoming);
    host.scripted.answers = {true};
    form->DeleteAllClick();
    EXPECT_EQ(host.scripted.questions.back().caption, "DELETE ALL");
    EXPECT_EQ(host.scripted.questions.back().text,
              "Delete all received faxes ? (action is permanent)");
    EXPECT_EQ(host.scripted.informations.back(), "0 deleted.");
    EXPECT_FALSE(form->somethingDeleted());

    form->showPage(TMainPage::Outgoing);
    form->selectRow(TMainPage::Outgoing, 0);
    host.scripted.answers = {true};
    form->DeleteCurrentFaxClick();
    EXPECT_EQ(host.scripted.questions.back().text, "Delete this fax? (action is permanent)");
    EXPECT_TRUE(form->somethingDeleted());
    EXPECT_FALSE(exists(sendFile("FAX00001.APF")));
    EXPECT_EQ(host.log(TMainPage::Outgoing).table().text("RECIPIENT"), "Two")
        << "the cursor moves on to the fax that followed";

    host.scripted.answers = {true};
    form->DeleteNotSentClick();
    EXPECT_EQ(host.scripted.questions.back().text,
              "Delete all outgoing faxes which have NOT been sent? (action is permanent)");
    host.scripted.answers = {true};
    form->DeleteAllClick();
    EXPECT_EQ(host.scripted.informations.back(), "1 deleted.") << "only Three was left";
    host.scripted.answers = {false};
    form->DeleteAllClick();
    EXPECT_EQ(host.scripted.informations.size(), 3u) << "No deletes nothing and says nothing";
    form->reject();
    host.log(TMainPage::Outgoing).close();
    EXPECT_TRUE(keptRecords(TMainPage::Outgoing, "RECIPIENT").empty());
}

TEST(DeleteConditions, DatesCompareAcrossCenturiesAndEmptyValuesMatchNothing) {
    TFakeHost host;
    TXbTable& t = host.log(TMainPage::Outgoing).table();
    t.append();
    t.setDate("DATESENT", TXbDate{1999, 12, 31});
    EXPECT_TRUE(datedBefore("DATESENT", TXbDate{2026, 1, 1})(t));
    EXPECT_FALSE(datedBefore("DATESENT", TXbDate{1999, 12, 31})(t));
    t.setDate("DATESENT", TXbDate{2026, 6, 1});
    EXPECT_FALSE(datedBefore("DATESENT", TXbDate{1999, 12, 31})(t));
    t.setDate("DATESENT", TXbDate{});
    EXPECT_FALSE(datedBefore("DATESENT", TXbDate{2026, 1, 1})(t)) << "an unsent fax";
    t.setText("RECIPIENT", "");
    EXPECT_FALSE(textMatches("RECIPIENT", "  ", true)(t));
    EXPECT_FALSE(textMatches("RECIPIENT", "", false)(t));
}

}  // namespace
}  // namespace px::test
