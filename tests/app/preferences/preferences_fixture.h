// The preference windows over a scratch program folder whose PX.INI is real,
// with scripted probing, prompts, printers, sound and file chooser.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <functional>
#include <memory>

#include "app/host/fake_host.h"
#include "app/preferences/preferences_form.h"
#include "app/preferences/preferences_services.h"
#include "app/preferences/preferences_workflow.h"
#include "app/preferences/quick_setup_form.h"
#include "scripted_probing.h"
#include "settings/settings_file.h"

namespace px::test {

// Saves the settings record into the scratch folder's PX.INI, as the main window does.
class TSavingHost : public TFakeHost {
public:
    SettingsFile file{programFolder.settingsPath()};
    void saveSettings() override {
        file.save(record);
        ++settingsSaved;
    }
};

class PreferencesFixture : public ::testing::Test {
protected:
    TSavingHost host;
    TScriptedProbing probing;
    TRecordingSound sound;
    QStringList printers{"Office Laser", "Label Writer"};
    QString chooserAnswer;
    QString chooserFolder;
    QString chooserCurrent;
    std::vector<int> helpTopics;
    int problemSolverOpened = 0;

    TPreferencesServices services{
        probing,
        host.scripted,
        sound,
        host.file,
        QString::fromStdString(host.programFolder.path()),
        printers,
        [this](QWidget*, const QString& folder, const QString& current) {
            chooserFolder = folder;
            chooserCurrent = current;
            return chooserAnswer;
        },
        [this](int topic) { helpTopics.push_back(topic); },
        [this] { ++problemSolverOpened; },
    };

    std::string iniPath() const { return host.programFolder.settingsPath(); }

    // The workflow over this fixture; `drive` plays the user in each window it shows.
    std::unique_ptr<TPreferencesWorkflow> workflow(std::function<int(QDialog&)> drive) {
        auto w = std::make_unique<TPreferencesWorkflow>(
            host, [this] { return std::make_unique<TForwardingProbing>(probing); });
        w->runDialog = std::move(drive);
        w->installedPrinters = [this] { return printers; };
        w->chooseSoundFile = services.chooseSoundFile;
        w->sound = &sound;
        return w;
    }
};

// Clicks a button and lets its slots run.
inline void click(QAbstractButton* button) {
    ASSERT_TRUE(button->isEnabled()) << button->text().toStdString();
    button->click();
    QApplication::processEvents();
}

}  // namespace px::test
