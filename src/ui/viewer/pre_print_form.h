// The "Print" dialog of the viewer window: the page range, header, footer
// and four pages to a sheet.
#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QPushButton;
class QSpinBox;

namespace px {

// Page numbers the range fields take.
inline constexpr int kPrePrintMaxPage = 1000;

class TPrePrintForm : public QDialog {
    Q_OBJECT

public:
    explicit TPrePrintForm(QWidget* parent = nullptr);

    QSpinBox* fromPage() const { return fromPage_; }
    QSpinBox* toPage() const { return toPage_; }
    QCheckBox* printHeader() const { return header_; }
    QCheckBox* printFooter() const { return footer_; }
    QCheckBox* multiPage() const { return multiPage_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

    // Both range fields end at the fax's page count.
    void setPageLimit(int pages);
    // Called instead of accepting a range that ends before it starts.
    void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

    // Ok: refuses a to-page below the from-page while the to-page is enabled.
    void OkBtnClick();

private:
    QSpinBox* fromPage_ = nullptr;
    QSpinBox* toPage_ = nullptr;
    QCheckBox* header_ = nullptr;
    QCheckBox* footer_ = nullptr;
    QCheckBox* multiPage_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    std::function<void()> beep_;
};

}  // namespace px
