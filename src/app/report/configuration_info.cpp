#include "app/report/configuration_info.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTextCursor>
#include <QVBoxLayout>

#include "app/report/configuration_lines.h"

namespace px {

namespace {

constexpr const char* kCaption = "Configuration Information";
constexpr const char* kDefaultFileName = "ConfigInfo.txt";
constexpr const char* kDefaultSuffix = "TXT";
// Lower-case names match too: file names on this system are case-sensitive.
constexpr const char* kTextFilter = "Text files (*.TXT *.txt)";
// The widest label the report pads to, plus room for the tab.
constexpr int kTabStopColumns = 24;
constexpr int kReportColumns = 96;
constexpr int kReportRows = 30;

}  // namespace

TConfigurationInfo::TConfigurationInfo(const std::vector<std::string>& lines,
                                       const QString& programFolder, QWidget* parent)
    : QDialog(parent),
      text_(QString::fromStdString(configurationReportText(lines))),
      programFolder_(programFolder),
      report_(new QPlainTextEdit(this)),
      copy_(new QPushButton("Copy to Clipboard", this)),
      save_(new QPushButton("Save As...", this)),
      ok_(new QPushButton("OK", this)) {
    setObjectName("TConfigurationInfo");
    setWindowTitle(kCaption);
    report_->setReadOnly(true);
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    report_->setAccessibleName("Configuration report");
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    report_->setFont(fixed);
    const QFontMetricsF metrics(fixed);
    report_->setTabStopDistance(metrics.horizontalAdvance(QLatin1Char(' ')) * kTabStopColumns);
    report_->setMinimumSize(qRound(metrics.horizontalAdvance(QLatin1Char('x')) * kReportColumns),
                            qRound(metrics.lineSpacing() * kReportRows));
    report_->setPlainText(text_);

    ok_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy_);
    buttons->addWidget(save_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(report_);
    layout->addLayout(buttons);

    connect(copy_, &QPushButton::clicked, this, [this] { CopyButtonClick(); });
    connect(save_, &QPushButton::clicked, this, [this] { SaveButtonClick(); });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

QString TConfigurationInfo::reportText() const {
    return text_;
}

void TConfigurationInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    report_->moveCursor(QTextCursor::Start);
    report_->ensureCursorVisible();
}

void TConfigurationInfo::CopyButtonClick() {
    QGuiApplication::clipboard()->setText(text_);
    tell("Information copied to Windows clipboard");
}

QString TConfigurationInfo::chooseFile() {
    QString folder = programFolder_;
    if (!folder.isEmpty() && !folder.endsWith('/')) {
        folder += '/';
    }
    const QString suggested = folder + kDefaultFileName;
    if (chooser_) {
        return chooser_(suggested);
    }
    QFileDialog dialog(this, "Save As", suggested, kTextFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(kDefaultSuffix);
    dialog.selectFile(suggested);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().first()
               : QString();
}

void TConfigurationInfo::SaveButtonClick() {
    QString name = chooseFile();
    if (name.isEmpty()) {
        return;
    }
    if (QFileInfo(name).suffix().isEmpty()) {
        name += QString(".") + kDefaultSuffix;
    }
    QSaveFile file(name);
    const QByteArray bytes = text_.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        tell("The information could not be saved as: " + name + "\n" + file.errorString());
        return;
    }
    tell("Information was saved as: " + name);
}

void TConfigurationInfo::tell(const QString& text) {
    if (messenger_) {
        messenger_(kCaption, text);
        return;
    }
    QMessageBox::information(this, kCaption, text);
}

}  // namespace px
