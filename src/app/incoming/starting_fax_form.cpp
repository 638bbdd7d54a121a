#include "app/incoming/starting_fax_form.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace px {

TStartingFaxForm::TStartingFaxForm(QWidget* parent, int hideAfterMs)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), hideTimer_(new QTimer(this)) {
    setObjectName("TStartingFaxForm");
    setWindowTitle("Starting Receive mode...");
    setModal(false);

    panels_ = new QStackedWidget(this);
    startingPanel_ = new QWidget(panels_);
    auto* startingLayout = new QVBoxLayout(startingPanel_);
    startingText_ = addText(startingPanel_, "Please wait while fax receive mode is started.....");
    startingText_->setObjectName("startingText");
    startingLayout->addStretch();
    startingLayout->addWidget(startingText_);
    startingLayout->addStretch();

    readyPanel_ = new QWidget(panels_);
    auto* readyLayout = new QVBoxLayout(readyPanel_);
    readyText_ = addText(readyPanel_, "Parvex is in receive mode now");
    readyText_->setObjectName("readyText");
    QFont strong = readyText_->font();
    strong.setBold(true);
    readyText_->setFont(strong);
    readyLayout->addWidget(readyText_);
    readyLayout->addWidget(addText(readyPanel_, "To end receive mode, press the STOP button"));
    readyLayout->addWidget(
        addText(readyPanel_, "While in receive mode, sending faxes is not possible"));
    ok_ = new QPushButton("Ok", readyPanel_);
    ok_->setObjectName("okButton");
    ok_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addStretch();
    readyLayout->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &QWidget::hide);

    panels_->addWidget(startingPanel_);
    panels_->addWidget(readyPanel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panels_);

    hideTimer_->setSingleShot(true);
    hideTimer_->setInterval(hideAfterMs);
    connect(hideTimer_, &QTimer::timeout, this, &QWidget::hide);
}

QLabel* TStartingFaxForm::addText(QWidget* panel, const QString& text) {
    auto* label = new QLabel(text, panel);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->installEventFilter(this);
    return label;
}

void TStartingFaxForm::showStarting() {
    panels_->setCurrentWidget(startingPanel_);
    adjustSize();
    if (parentWidget() != nullptr) {
        const QRect frame = parentWidget()->frameGeometry();
        move(frame.center() - rect().center());
    }
    show();
    raise();
}

void TStartingFaxForm::showReady() {
    panels_->setCurrentWidget(readyPanel_);
    adjustSize();
    ok_->setFocus();
}

bool TStartingFaxForm::readyPanelShown() const {
    return panels_->currentWidget() == readyPanel_;
}

void TStartingFaxForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    hideTimer_->start();
}

bool TStartingFaxForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && qobject_cast<QLabel*>(watched) != nullptr) {
        hide();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace px
