#include <gtest/gtest.h>

#include <QBrush>
#include <QDate>
#include <filesystem>

#include "app/main_window/incoming_log_model.h"
#include "app/main_window/outgoing_log_model.h"
#include "app/main_window/view_description.h"
#include "support/temp_dir.h"

namespace px {
namespace {

class LogModelTest : public ::testing::Test {
protected:
    test::TempDir home;
    std::shared_ptr<TTableEnv> env = std::make_shared<TTableEnv>();
    TLogTable log{TLogKind::Outgoing, home.path(), env};

    void fill(int count) {
        ASSERT_TRUE(log.open());
        for (int i = 0; i < count; ++i) {
            log.table().append();
            log.table().setText("SUBJECT", "Fax " + std::to_string(i));
            log.table().setLogical("ARCHIVED", i % 3 == 0);
        }
        log.table().setOrder("SUBJECT");
        log.table().first();
    }
};

TEST_F(LogModelTest, RowsAreFetchedInBatchesAndTheCursorStaysPut) {
    fill(1000);
    log.table().next();
    const std::uint32_t current = log.table().recNo();
    TOutgoingLogModel model(log);
    model.reload();
    EXPECT_EQ(model.rowCount(), TLogModel::kFetchBatch);
    EXPECT_TRUE(model.canFetchMore({}));
    while (model.canFetchMore({})) {
        model.fetchMore({});
    }
    EXPECT_EQ(model.rowCount(), 1000);
    EXPECT_EQ(log.table().recNo(), current);
    // Reading a cell far down does not move the cursor either.
    EXPECT_FALSE(model.data(model.index(900, 0)).toString().isEmpty());
    EXPECT_EQ(log.table().recNo(), current);
}

TEST_F(LogModelTest, RowsFollowTheOrderAndTheFilterAndArchivedRowsAreRed) {
    fill(6);
    log.table().setFilter(".not. ARCHIVED");
    TOutgoingLogModel model(log);
    model.reload();
    ASSERT_EQ(model.rowCount(), 4);
    const int subject = model.columnOf("SUBJECT");
    EXPECT_EQ(model.data(model.index(0, subject)).toString(), "Fax 1");
    EXPECT_EQ(model.data(model.index(3, subject)).toString(), "Fax 5");
    EXPECT_FALSE(model.data(model.index(0, subject), Qt::ForegroundRole).isValid());

    log.table().setFilter("");
    model.reload();
    ASSERT_EQ(model.rowCount(), 6);
    EXPECT_EQ(model.data(model.index(0, subject), Qt::ForegroundRole).value<QBrush>().color(),
              QColor(Qt::red));
    EXPECT_EQ(model.rowOf(6), 5);
    EXPECT_EQ(model.headerData(subject, Qt::Horizontal).toString(), "Subject");
}

TEST_F(LogModelTest, DerivedFaxFileColumnShowsCoverOnlyOrTheRealPath) {
    ASSERT_TRUE(log.open());
    log.table().append();
    log.table().append();
    log.table().setText("FAXDOC", "FAX00001.APF");
    std::filesystem::create_directories(home / "Send");
    test::writeFile(home / "Send/Fax00001.apf", "x");
    TOutgoingLogModel model(log);
    model.reload();
    const int file = model.columnOf("calcFaxFile");
    ASSERT_GE(file, 0);
    EXPECT_EQ(model.data(model.index(0, file)).toString(), "(Cover only)");
    EXPECT_EQ(model.data(model.index(1, file)).toString(),
              QString::fromStdString(home / "Send/Fax00001.apf"));
    EXPECT_EQ(model.headerData(file, Qt::Horizontal).toString(), "Fax File");
}

TEST(ViewDescription, DateTextReadsNotSentForOldOrBlankDates) {
    const QDate today(2026, 12, 8);
    const QDate old = today.addDays(-2001);
    const QDate recent = today.addDays(-2000);
    EXPECT_EQ(outgoingDateText(TXbDate{old.year(), old.month(), old.day()}, "10:00", today),
              "not sent");
    EXPECT_EQ(outgoingDateText(TXbDate{}, "10:00", today), "not sent");
    const QString sent =
        outgoingDateText(TXbDate{recent.year(), recent.month(), recent.day()}, "10:00", today);
    EXPECT_NE(sent, "not sent");
    EXPECT_TRUE(sent.contains(" at "));
    EXPECT_TRUE(outgoingDateText(TXbDate{2026, 12, 1}, "xx", today).endsWith(" at ???"));
}

TEST(ViewDescription, DescriptionLinesNameTheRecipientOrSenderAndTheFileAsItIs) {
    EXPECT_EQ(outgoingViewDescription("Bob", "not sent", "/Home/SEND/FAX00001.APF"),
              "To: Bob             Sent: not sent             Fax File: /Home/SEND/FAX00001.APF");
    EXPECT_EQ(
        incomingViewDescription("+49 30 1", "x at y", "/H/Receive/R1.APF"),
        "From: +49 30 1             Received: x at y             Fax File: /H/Receive/R1.APF");
}

}  // namespace
}  // namespace px
