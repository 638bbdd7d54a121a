// Preferences: the preference wizard and the quick setup of a first run.
#pragma once

#include <QStringList>
#include <functional>
#include <memory>

#include "app/host/workflow_host.h"
#include "settings/settings_file.h"

class QDialog;

namespace px {

class THelpCenter;
class TModemProbing;
class TReceiveSound;
struct TPreferencesServices;

class TPreferencesWorkflow {
public:
    using TProbingFactory = std::function<std::unique_ptr<TModemProbing>()>;

    // With the real modem probing windows.
    explicit TPreferencesWorkflow(TWorkflowHost& host);
    TPreferencesWorkflow(TWorkflowHost& host, TProbingFactory makeProbing);
    ~TPreferencesWorkflow();

    // The program noted a first run (Modem/ComPort was never set). The next
    // wizard sees it, and it ends there or when the quick setup is confirmed.
    void setFirstRun(bool on) { firstRun_ = on; }
    bool firstRun() const { return firstRun_; }

    // Runs the preference wizard; true when it ended with Finish and the
    // settings were taken (and saved).
    bool openPreferences();
    // Runs the quick setup; on Ok or Preferences the port, name and fax number
    // are taken and saved, and Preferences goes on to the wizard.
    void openQuickSetup();

    // --- What the windows are shown with; tests put in their own.
    // Shows the dialog modally and returns its result code.
    std::function<int(QDialog&)> runDialog;
    std::function<QStringList()> installedPrinters;
    std::function<QString(QWidget*, const QString& folder, const QString& current)> chooseSoundFile;
    // The sound player; the workflow's own when null.
    TReceiveSound* sound = nullptr;

private:
    TPreferencesServices services(TModemProbing& probing);
    void save();
    THelpCenter& help();

    TWorkflowHost& host_;
    TProbingFactory makeProbing_;
    SettingsFile settingsFile_;
    bool firstRun_ = false;
    std::unique_ptr<TReceiveSound> ownSound_;
    THelpCenter* help_ = nullptr;
};

}  // namespace px
