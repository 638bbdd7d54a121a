#include "app/desktop/receive_tray.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

#include "settings/px_settings.h"

namespace px {

namespace {

// A sheet with text lines and a green arrow into it: a fax coming in.
QIcon receivingIcon() {
    constexpr int kSize = 32;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 2.5, 19, 27));
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    for (int y = 8; y <= 20; y += 4) {
        p.drawLine(QPointF(11, y), QPointF(23, y));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 140, 60));
    const QPointF arrow[] = {{2, 20}, {12, 20}, {12, 16}, {19, 23}, {12, 30}, {12, 26}, {2, 26}};
    p.drawPolygon(arrow, 7);
    return QIcon(pixmap);
}

}  // namespace

QString receivedCountText(int count) {
    if (count == 0) {
        return "No faxes received yet";
    }
    return count == 1 ? QString("1 fax received") : QString("%1 faxes received").arg(count);
}

TReceiveTray::TReceiveTray(QWidget& window, const ReceiveSettings& settings, QObject* parent)
    : QObject(parent),
      window_(window),
      settings_(settings),
      menu_(std::make_unique<QMenu>()),
      trayAvailable_(QSystemTrayIcon::isSystemTrayAvailable()) {
    menu_->setObjectName("receiveTrayMenu");
    menu_->setAccessibleName("Parvex receive mode");
    countAction_ = menu_->addAction(receivedCountText(0));
    countAction_->setEnabled(false);
    menu_->addSeparator();
    connect(menu_->addAction(kTrayShowWindow), &QAction::triggered, this,
            &TReceiveTray::showWindow);
    connect(menu_->addAction(kTrayQuit), &QAction::triggered, this, &TReceiveTray::quit);
}

TReceiveTray::~TReceiveTray() = default;

void TReceiveTray::receiveModeStarted() {
    active_ = true;
    received_ = 0;
    if (trayAvailable_ && icon_ == nullptr) {
        icon_ = new QSystemTrayIcon(receivingIcon(), this);
        icon_->setContextMenu(menu_.get());
        connect(
            icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                    showWindow();
                }
            });
    }
    update();
    if (icon_ != nullptr) {
        icon_->show();
    }
}

void TReceiveTray::faxReceived(const TReceivedFaxInfo& fax) {
    (void)fax;
    ++received_;
    update();
}

void TReceiveTray::receiveModeStopped() {
    active_ = false;
    if (icon_ != nullptr) {
        icon_->hide();
    }
    // Receive mode can end on its own (the modem gone); a window hidden in
    // the tray would then be out of reach.
    if (!window_.isVisible() && !quitting_) {
        showWindow();
    }
}

bool TReceiveTray::iconShown() const {
    return icon_ != nullptr && icon_->isVisible();
}

QString TReceiveTray::toolTip() const {
    return "Parvex is receiving faxes\n" + receivedCountText(received_);
}

bool TReceiveTray::keepsWindowOnClose() const {
    return settings_.keepReceivingInTray && active_ && iconShown() && !quitting_;
}

void TReceiveTray::hideToTray() {
    window_.hide();
    if (icon_ != nullptr && !toldWhereItWent_) {
        toldWhereItWent_ = true;
        icon_->showMessage("Parvex", kTrayStillReceiving, QSystemTrayIcon::Information);
    }
}

void TReceiveTray::showWindow() {
    window_.show();
    window_.raise();
    window_.activateWindow();
}

void TReceiveTray::quit() {
    // The close sequence may ask whether to stop a fax coming in; the window
    // is where that question belongs.
    quitting_ = true;
    showWindow();
    window_.close();
    quitting_ = false;
}

void TReceiveTray::update() {
    countAction_->setText(receivedCountText(received_));
    if (icon_ != nullptr) {
        icon_->setToolTip(toolTip());
    }
}

}  // namespace px
