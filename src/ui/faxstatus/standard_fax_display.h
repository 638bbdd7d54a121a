// The standard fax progress dialog: what the session is doing, the call's
// negotiated values, the page being sent, and a Cancel button.
#pragma once

#include <QDialog>
#include <functional>

#include "fax/components/px_abstract_fax_status.h"

class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;

namespace px {

class TStandardFaxDisplay : public QDialog {
    Q_OBJECT
public:
    explicit TStandardFaxDisplay(QWidget* parent = nullptr);

    void UpdateValues(const TFaxStatusValues& values);
    // Called by Cancel (and by Escape or closing the window, which must not
    // leave a call running unseen).
    void setCancelHandler(std::function<void()> handler) { onCancel_ = std::move(handler); }
    // Sunken value fields (the 3D look) or flat ones.
    void setCtl3D(bool on);

    // The value field of a row, by its object name ("phoneNumber", ...).
    QLabel* field(const char* name) const;
    QLabel* pageProgressLabel() const { return pageProgressLabel_; }
    QProgressBar* pageMeter() const { return pageMeter_; }
    QPushButton* cancelButton() const { return cancelButton_; }

public slots:
    void reject() override;

private:
    QLabel* addRow(QGridLayout* grid, int row, int column, const QString& caption, const char* name,
                   int span = 1);

    std::function<void()> onCancel_;
    QLabel* pageProgressLabel_ = nullptr;
    QProgressBar* pageMeter_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

}  // namespace px
