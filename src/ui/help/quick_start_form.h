// Quick Start Instructions: the first steps with Parvex.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace px {

class TQuickStartForm : public QDialog {
    Q_OBJECT

public:
    explicit TQuickStartForm(QWidget* parent = nullptr);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

}  // namespace px
