#include "fax/pdf/px_postscript_import.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include "fax/convert/px_document_kind.h"

namespace px {

namespace {

ErrorCode refuse(std::string* message, const std::string& why, ErrorCode rc = ecBadGraphicsFormat) {
    if (message != nullptr) {
        *message = why;
    }
    return rc;
}

// What Ghostscript said about the failure, for the message: its "Error:"
// line (the PostScript error), else the first line it wrote.
std::string failureLine(const QByteArray& output, const QByteArray& errors) {
    for (const QByteArray& line : output.split('\n') + errors.split('\n')) {
        if (line.trimmed().startsWith("Error:")) {
            return line.trimmed().left(200).toStdString();
        }
    }
    const QByteArray text = (errors + output).trimmed();
    const qsizetype end = text.indexOf('\n');
    return (end < 0 ? text : text.left(end)).left(200).toStdString();
}

}  // namespace

ErrorCode importPostScriptToApf(const std::string& psPath, const std::string& apfPath,
                                const PostScriptImportOptions& options, std::string* message) {
    TDocumentKind kind = TDocumentKind::dkOther;
    if (recogniseDocument(psPath, kind) != ecOK) {
        return refuse(message, "cannot read " + psPath, ecFileNotFound);
    }
    if (kind != TDocumentKind::dkPostScript) {
        return refuse(message, "not a PostScript file");
    }
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        return refuse(message, "no room for a temporary file", ecAccessDenied);
    }
    // The output name holds no '%', which Ghostscript would take as a page
    // number pattern; the input follows -f, so no name is read as an option.
    const QString pdf = scratch.filePath("job.pdf");
    const QStringList arguments = {"-dSAFER",
                                   "-dBATCH",
                                   "-dNOPAUSE",
                                   "-dQUIET",
                                   "-sDEVICE=pdfwrite",
                                   options.letter ? "-sPAPERSIZE=letter" : "-sPAPERSIZE=a4",
                                   "-sOutputFile=" + pdf,
                                   "-f",
                                   QString::fromStdString(psPath)};
    QProcess gs;
    // -dSAFER still lets a job write in Ghostscript's temporary folder; the
    // private scratch folder is made that folder, so the job can write
    // nowhere else.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", scratch.path());
    environment.insert("TEMP", scratch.path());
    gs.setProcessEnvironment(environment);
    gs.setProcessChannelMode(QProcess::SeparateChannels);
    gs.setStandardInputFile(QProcess::nullDevice());
    gs.start(QString::fromStdString(options.ghostscript), arguments);
    if (!gs.waitForStarted()) {
        return refuse(message, "Ghostscript (" + options.ghostscript + ") cannot be started",
                      ecFileNotFound);
    }
    if (!gs.waitForFinished(options.timeLimitMs)) {
        gs.kill();
        gs.waitForFinished();
        return refuse(message, "Ghostscript took too long on the PostScript file", ecTimeout);
    }
    if (gs.exitStatus() != QProcess::NormalExit || gs.exitCode() != 0) {
        const std::string why = failureLine(gs.readAllStandardOutput(), gs.readAllStandardError());
        return refuse(message, "Ghostscript cannot interpret the PostScript file" +
                                   (why.empty() ? std::string() : ": " + why));
    }
    return importPdfToApf(pdf.toStdString(), apfPath, options.pdf, message);
}

}  // namespace px
