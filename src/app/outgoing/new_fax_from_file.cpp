// "New Fax from File…": a document of another program converted into SEND
// and entered in the outgoing log with its fax information. The conversion
// writes under a temporary name; the file takes its FAX##### name only when
// the user accepts, and Cancel or a failure leaves nothing in SEND.
#include <unistd.h>

#include <QFileDialog>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/faxeditor/fax_editor.h"
#include "app/host/status_panel.h"
#include "app/host/user_prompts.h"
#include "app/outgoing/new_send_files.h"
#include "app/outgoing/outgoing_record.h"
#include "app/outgoing/outgoing_workflow.h"
#include "app/tables/log_table.h"
#include "cli/convert/px_document_to_apf.h"
#include "fax/apf/px_apf_reader.h"
#include "fax/apf/px_fax_error.h"
#include "settings/file_names.h"
#include "settings/program_folder.h"
#include "settings/px_settings.h"

namespace px {

namespace {

constexpr const char* kDocumentFilter =
    "Documents (*.apf *.APF *.tif *.tiff *.TIF *.TIFF *.pdf *.PDF *.ps *.PS *.eps *.txt *.TXT);;"
    "Fax files (*.apf *.APF);;TIFF files (*.tif *.tiff *.TIF *.TIFF);;PDF files (*.pdf *.PDF);;"
    "PostScript files (*.ps *.PS *.eps);;Text files (*.txt *.TXT);;All files (*)";
constexpr const char* kConversionFailed = "The file could not be made into a fax:\r\n\r\n";

// A file of SEND under a name no fax gets, removed unless taken over.
class TTemporarySendFile {
public:
    explicit TTemporarySendFile(const std::string& sendFolder) {
        std::string pattern = joinPath(sendFolder, ".newfax-XXXXXX.tmp");
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const int fd = ::mkstemps(name.data(), 4);
        if (fd >= 0) {
            ::close(fd);
            path_ = name.data();
        }
    }
    ~TTemporarySendFile() {
        if (!path_.empty()) {
            std::remove(path_.c_str());
        }
    }
    TTemporarySendFile(const TTemporarySendFile&) = delete;
    TTemporarySendFile& operator=(const TTemporarySendFile&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A fax file as it is: checked to be one, then copied.
void copyFaxFile(const std::string& source, const std::string& target) {
    TPxApfReader reader;
    if (const ErrorCode rc = reader.open(source); rc != ecOK) {
        throw DocumentRefused(source + ": " + faxDocumentErrorText(rc), rc);
    }
    if (reader.pageCount() == 0) {
        throw DocumentRefused(source + ": the fax file has no pages", ecOK);
    }
    reader.close();
    if (!copyFileInBlocks(source, target)) {
        throw DocumentRefused(source + ": could not be copied", ecOK);
    }
}

}  // namespace

void TOutgoingWorkflow::newFaxFromFile() {
    if (refuseInReceiveMode(host_)) {
        return;
    }
    TUserPrompts& prompts = host_.prompts();
    const QString chosen = chooser_(host_.dialogParent());
    if (chosen.isEmpty()) {
        return;
    }
    const std::string source = chosen.toStdString();
    TTemporarySendFile converted(host_.folder().sendFolder());
    if (converted.path().empty()) {
        prompts.information(host_.dialogParent(), kFaxFileNotCopied);
        return;
    }
    try {
        TBusyScope busy(host_.statusPanel(), "Converting the document to a fax...");
        if (TPxApfReader::isApf(source)) {
            copyFaxFile(source, converted.path());
        } else {
            DocumentToApfOptions options;
            options.fine = true;
            options.stationId = host_.settings().user.fax;
            convertDocumentToApf(source, converted.path(), options);
        }
    } catch (const std::exception& e) {
        prompts.information(host_.dialogParent(),
                            messageText(kConversionFailed) + QString::fromUtf8(e.what()));
        return;
    }

    TFaxInformation info;
    if (!editor_(host_.dialogParent(), kFaxEditorCaption, info)) {
        return;
    }
    TNewSendFiles files(host_.folder());
    const std::string doc = files.moveIn(converted.path(), "FAX");
    recordNewDocument(files, doc, info);
}

QString chooseDocument(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, "New Fax from File", QString(), kDocumentFilter);
}

}  // namespace px
