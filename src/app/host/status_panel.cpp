#include "app/host/status_panel.h"

#include <QApplication>
#include <QTimer>

namespace px {

TStatusPanel::TStatusPanel(QWidget* parent) : QLabel(parent), noteTimer_(new QTimer(this)) {
    setObjectName("statusPanel");
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    // Texts carry what a far station sends (its ID): never read as markup.
    setTextFormat(Qt::PlainText);
    setMargin(4);
    setMinimumHeight(fontMetrics().height() + 12);
    noteTimer_->setSingleShot(true);
    connect(noteTimer_, &QTimer::timeout, this, &TStatusPanel::hidePanel);
    hide();
}

void TStatusPanel::showText(const QString& text) {
    noteTimer_->stop();
    setText(text);
    show();
    repaint();
}

void TStatusPanel::showNote(const QString& text, int ms) {
    setText(text);
    show();
    noteTimer_->start(ms);
}

void TStatusPanel::hidePanel() {
    noteTimer_->stop();
    clear();
    hide();
}

TBusyScope::TBusyScope(TStatusPanel& panel, const QString& text)
    : panel_(panel), wasVisible_(panel.isVisible()), previous_(panel.text()) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    panel_.showText(text);
}

TBusyScope::~TBusyScope() {
    QApplication::restoreOverrideCursor();
    if (wasVisible_) {
        panel_.showText(previous_);
    } else {
        panel_.hidePanel();
    }
}

void TBusyScope::setText(const QString& text) {
    panel_.showText(text);
}

}  // namespace px
