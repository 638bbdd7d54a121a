// The outgoing fax workflow: new cover sheets, covers added and edited,
// clones, forwarded faxes, archiving (on either log), deleting, and sending.
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "app/faxeditor/fax_information.h"
#include "app/host/workflow_host.h"
#include "app/quickfax/edit_add_quick_fax.h"

namespace px {

class TNewSendFiles;

inline constexpr const char* kSendRefusedInReceiveMode =
    "You are in Fax Receive mode. You cannot send\rwhile in Fax Receive mode. Click the Stop "
    "button to end\rFax Receive mode";
inline constexpr const char* kSendFromIncomingPage =
    "Please switch to the Outgoing Faxes tab\rand highlight a fax to send";

class TOutgoingWorkflow {
public:
    // Shows the fax information editor over `info` with `caption`; true and
    // `info` changed on Accept.
    using FaxInformationEditor =
        std::function<bool(QWidget* parent, const QString& caption, TFaxInformation& info)>;
    // Asks for a document to fax; empty for Cancel.
    using DocumentChooser = std::function<QString(QWidget* parent)>;

    explicit TOutgoingWorkflow(TWorkflowHost& host);

    // Tests put their own editor and document choice in place of the windows.
    void setFaxInformationEditor(FaxInformationEditor editor) { editor_ = std::move(editor); }
    void setDocumentChooser(DocumentChooser chooser) { chooser_ = std::move(chooser); }
    // What the Help buttons of the workflow's windows open.
    void setHelp(std::function<void()> open) { help_ = std::move(open); }

    void newCoverSheet();
    void addCoverSheet();
    // Edit of an outgoing fax: its cover sheet, or its fax information.
    void edit();
    // Edit of a fax without a cover: its recipient, fax number, subject,
    // notes and codes in the fax information editor.
    void editFaxInformation();
    void clone();
    void forwardReceivedFax();
    // A document from another program (APF, TIFF, PDF, PostScript, text)
    // converted into SEND and entered with its fax information.
    void newFaxFromFile();
    // Archives or unarchives the current fax of either log, after asking.
    void archive(TMainPage page);
    // Deletes the current outgoing fax, its cover, or its document, with the files.
    void deleteFax();
    void send();

    // The cover sheet editor New, Add Cover and Edit show (the real dialog
    // unless a test scripts it).
    void setQuickFaxEditor(TQuickFaxEditor editor) { quickFaxEditor_ = std::move(editor); }

private:
    // Records a document just brought into SEND (`doc`, empty when that
    // failed) as a new outgoing fax, and shows it on the outgoing page; the
    // files made by the command stay only when the record is stored.
    void recordNewDocument(TNewSendFiles& files, const std::string& doc,
                           const TFaxInformation& info);

    TWorkflowHost& host_;
    FaxInformationEditor editor_;
    DocumentChooser chooser_;
    std::function<void()> help_;
    TQuickFaxEditor quickFaxEditor_ = runQuickFaxEditor;
};

// The file dialog of New Fax from File: the documents Parvex can fax.
QString chooseDocument(QWidget* parent);

}  // namespace px
