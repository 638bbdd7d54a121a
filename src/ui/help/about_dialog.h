// The About box: product name, version and a short description.
#pragma once

#include <QDialog>

namespace px {

class TAboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit TAboutDialog(QWidget* parent = nullptr);
    QString text() const;

private:
    QString text_;
};

}  // namespace px
