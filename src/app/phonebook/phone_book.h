// The "Phone Book Browser" (TPhoneBook): the recipients in PXPB, listed by
// name. In browse mode the user adds, edits and deletes entries; in selection
// mode the cover sheet and fax information editors let the user pick one and
// get its name and number back.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "app/phonebook/phone_book_editor.h"
#include "app/tables/log_table.h"

class QPushButton;
class QTableView;

namespace px {

class TPhoneBookModel;
class TUserPrompts;

enum class TPhoneBookMode { Browse, Select };

inline constexpr const char* kDeleteEntryQuestion = "Delete the current phone book entry?:\r";

class TPhoneBook : public QDialog {
    Q_OBJECT

public:
    // Edits an entry in place; true when the user accepted it.
    using Editor = std::function<bool(QWidget* parent, TPhoneBookEntry& entry)>;

    TPhoneBook(const std::string& programFolder, std::shared_ptr<TTableEnv> env,
               TUserPrompts& prompts, TPhoneBookMode mode, QWidget* parent = nullptr);
    ~TPhoneBook() override;

    // Opens PXPB, creating it and its NAME tag when missing. A phone book that
    // cannot be opened is not shown; the caller just drops the window.
    bool openBook(bool exclusive = false);

    TPhoneBookMode mode() const { return mode_; }
    // The entry accepted in selection mode.
    const TPhoneBookEntry& chosen() const { return chosen_; }
    void setEditor(Editor editor) { editor_ = std::move(editor); }
    void setHelp(std::function<void()> open) { help_ = std::move(open); }

    void newClick();
    void editClick();
    void deleteClick();
    void acceptClick();

    TLogTable& book() { return book_; }
    QTableView* grid() const { return grid_; }
    int entryCount() const;
    void selectRow(int row);
    QPushButton* newButton() const { return new_; }
    QPushButton* editButton() const { return edit_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* closeButton() const { return close_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* acceptButton() const { return accept_; }
    QPushButton* helpButton() const { return helpButton_; }

private:
    // Moves the table to the record of the selected row; false when none is shown.
    bool toCurrent();
    // Reloads the grid, puts the selection on `recno` (or the first entry)
    // and enables the buttons that need an entry.
    void refresh(std::uint32_t recno = 0);
    // Runs a button's command; a table error becomes a message.
    void guarded(void (TPhoneBook::*command)());

    TPhoneBookMode mode_;
    TLogTable book_;
    TUserPrompts& prompts_;
    Editor editor_;
    std::function<void()> help_;
    TPhoneBookEntry chosen_;
    std::unique_ptr<TPhoneBookModel> model_;
    QTableView* grid_;
    QPushButton* new_;
    QPushButton* edit_;
    QPushButton* delete_;
    QPushButton* close_;
    QPushButton* cancel_;
    QPushButton* accept_;
    QPushButton* helpButton_;
};

}  // namespace px
