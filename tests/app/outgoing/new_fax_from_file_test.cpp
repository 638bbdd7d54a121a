// New Fax from File on a host of its own: a text file and a PDF made here
// become fax files in SEND with their record; a damaged or mislabelled PDF,
// Cancel, and a log that refuses the record leave nothing in SEND.
#include <gtest/gtest.h>

#include <QPainter>
#include <QPdfWriter>
#include <filesystem>
#include <optional>

#include "app/host/fake_host.h"
#include "app/outgoing/outgoing_workflow.h"
#include "fax/apf/px_apf_reader.h"

namespace px::test {
namespace {

namespace fs = std::filesystem;

class NewFaxFromFileTest : public ::testing::Test {
protected:
    TFakeHost host;
    TOutgoingWorkflow workflow{host};
    TempDir documents;
    QString chosen;
    int choices = 0;
    std::optional<TFaxInformation> accepted =
        TFaxInformation{"Ada Lovelace", "555 0100", "Quarterly figures", "draft", "Q3"};
    std::vector<QString> captions;
    std::function<void()> whileEditing;

    void SetUp() override {
        workflow.setDocumentChooser([this](QWidget*) {
            ++choices;
            return chosen;
        });
        workflow.setFaxInformationEditor(
            [this](QWidget*, const QString& caption, TFaxInformation& info) {
                captions.push_back(caption);
                if (whileEditing) {
                    whileEditing();
                }
                if (!accepted) {
                    return false;
                }
                info = *accepted;
                return true;
            });
    }

    std::string send() const { return host.programFolder.sendFolder(); }
    std::vector<std::string> sendFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(send())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    TXbTable& outgoing() { return host.log(TMainPage::Outgoing).table(); }

    std::string pdf(const std::string& name) {
        const std::string path = documents / name;
        QPdfWriter writer(QString::fromStdString(path));
        writer.setPageSize(QPageSize(QPageSize::A4));
        QPainter painter(&writer);
        QFont font = painter.font();
        font.setPointSize(24);
        painter.setFont(font);
        painter.drawText(QRect(500, 500, 8000, 2000), "Quarterly figures");
        painter.fillRect(QRect(500, 3000, 4000, 2000), Qt::Dense4Pattern);
        painter.end();
        return path;
    }
    unsigned pagesOf(const std::string& path) {
        TPxApfReader reader;
        return reader.open(path) == ecOK ? reader.pageCount() : 0;
    }
};

TEST_F(NewFaxFromFileTest, ATextFileBecomesAFaxWithItsRecord) {
    writeFile(documents / "letter.txt", "Dear Ada,\nthe figures are attached.\n");
    chosen = QString::fromStdString(documents / "letter.txt");
    host.page = TMainPage::Incoming;

    workflow.newFaxFromFile();

    EXPECT_EQ(host.scripted.informations, std::vector<QString>{});
    EXPECT_EQ(captions, std::vector<QString>{"Fax Information Editor"});
    ASSERT_EQ(sendFiles(), std::vector<std::string>{"FAX00000.APF"});
    EXPECT_GE(pagesOf(send() + "FAX00000.APF"), 1u);
    ASSERT_EQ(outgoing().recCount(), 1u);
    outgoing().goTo(1);
    EXPECT_EQ(outgoing().text("FAXDOC"), "FAX00000.APF");
    EXPECT_EQ(outgoing().text("FAXCOVER"), "");
    EXPECT_EQ(readFaxInformation(outgoing()), *accepted);
    EXPECT_EQ(host.page, TMainPage::Outgoing);
    EXPECT_EQ(host.reopens, 1);

    // A fax file is taken as it is, under the next number.
    chosen = QString::fromStdString(send() + "FAX00000.APF");
    workflow.newFaxFromFile();
    EXPECT_EQ(sendFiles(), (std::vector<std::string>{"FAX00000.APF", "FAX00001.APF"}));
    EXPECT_EQ(readFile(send() + "FAX00001.APF"), readFile(send() + "FAX00000.APF"));
}

TEST_F(NewFaxFromFileTest, APdfMadeHereBecomesAFax) {
    chosen = QString::fromStdString(pdf("figures.pdf"));
    workflow.newFaxFromFile();
    EXPECT_EQ(host.scripted.informations, std::vector<QString>{});
    ASSERT_EQ(sendFiles(), std::vector<std::string>{"FAX00000.APF"});
    EXPECT_EQ(pagesOf(send() + "FAX00000.APF"), 1u);
    EXPECT_EQ(outgoing().recCount(), 1u);
}

TEST_F(NewFaxFromFileTest, ADocumentThatCannotBeConvertedIsRefusedAndLeavesNothing) {
    const std::string whole = readFile(pdf("whole.pdf"));
    writeFile(documents / "damaged.pdf", whole.substr(0, whole.size() / 2));
    writeFile(documents / "notpdf.pdf", "just some words, not a PDF\n");
    writeFile(documents / "binary.dat", std::string("\x00\x01\x02\x03\xff\xfe", 6));
    writeFile(documents / "fake.apf", std::string("APF10\x1a", 6) + "cut short");
    for (const char* name : {"damaged.pdf", "notpdf.pdf", "binary.dat", "fake.apf"}) {
        host.scripted.informations.clear();
        chosen = QString::fromStdString(documents / name);
        workflow.newFaxFromFile();
        ASSERT_EQ(host.scripted.informations.size(), 1u) << name;
        EXPECT_TRUE(
            host.scripted.informations[0].startsWith("The file could not be made into a "
                                                     "fax:\n\n"))
            << host.scripted.informations[0].toStdString();
        EXPECT_TRUE(host.scripted.informations[0].contains(QString::fromStdString(name)));
        EXPECT_TRUE(sendFiles().empty()) << name;
    }
    EXPECT_TRUE(captions.empty());
    EXPECT_EQ(outgoing().recCount(), 0u);
}

TEST_F(NewFaxFromFileTest, CancelOrARefusedRecordLeavesNothingInSend) {
    writeFile(documents / "letter.txt", "Dear Ada,\n");
    workflow.newFaxFromFile();  // no file chosen
    EXPECT_TRUE(captions.empty());

    chosen = QString::fromStdString(documents / "letter.txt");
    accepted.reset();
    workflow.newFaxFromFile();  // Cancel in the editor
    EXPECT_EQ(captions.size(), 1u);
    EXPECT_TRUE(sendFiles().empty());
    EXPECT_EQ(outgoing().recCount(), 0u);

    accepted = TFaxInformation{"Ada", "1", "", "", ""};
    whileEditing = [&] { outgoing().close(); };
    workflow.newFaxFromFile();
    EXPECT_TRUE(sendFiles().empty());
    EXPECT_EQ(host.scripted.informations.size(), 1u);
    EXPECT_EQ(host.reopens, 0);
}

TEST_F(NewFaxFromFileTest, IsRefusedInReceiveMode) {
    host.inReceiveMode = true;
    workflow.newFaxFromFile();
    EXPECT_EQ(choices, 0);
    ASSERT_EQ(host.scripted.informations.size(), 1u);
    EXPECT_EQ(host.scripted.informations[0], messageText(kReceiveModeRefusal));
}

}  // namespace
}  // namespace px::test
