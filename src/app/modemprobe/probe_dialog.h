// What the modem probing windows share: the work starts once the window is
// on screen, and the window stays until the work is done.
#pragma once

#include <QDialog>

class QShowEvent;

namespace px {

class TProbeDialog : public QDialog {
public:
    explicit TProbeDialog(QWidget* parent) : QDialog(parent) {}

    bool finished() const { return finished_; }

    // Escape and the close box wait for the end of the tests: the ports
    // must be closed and the results known before the window goes.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    // The probing itself, run once, just after the window first shows.
    virtual void FormActivate() = 0;
    void setFinished() { finished_ = true; }

private:
    bool started_ = false;
    bool finished_ = false;
};

}  // namespace px
