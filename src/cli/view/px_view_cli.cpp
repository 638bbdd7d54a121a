#include "cli/view/px_view_cli.h"

#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "fax/apf/px_apf_reader.h"
#include "fax/apf/px_fax_error.h"
#include "fax/qt/px_qt_services.h"
#include "fax/tiff/px_tiff_import.h"
#include "settings/program_folder.h"
#include "ui/viewer/fax_viewer.h"

namespace px {

namespace {

constexpr const char* kUsage =
    "usage: parvex-view FILE\n"
    "Shows an APF fax file, or a bilevel TIFF fax file, in the fax viewer.\n";

void fail(const QString& text) {
    std::fprintf(stderr, "parvex-view: %s\n", text.toLocal8Bit().constData());
}

bool isTiff(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char magic[4] = {};
    in.read(magic, sizeof magic);
    if (in.gcount() != sizeof magic) {
        return false;
    }
    // "II*\0" little-endian, "MM\0*" big-endian.
    return (magic[0] == 'I' && magic[1] == 'I' && magic[2] == 42 && magic[3] == 0) ||
           (magic[0] == 'M' && magic[1] == 'M' && magic[2] == 0 && magic[3] == 42);
}

// An APF file the window can open: the file itself, or a TIFF fax converted
// into `scratch`. Empty after telling why not.
QString viewableFile(const QString& name, const QTemporaryDir& scratch) {
    const QFileInfo info(name);
    if (!info.exists()) {
        fail(name + ": no such file");
        return {};
    }
    if (!info.isFile() || !info.isReadable()) {
        fail(name + ": cannot be read");
        return {};
    }
    const std::string path = toPath(name);
    if (TPxApfReader::isApf(path)) {
        TPxApfReader reader;
        ApfPageInfo first;
        ErrorCode rc = reader.open(path);
        if (rc == ecOK) {
            rc = reader.findPage(1, first);
        }
        if (rc != ecOK) {
            fail(name + ": " + QString::fromStdString(faxDocumentErrorText(rc)));
            return {};
        }
        return name;
    }
    if (isTiff(path)) {
        if (!scratch.isValid()) {
            fail("no room for a temporary file");
            return {};
        }
        const QString apf = scratch.filePath(info.completeBaseName() + ".APF");
        std::string message;
        const ErrorCode rc = importTiffToApf(path, toPath(apf), TiffImportOptions{}, &message);
        if (rc != ecOK) {
            fail(name + ": " +
                 QString::fromStdString(message.empty() ? faxDocumentErrorText(rc) : message));
            return {};
        }
        return apf;
    }
    fail(name + ": not a fax file (APF or bilevel TIFF)");
    return {};
}

}  // namespace

int runViewCli(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty() || args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, args.size() == 1 && !args[0].empty() ? stdout : stderr);
        return args.size() == 1 && (args[0] == "--help" || args[0] == "-h") ? kViewCliDone
                                                                            : kViewCliUsage;
    }
    const QString name = QString::fromLocal8Bit(args[0].c_str());
    const QTemporaryDir scratch;
    const QString apf = viewableFile(name, scratch);
    if (apf.isEmpty()) {
        return kViewCliFailed;
    }
    std::string settings;
    try {
        settings = ProgramFolder::locate(currentExecutablePath()).settingsPath();
    } catch (const ProgramFolderError& e) {
        fail(QString::fromUtf8(e.what()));
        return kViewCliFailed;
    }

    TFaxViewer window(settings);
    window.setFileName(apf);
    window.setTitle(QFileInfo(name).fileName());
    window.setPrintHeader("Fax File: " + QFileInfo(name).absoluteFilePath());
    QTimer quit;
    if (qEnvironmentVariableIsSet("PARVEX_QUIT_AFTER_PAINT")) {
        quit.setInterval(20);
        QObject::connect(&quit, &QTimer::timeout, &window, [&] {
            if (!window.ready() || TViewer::decodingNow()) {
                return;
            }
            quit.stop();
            std::printf("%s\n", window.statusLine()->text().toLocal8Bit().constData());
            std::fflush(stdout);
            window.accept();
        });
        quit.start();
    }
    window.exec();
    return kViewCliDone;
}

}  // namespace px
