// A host for one workflow without the main window: the two logs in a scratch
// program folder, a status panel of its own, scripted prompts, the settings
// record and the mode flags, and a record of what the workflow asked of it.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "app/host/scripted_prompts.h"
#include "app/host/status_panel.h"
#include "app/host/workflow_host.h"
#include "app/tables/log_table.h"
#include "comms/px_com_port.h"
#include "fax/components/px_receive_fax.h"
#include "settings/program_folder.h"
#include "settings/px_settings.h"
#include "support/temp_dir.h"

namespace px::test {

class TFakeHost : public TWorkflowHost {
public:
    TempDir home;
    ProgramFolder programFolder{home.path()};
    TScriptedPrompts scripted;
    TStatusPanel panel;
    QWidget window;
    Settings record;
    TMainPage page = TMainPage::Outgoing;
    bool inReceiveMode = false;
    bool receiving = false;
    int settingsSaved = 0;
    int refreshes = 0;
    int reopens = 0;
    int evaluations = 0;

    TFakeHost() {
        programFolder.createWorkingFolders();
        auto env = std::make_shared<TTableEnv>();
        env->setDeletedHidden(true);
        outgoing_ = std::make_unique<TLogTable>(TLogKind::Outgoing, programFolder.path(), env);
        incoming_ = std::make_unique<TLogTable>(TLogKind::Incoming, programFolder.path(), env);
        outgoing_->open();
        incoming_->open();
    }

    QWidget* dialogParent() override { return &window; }
    Settings& settings() override { return record; }
    void saveSettings() override { ++settingsSaved; }
    const ProgramFolder& folder() const override { return programFolder; }
    TLogTable& log(TMainPage p) override {
        return p == TMainPage::Outgoing ? *outgoing_ : *incoming_;
    }
    bool hasCurrent(TMainPage p) override {
        const TXbTable& t = log(p).table();
        return t.isOpen() && t.hasCurrent();
    }
    void refreshLog(TMainPage) override { ++refreshes; }
    void reopenLog(TMainPage) override { ++reopens; }
    TMainPage visiblePage() const override { return page; }
    void showPage(TMainPage p) override { page = p; }
    void evaluateCommands() override { ++evaluations; }
    TStatusPanel& statusPanel() override { return panel; }
    TUserPrompts& prompts() override { return scripted; }
    bool receiveMode() const override { return inReceiveMode; }
    void setReceiveMode(bool on) override { inReceiveMode = on; }
    bool faxBeingReceived() const override { return receiving; }
    void setFaxBeingReceived(bool on) override { receiving = on; }
    TPxComPort& comPort() override {
        if (!port_) {
            port_ = std::make_unique<TPxComPort>();
        }
        return *port_;
    }
    TPxReceiveFax& receiveFax() override {
        if (!receiver_) {
            receiver_ = std::make_unique<TPxReceiveFax>();
        }
        return *receiver_;
    }

    // Appends an outgoing fax and leaves it current.
    void addOutgoing(const std::string& subject, const std::string& doc, const std::string& cover) {
        TXbTable& t = outgoing_->table();
        t.append();
        t.setText("SUBJECT", subject);
        t.setText("FAXDOC", doc);
        t.setText("FAXCOVER", cover);
    }
    // Appends a received fax and leaves it current.
    void addIncoming(const std::string& from, const std::string& file) {
        TXbTable& t = incoming_->table();
        t.append();
        t.setText("FROM", from);
        t.setText("FAXFILE", file);
    }

private:
    std::unique_ptr<TLogTable> outgoing_;
    std::unique_ptr<TLogTable> incoming_;
    std::unique_ptr<TPxComPort> port_;
    std::unique_ptr<TPxReceiveFax> receiver_;
};

}  // namespace px::test
