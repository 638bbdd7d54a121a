// The Rebuild Indexes dialog: a step text and a gauge while the outgoing
// log, the incoming log and the phone book are packed and indexed again. It
// closes itself when done.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QProgressBar;

namespace px {

struct TRebuildProgress;

class TRebuildDialog : public QDialog {
    Q_OBJECT

public:
    // `work` runs the rebuild, reporting through the progress it is given.
    using Work = std::function<void(const TRebuildProgress&)>;

    TRebuildDialog(QWidget* parent, Work work);

    // Shows the dialog, runs the work and closes; returns the error text of a
    // failed rebuild, empty on success.
    QString run();

    QLabel* stepLabel() const { return step_; }
    QProgressBar* gauge() const { return gauge_; }
    // Every step text shown during the last run, in order.
    const QStringList& stepsShown() const { return steps_; }

private:
    Work work_;
    QLabel* step_;
    QProgressBar* gauge_;
    QStringList steps_;
};

}  // namespace px
