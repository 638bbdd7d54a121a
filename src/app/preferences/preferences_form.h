// "Preferences Wizard": eight pages over the modem, sending and receiving
// settings. It edits a copy of the settings; the caller takes the copy when
// the wizard ends confirmed.
#pragma once

#include <QDialog>
#include <QStringList>
#include <array>
#include <memory>

#include "settings/px_settings.h"
#include "ui/help/help_topics.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace px {

class TProbingPort;
struct TPreferencesServices;

// The wizard's pages, in order.
enum class TWizardPage : int {
    WizardInformation,
    ModemAndPort,
    SendingPart1,
    SendingPart2,
    SendingPart3,
    ReceivingPart1,
    ReceivingPart2,
    ReceivingPart3,
};
inline constexpr int kWizardPageCount = 8;
inline constexpr std::array<const char*, kWizardPageCount> kWizardPageNames = {
    "Wizard Information",       "Modem and Communications Port", "Sending Faxes - Part 1",
    "Sending Faxes - Part 2",   "Sending Faxes - Part 3",        "Receiving Faxes - Part 1",
    "Receiving Faxes - Part 2", "Receiving Faxes - Part 3"};

// Help topics of the pages (the introduction's is kHelpPreferences).
inline constexpr int kHelpPreferencesIntroduction = kHelpPreferences;
int helpTopicOfPage(int page);

inline constexpr const char* kFirstRunNotice =
    "While the default settings will work for most people, be sure to verify that the "
    "COMMUNICATIONS PORT and FAX CLASS settings are correct before continuing to use the "
    "program.";

// Every control of the pages; the setting each one edits is in the wizard's load and store.
struct TWizardControls {
    QLabel* firstRunNotice = nullptr;
    // Modem and Communications Port
    QComboBox* port = nullptr;
    QRadioButton* tone = nullptr;
    QRadioButton* pulse = nullptr;
    QLineEdit* resetBefore = nullptr;
    QLineEdit* resetAfter = nullptr;
    QPushButton* findModem = nullptr;
    // Sending Faxes - Part 1
    QComboBox* sendClass = nullptr;
    QComboBox* sendRate = nullptr;
    QLineEdit* sendInit = nullptr;
    QPushButton* checkClassSend = nullptr;
    QPushButton* initHelpSend = nullptr;
    // Sending Faxes - Part 2
    QLineEdit* stationId = nullptr;
    QLineEdit* name = nullptr;
    QCheckBox* ecm = nullptr;
    QLineEdit* dialPrefix = nullptr;
    QLineEdit* dialSuffix = nullptr;
    // Sending Faxes - Part 3
    QLineEdit* dialAttempts = nullptr;
    QLineEdit* retryWait = nullptr;
    QCheckBox* blindDial = nullptr;
    QCheckBox* ignoreBusy = nullptr;
    QCheckBox* renegotiate = nullptr;
    // Receiving Faxes - Part 1
    QComboBox* receiveClass = nullptr;
    QComboBox* receiveRate = nullptr;
    QLineEdit* receiveInit = nullptr;
    QPushButton* sameClass = nullptr;
    QPushButton* sameRate = nullptr;
    QPushButton* sameInit = nullptr;
    QPushButton* checkClassReceive = nullptr;
    QPushButton* initHelpReceive = nullptr;
    // Receiving Faxes - Part 2
    QComboBox* answerOnRing = nullptr;
    QCheckBox* atStartup = nullptr;
    QCheckBox* ecmReceive = nullptr;
    // Receiving Faxes - Part 3
    QLineEdit* wav = nullptr;
    QPushButton* chooseSound = nullptr;
    QPushButton* playSound = nullptr;
    QPushButton* noSound = nullptr;
    QCheckBox* printOnReceipt = nullptr;
    QComboBox* printer = nullptr;
};

// Builds the pages into `pages`, filling `c`.
void buildWizardPages(QStackedWidget* pages, TWizardControls& c);

class TPreferences : public QDialog {
    Q_OBJECT

public:
    // `firstRun`: Finish waits for the last page, and page 0 carries the notice.
    TPreferences(const Settings& settings, bool firstRun, TPreferencesServices& services,
                 QWidget* parent = nullptr);
    ~TPreferences() override;

    // The settings given, with every setting of the pages taken from its control.
    // Valid once the wizard ended confirmed.
    Settings settings() const;

    int currentPage() const;
    void showPage(int page);

    const TWizardControls& controls() const { return c_; }
    QListWidget* pageList() const { return pageList_; }
    QLabel* heading() const { return heading_; }
    QPushButton* backButton() const { return back_; }
    QPushButton* nextButton() const { return next_; }
    QPushButton* finishButton() const { return finish_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* helpButton() const { return help_; }
    QPushButton* problemSolverButton() const { return problemSolver_; }

private:
    void load();
    void updateButtons();
    void finishClick();
    // The first of the typed numbers that is not valid, with its message; empty when all are.
    QString numbersProblem(QLineEdit** field) const;
    TProbingPort& probe();
    void chooseSound();
    void playSound();

    Settings settings_;
    bool firstRun_;
    TPreferencesServices& services_;
    std::unique_ptr<TProbingPort> probe_;
    TWizardControls c_;
    QListWidget* pageList_ = nullptr;
    QLabel* heading_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* finish_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* help_ = nullptr;
    QPushButton* problemSolver_ = nullptr;
};

}  // namespace px
