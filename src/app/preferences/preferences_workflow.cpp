#include "app/preferences/preferences_workflow.h"

#include <QDialog>
#include <QFileDialog>
#include <QPrinterInfo>

#include "app/host/user_prompts.h"
#include "app/incoming/receive_sound.h"
#include "app/modemprobe/modem_probing.h"
#include "app/preferences/preferences_form.h"
#include "app/preferences/preferences_services.h"
#include "app/preferences/quick_setup_form.h"
#include "settings/program_folder.h"
#include "settings/settings_file.h"
#include "ui/help/help_center.h"

namespace px {

namespace {

QString chooseWaveFile(QWidget* parent, const QString& folder, const QString& current) {
    QFileDialog dialog(parent, "Open", folder, "WAVE files (*.wav)");
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!current.isEmpty()) {
        dialog.selectFile(current);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().front();
}

}  // namespace

TPreferencesWorkflow::TPreferencesWorkflow(TWorkflowHost& host, TProbingFactory makeProbing)
    : runDialog([](QDialog& dialog) { return dialog.exec(); }),
      installedPrinters([] { return QPrinterInfo::availablePrinterNames(); }),
      chooseSoundFile(chooseWaveFile),
      host_(host),
      makeProbing_(std::move(makeProbing)),
      settingsFile_(host.folder().settingsPath()) {}

TPreferencesWorkflow::~TPreferencesWorkflow() = default;

TPreferencesServices TPreferencesWorkflow::services(TModemProbing& probing) {
    if (sound == nullptr) {
        if (!ownSound_) {
            ownSound_ = std::make_unique<TSoundEffectPlayer>();
        }
        sound = ownSound_.get();
    }
    return TPreferencesServices{
        probing,
        host_.prompts(),
        *sound,
        settingsFile_,
        QString::fromStdString(host_.folder().path()),
        installedPrinters ? installedPrinters() : QStringList(),
        chooseSoundFile,
        [this](int topic) { help().showTopic(topic); },
        [this] { help().showProblemSolver(); },
    };
}

THelpCenter& TPreferencesWorkflow::help() {
    if (help_ == nullptr) {
        // Owned by the window the dialogs are shown over.
        help_ = new THelpCenter(host_.dialogParent());
    }
    return *help_;
}

void TPreferencesWorkflow::save() {
    try {
        host_.saveSettings();
    } catch (const IniFileError& e) {
        // The settings stay in effect for this session; the user learns they were not kept.
        host_.prompts().information(host_.dialogParent(), QString::fromUtf8(e.what()));
    }
}

bool TPreferencesWorkflow::openPreferences() {
    const bool firstRun = firstRun_;
    firstRun_ = false;
    std::unique_ptr<TModemProbing> probing = makeProbing_();
    TPreferencesServices with = services(*probing);
    TPreferences wizard(host_.settings(), firstRun, with, host_.dialogParent());
    if (runDialog(wizard) != QDialog::Accepted) {
        return false;
    }
    host_.settings() = wizard.settings();
    save();
    return true;
}

void TPreferencesWorkflow::openQuickSetup() {
    int outcome = TQuickSetupForm::Cancelled;
    {
        std::unique_ptr<TModemProbing> probing = makeProbing_();
        TPreferencesServices with = services(*probing);
        TQuickSetupForm form(host_.settings(), with, host_.dialogParent());
        outcome = runDialog(form);
        if (outcome == TQuickSetupForm::Cancelled) {
            return;
        }
        host_.settings() = form.settings();
    }
    firstRun_ = false;
    save();
    if (outcome == TQuickSetupForm::OpenPreferences) {
        openPreferences();
    }
}

}  // namespace px
