// TMRUFileList: the recently used files at the end of a File menu, most
// recent first, each item "&n path".
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <vector>

class QAction;
class QMenu;

namespace px {

class TMRUFileList : public QObject {
    Q_OBJECT

public:
    explicit TMRUFileList(QObject* parent = nullptr);

    int Maximum() const { return maximum_; }
    void setMaximum(int maximum);
    bool RemoveOnClick() const { return removeOnClick_; }
    void setRemoveOnClick(bool on) { removeOnClick_ = on; }
    // The menu the items are appended to, after a separator.
    void setFileMenu(QMenu* menu);

    const QStringList& files() const { return files_; }
    void setFiles(const QStringList& files);
    // To the top; an entry already listed (any letter case) moves there.
    void add(const QString& path);
    void remove(const QString& path);

    // The menu's items, in order (for tests and the accessibility walk).
    const std::vector<QAction*>& actions() const { return actions_; }
    // Chooses an item as the menu does.
    void click(int index);

signals:
    void mruItemClick(const QString& path);

private:
    void rebuild();

    int maximum_ = 5;
    bool removeOnClick_ = true;
    QPointer<QMenu> menu_;
    QStringList files_;
    QAction* separator_ = nullptr;
    std::vector<QAction*> actions_;
};

}  // namespace px
