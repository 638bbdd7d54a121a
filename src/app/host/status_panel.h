// The status panel under the logs: hidden unless a long operation runs. A
// TBusyScope shows a progress text with the busy cursor and restores both,
// however the operation ends.
#pragma once

#include <QLabel>

class QTimer;

namespace px {

class TStatusPanel : public QLabel {
    Q_OBJECT

public:
    explicit TStatusPanel(QWidget* parent = nullptr);

    // Shows the text now (the panel is repainted before a long step starts).
    void showText(const QString& text);
    // Shows a note that goes away by itself after a few seconds.
    void showNote(const QString& text, int ms = 5000);
    void hidePanel();

private:
    QTimer* noteTimer_;
};

class TBusyScope {
public:
    TBusyScope(TStatusPanel& panel, const QString& text);
    ~TBusyScope();
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

    void setText(const QString& text);

private:
    TStatusPanel& panel_;
    bool wasVisible_;
    QString previous_;
};

}  // namespace px
