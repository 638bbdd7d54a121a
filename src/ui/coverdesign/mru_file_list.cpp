#include "ui/coverdesign/mru_file_list.h"

#include <QAction>
#include <QMenu>

namespace px {

TMRUFileList::TMRUFileList(QObject* parent) : QObject(parent) {}

void TMRUFileList::setMaximum(int maximum) {
    maximum_ = std::max(1, maximum);
    while (files_.size() > maximum_) {
        files_.removeLast();
    }
    rebuild();
}

void TMRUFileList::setFileMenu(QMenu* menu) {
    menu_ = menu;
    separator_ = nullptr;
    actions_.clear();
    rebuild();
}

void TMRUFileList::setFiles(const QStringList& files) {
    files_.clear();
    for (const QString& f : files) {
        if (files_.size() < maximum_ && !files_.contains(f, Qt::CaseInsensitive)) {
            files_ << f;
        }
    }
    rebuild();
}

void TMRUFileList::add(const QString& path) {
    files_.removeIf([&](const QString& f) { return f.compare(path, Qt::CaseInsensitive) == 0; });
    files_.prepend(path);
    while (files_.size() > maximum_) {
        files_.removeLast();
    }
    rebuild();
}

void TMRUFileList::remove(const QString& path) {
    files_.removeIf([&](const QString& f) { return f.compare(path, Qt::CaseInsensitive) == 0; });
    rebuild();
}

void TMRUFileList::click(int index) {
    if (index < 0 || index >= files_.size()) {
        return;
    }
    const QString path = files_.at(index);
    if (removeOnClick_) {
        remove(path);
    }
    emit mruItemClick(path);
}

void TMRUFileList::rebuild() {
    if (menu_ == nullptr) {
        return;
    }
    for (QAction* a : actions_) {
        menu_->removeAction(a);
        a->deleteLater();
    }
    actions_.clear();
    if (separator_ != nullptr) {
        menu_->removeAction(separator_);
        separator_->deleteLater();
        separator_ = nullptr;
    }
    if (files_.isEmpty()) {
        return;
    }
    separator_ = menu_->addSeparator();
    for (int i = 0; i < files_.size(); ++i) {
        QAction* a = menu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(files_.at(i)));
        a->setObjectName(QStringLiteral("MRUItem%1").arg(i));
        connect(a, &QAction::triggered, this, [this, i] { click(i); });
        actions_.push_back(a);
    }
}

}  // namespace px
