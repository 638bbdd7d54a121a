#include "app/phonebook/phone_book.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "app/host/user_prompts.h"
#include "app/phonebook/phone_book_model.h"
#include "xbase/xb_error.h"

namespace px {

namespace {

// The Name column is as wide as 50 characters, the fax number as its field.
constexpr int kNameDisplayWidth = 50;

// The text as stored in a character field of `width` bytes: whole
// characters only, so a long name is never cut inside one.
std::string fieldText(const QString& text, int width) {
    QString fitted = text;
    QByteArray bytes = fitted.toUtf8();
    while (bytes.size() > width) {
        fitted.chop(fitted.size() >= 2 && fitted.back().isLowSurrogate() ? 2 : 1);
        bytes = fitted.toUtf8();
    }
    return bytes.toStdString();
}

void storeEntry(TXbTable& table, const TPhoneBookEntry& entry) {
    table.setText("NAME", fieldText(entry.name, kPhoneBookNameWidth));
    table.setText("PHONE", fieldText(entry.phone, kPhoneBookPhoneWidth));
}

QPushButton* addButton(QWidget* parent, QBoxLayout* row, const char* text) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

}  // namespace

TPhoneBook::TPhoneBook(const std::string& programFolder, std::shared_ptr<TTableEnv> env,
                       TUserPrompts& prompts, TPhoneBookMode mode, QWidget* parent)
    : QDialog(parent),
      mode_(mode),
      book_(TLogKind::PhoneBook, programFolder, std::move(env)),
      prompts_(prompts),
      model_(std::make_unique<TPhoneBookModel>(book_.table())) {
    setWindowTitle("Phone Book Browser");
    setObjectName("TPhoneBook");
    setModal(true);
    editor_ = [this](QWidget* owner, TPhoneBookEntry& entry) {
        return TPhoneBookEditor::edit(owner, entry, help_);
    };

    grid_ = new QTableView(this);
    grid_->setAccessibleName("Phone book entries");
    grid_->setModel(model_.get());
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setStretchLastSection(true);
    const int charWidth = grid_->fontMetrics().averageCharWidth();
    grid_->setColumnWidth(TPhoneBookModel::NameColumn, charWidth * kNameDisplayWidth);
    grid_->setMinimumWidth(charWidth * (kNameDisplayWidth + kPhoneBookPhoneWidth + 4));

    auto* buttons = new QHBoxLayout;
    new_ = addButton(this, buttons, "&New");
    edit_ = addButton(this, buttons, "&Edit");
    delete_ = addButton(this, buttons, "&Delete");
    buttons->addStretch();
    close_ = addButton(this, buttons, "C&lose");
    cancel_ = addButton(this, buttons, "Cance&l");
    accept_ = addButton(this, buttons, "&Accept");
    helpButton_ = addButton(this, buttons, "&Help");
    const bool selecting = mode_ == TPhoneBookMode::Select;
    close_->setVisible(!selecting);
    cancel_->setVisible(selecting);
    accept_->setVisible(selecting);

    connect(new_, &QPushButton::clicked, this, [this] { guarded(&TPhoneBook::newClick); });
    connect(edit_, &QPushButton::clicked, this, [this] { guarded(&TPhoneBook::editClick); });
    connect(delete_, &QPushButton::clicked, this, [this] { guarded(&TPhoneBook::deleteClick); });
    connect(accept_, &QPushButton::clicked, this, [this] { guarded(&TPhoneBook::acceptClick); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpButton_, &QPushButton::clicked, this, [this] {
        if (help_) {
            help_();
        }
    });
    // A double click picks the entry in selection mode and edits it otherwise.
    connect(grid_, &QTableView::doubleClicked, this, [this] {
        guarded(mode_ == TPhoneBookMode::Select ? &TPhoneBook::acceptClick
                                                : &TPhoneBook::editClick);
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
    layout->addLayout(buttons);
    resize(minimumSizeHint().width(), 360);
}

TPhoneBook::~TPhoneBook() = default;

bool TPhoneBook::openBook(bool exclusive) {
    if (!book_.open("", exclusive)) {
        return false;
    }
    refresh();
    return true;
}

void TPhoneBook::guarded(void (TPhoneBook::*command)()) {
    try {
        (this->*command)();
    } catch (const EXbError& e) {
        // A table the store refuses to change (a full disk, a lock held
        // elsewhere) is reported; the grid shows what the file holds.
        prompts_.information(this, QString::fromUtf8(e.what()));
        refresh();
    }
}

int TPhoneBook::entryCount() const {
    return model_->rowCount();
}

void TPhoneBook::selectRow(int row) {
    grid_->selectRow(row);
    grid_->setCurrentIndex(model_->index(row, 0));
}

bool TPhoneBook::toCurrent() {
    const int row = grid_->currentIndex().isValid() ? grid_->currentIndex().row() : -1;
    if (row < 0 || row >= entryCount()) {
        return false;
    }
    book_.table().goTo(model_->recordAt(row));
    return book_.table().hasCurrent();
}

void TPhoneBook::refresh(std::uint32_t recno) {
    model_->reload();
    const int row = recno != 0 ? model_->rowOf(recno) : -1;
    if (entryCount() > 0) {
        selectRow(row >= 0 ? row : 0);
    }
    const bool any = entryCount() > 0;
    edit_->setEnabled(any);
    delete_->setEnabled(any);
    accept_->setEnabled(any);
}

void TPhoneBook::newClick() {
    TPhoneBookEntry entry;
    if (!editor_(this, entry)) {
        return;
    }
    TXbTable& table = book_.table();
    table.append();
    storeEntry(table, entry);
    refresh(table.recNo());
}

void TPhoneBook::editClick() {
    if (!toCurrent()) {
        prompts_.beep();
        return;
    }
    TXbTable& table = book_.table();
    const std::uint32_t recno = table.recNo();
    TPhoneBookEntry entry{QString::fromStdString(table.text("NAME")),
                          QString::fromStdString(table.text("PHONE"))};
    if (!editor_(this, entry)) {
        return;
    }
    table.goTo(recno);
    storeEntry(table, entry);
    refresh(recno);
}

void TPhoneBook::deleteClick() {
    if (!toCurrent()) {
        prompts_.beep();
        return;
    }
    TXbTable& table = book_.table();
    const QString text =
        messageText(kDeleteEntryQuestion) + QString::fromStdString(table.text("NAME"));
    if (prompts_.question(this, "Delete", text, true)) {
        table.setDeleted(true);
    }
    refresh();
}

void TPhoneBook::acceptClick() {
    if (!toCurrent()) {
        prompts_.beep();
        return;
    }
    chosen_ = {QString::fromStdString(book_.table().text("NAME")),
               QString::fromStdString(book_.table().text("PHONE"))};
    accept();
}

}  // namespace px
