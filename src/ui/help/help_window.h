// The help browser: the bundled help pages, opened at a numbered topic, with
// links between them and Back/Forward.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace px {

class THelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit THelpWindow(QWidget* parent = nullptr);
    void showTopic(int topic);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

}  // namespace px
