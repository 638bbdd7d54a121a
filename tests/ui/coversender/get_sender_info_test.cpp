// The "Sender Information" dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "support/accessibility.h"
#include "support/temp_dir.h"
#include "ui/coversender/get_sender_info.h"

namespace px {
namespace {

TSenderInfo sample() {
    return TSenderInfo{"Charles Babbage", "Analytical Engines Ltd", "+44 20 7946 0321",
                       "+44 20 7946 0300"};
}

TEST(GetSenderInfo, ShowsTheValuesWithTheirLimitsAndCaptions) {
    TGetSenderInfo dialog(sample());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Sender Information"));
    EXPECT_EQ(dialog.NameEdit()->text(), QStringLiteral("Charles Babbage"));
    EXPECT_EQ(dialog.NameEdit()->maxLength(), 35);
    EXPECT_EQ(dialog.CompanyEdit()->maxLength(), 35);
    EXPECT_EQ(dialog.FaxEdit()->maxLength(), 20);
    EXPECT_EQ(dialog.VoiceEdit()->maxLength(), 20);
    EXPECT_EQ(dialog.AcceptButton()->text(), QStringLiteral("&Accept"));
    EXPECT_EQ(dialog.AcceptButton()->toolTip(), QStringLiteral("Accept changes made and exit"));
    EXPECT_EQ(dialog.CancelButton()->text(), QStringLiteral("Cance&l"));
    EXPECT_EQ(dialog.CancelButton()->toolTip(), QStringLiteral("Cancel changes made and exit"));
    QStringList captions;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        captions << label->text();
        EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
    }
    EXPECT_EQ(captions, QStringList({"Your &name", "Your &company",
                                     "Your &fax number (Station ID#)", "Your &voice number"}));
    // Typing past a limit is refused.
    dialog.FaxEdit()->clear();
    QTest::keyClicks(dialog.FaxEdit(), QStringLiteral("0123456789012345678901234"));
    EXPECT_EQ(dialog.values().fax, "01234567890123456789");
}

TEST(GetSenderInfo, EveryControlHasAnAccessibleName) {
    TGetSenderInfo dialog(sample());
    dialog.show();
    EXPECT_EQ(test::unnamedControls(&dialog), "");
}

// Answers the dialog that opens next by typing a name and pressing a button.
void answerNextDialog(bool accept) {
    QTimer::singleShot(0, [accept] {
        auto* dialog = qobject_cast<TGetSenderInfo*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->NameEdit()->setText(QStringLiteral("Ada Lovelace"));
        QTest::mouseClick(accept ? dialog->AcceptButton() : dialog->CancelButton(), Qt::LeftButton);
    });
}

TEST(GetSenderInfo, AcceptWritesTheSettingsAndCancelWritesNothing) {
    test::TempDir dir;
    const SettingsFile file(dir / "PX.INI");
    Settings settings;
    settings.user.name = "Charles Babbage";
    settings.user.voice = "555";

    answerNextDialog(false);
    EXPECT_FALSE(changeSenderInfo(nullptr, settings, file));
    EXPECT_EQ(settings.user.name, "Charles Babbage");
    EXPECT_FALSE(std::filesystem::exists(dir / "PX.INI"));

    answerNextDialog(true);
    EXPECT_TRUE(changeSenderInfo(nullptr, settings, file));
    EXPECT_EQ(settings.user.name, "Ada Lovelace");
    const Settings stored = file.load();
    EXPECT_EQ(stored.user.name, "Ada Lovelace");
    EXPECT_EQ(stored.user.voice, "555");
}

// With $PARVEX_SCREENSHOT_DIR set the picture goes there for the
// documentation, else into a scratch folder.
TEST(GetSenderInfo, Screenshot) {
    QTemporaryDir scratch;
    const char* chosen = std::getenv("PARVEX_SCREENSHOT_DIR");
    const QString dir = chosen != nullptr ? QString::fromUtf8(chosen) : scratch.path();
    TGetSenderInfo dialog(sample());
    dialog.show();
    QCoreApplication::processEvents();
    const QPixmap shot = dialog.grab();
    ASSERT_FALSE(shot.isNull());
    ASSERT_TRUE(shot.save(dir + "/sender-info.png"));
}

}  // namespace
}  // namespace px
