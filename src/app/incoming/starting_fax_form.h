// The receive-mode notice: a small window on top of the others that says
// receive mode is starting, then that it runs and how to end it. Ok, a click
// on a text, an answered call or 15 seconds hide it.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QStackedWidget;
class QTimer;

namespace px {

inline constexpr int kNoticeHideMs = 15000;

class TStartingFaxForm : public QDialog {
    Q_OBJECT

public:
    explicit TStartingFaxForm(QWidget* parent = nullptr, int hideAfterMs = kNoticeHideMs);

    // Centres the window over its parent and shows "Please wait ...".
    void showStarting();
    // Receive mode runs: the three lines and the Ok button.
    void showReady();
    bool readyPanelShown() const;

    QPushButton* okButton() const { return ok_; }
    QLabel* startingText() const { return startingText_; }
    QLabel* readyText() const { return readyText_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* addText(QWidget* panel, const QString& text);

    QStackedWidget* panels_ = nullptr;
    QWidget* startingPanel_ = nullptr;
    QWidget* readyPanel_ = nullptr;
    QLabel* startingText_ = nullptr;
    QLabel* readyText_ = nullptr;
    QPushButton* ok_ = nullptr;
    QTimer* hideTimer_ = nullptr;
};

}  // namespace px
