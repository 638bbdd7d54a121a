#include "app/desktop/receipt_command.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "settings/px_settings.h"

namespace px {

namespace {

// Why a program did not start, in the user's terms rather than errno's.
QString reasonNotStarted(const QString& program, const QString& fallback) {
    const QString found = program.contains('/') ? program : QStandardPaths::findExecutable(program);
    const QFileInfo info(found);
    if (found.isEmpty() || !info.exists()) {
        return "not found";
    }
    if (info.isDir() || !info.isExecutable()) {
        return "not executable";
    }
    return fallback;
}

}  // namespace

TReceiptCommand::TReceiptCommand(const ReceiveSettings& settings, Report report)
    : settings_(settings), report_(std::move(report)) {}

QString TReceiptCommand::programPath(const std::string& command) {
    const QString program = QString::fromStdString(command).trimmed();
    if (program.startsWith("~/")) {
        return QDir::homePath() + program.mid(1);
    }
    return program;
}

QStringList TReceiptCommand::arguments(const TReceivedFaxInfo& fax) {
    // An argument ends at its first NUL on the way to the program, so a NUL
    // in the ID is dropped rather than cutting the ID short.
    QString id = fax.stationId;
    id.remove(QChar(0));
    return {fax.path, id, QString::number(fax.pages)};
}

void TReceiptCommand::faxReceived(const TReceivedFaxInfo& fax) {
    const QString program = programPath(settings_.command);
    if (program.isEmpty()) {
        return;
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments(fax));
    process.setWorkingDirectory(QFileInfo(fax.path).absolutePath());
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached()) {
        report_(receiptCommandFailure(program, reasonNotStarted(program, process.errorString())));
    }
}

QString receiptCommandFailure(const QString& program, const QString& reason) {
    return "The receipt command could not be started: " + program + " (" + reason + ")";
}

}  // namespace px
