#include "app/main_window/rebuild_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <exception>

#include "app/tables/index_rebuild.h"

namespace px {

TRebuildDialog::TRebuildDialog(QWidget* parent, Work work)
    : QDialog(parent), work_(std::move(work)) {
    setWindowTitle("Rebuild Indexes");
    setObjectName("TRebuildDialog");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    step_ = new QLabel(this);
    step_->setMinimumWidth(360);
    gauge_ = new QProgressBar(this);
    gauge_->setAccessibleName("Progress");
    gauge_->setRange(0, 100);
    layout->addWidget(step_);
    layout->addWidget(gauge_);
}

QString TRebuildDialog::run() {
    show();
    QApplication::processEvents();
    TRebuildProgress progress;
    progress.status = [this](const std::string& text) {
        steps_ << QString::fromStdString(text);
        step_->setText(steps_.back());
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    progress.gauge = [this](int percent) {
        if (gauge_->value() != percent) {
            gauge_->setValue(percent);
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    };
    QString error;
    try {
        work_(progress);
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
    }
    hide();
    return error;
}

}  // namespace px
