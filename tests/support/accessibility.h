// Walks a window's accessibility tree the way assistive technology and AT-SPI
// tools do, and lists the controls a user could operate that have no name.
#pragma once

#include <QAccessible>
#include <QAccessibleInterface>
#include <QMetaEnum>
#include <QStringList>
#include <QWidget>
#include <string>

namespace px::test {

// The roles of what a user operates or reads values from.
inline bool isControl(QAccessible::Role role) {
    static constexpr QAccessible::Role kControls[] = {
        QAccessible::PushButton,  QAccessible::CheckBox,       QAccessible::RadioButton,
        QAccessible::ComboBox,    QAccessible::EditableText,   QAccessible::SpinBox,
        QAccessible::Slider,      QAccessible::List,           QAccessible::Table,
        QAccessible::Tree,        QAccessible::PageTab,        QAccessible::PageTabList,
        QAccessible::ButtonMenu,  QAccessible::ButtonDropDown, QAccessible::MenuItem,
        QAccessible::ProgressBar, QAccessible::StatusBar,      QAccessible::ToolBar,
        QAccessible::MenuBar};
    for (const QAccessible::Role control : kControls) {
        if (role == control) {
            return true;
        }
    }
    return false;
}

inline void collectUnnamed(QAccessibleInterface* node, const QString& path, QStringList& out,
                           int depth) {
    if (node == nullptr || !node->isValid() || depth > 64) {
        return;
    }
    const QString name = node->text(QAccessible::Name).trimmed();
    const char* role = QMetaEnum::fromType<QAccessible::Role>().valueToKey(node->role());
    QString here = path + "/" + QString::fromLatin1(role != nullptr ? role : "?");
    if (node->object() != nullptr) {
        here += "(" + QString::fromLatin1(node->object()->metaObject()->className()) + " " +
                node->object()->objectName() + ")";
    }
    // A hidden control is nothing a user reaches.
    if (isControl(node->role()) && name.isEmpty() && !node->state().invisible) {
        out << here;
    }
    for (int i = 0; i < node->childCount(); ++i) {
        collectUnnamed(node->child(i), here, out, depth + 1);
    }
}

// The controls under `window` without an accessible name, one line each with
// its path of roles, classes and object names; empty when every control can
// be found by its name.
inline std::string unnamedControls(QWidget* window) {
    QStringList out;
    collectUnnamed(QAccessible::queryAccessibleInterface(window), QString(), out, 0);
    return out.join("\n").toStdString();
}

}  // namespace px::test
