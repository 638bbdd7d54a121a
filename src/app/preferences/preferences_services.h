// What the preference windows use besides the settings they edit: the modem
// probing windows, the message boxes, the sound player, the printers, the
// file chooser, help. The workflow gives them the real ones; tests their own.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace px {

class SettingsFile;
class TModemProbing;
class TReceiveSound;
class TUserPrompts;

struct TPreferencesServices {
    TModemProbing& probing;
    TUserPrompts& prompts;
    TReceiveSound& sound;
    // PX.INI: its [Ports] bindings name the Com entries, and Find Modem may bind a new one.
    const SettingsFile& settingsFile;
    // The folder the sound chooser starts in.
    QString programFolder;
    // The installed printers, by name.
    QStringList printers;
    // A file-open dialog for WAVE files starting in `folder` with `current`
    // preselected (empty when it does not exist); the chosen path or empty.
    std::function<QString(QWidget* parent, const QString& folder, const QString& current)>
        chooseSoundFile;
    std::function<void(int topic)> showHelp;
    std::function<void()> showProblemSolver;
};

}  // namespace px
