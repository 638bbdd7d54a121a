#include "app/phonebook/phone_book_model.h"

#include "xbase/xb_table.h"

namespace px {

void TPhoneBookModel::reload() {
    beginResetModel();
    rows_.clear();
    if (table_.isOpen()) {
        for (table_.first(); !table_.eof(); table_.next()) {
            rows_.push_back({table_.recNo(),
                             {QString::fromStdString(table_.text("NAME")),
                              QString::fromStdString(table_.text("PHONE"))}});
        }
        table_.first();
    }
    endResetModel();
}

int TPhoneBookModel::rowOf(std::uint32_t recno) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].recno == recno) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int TPhoneBookModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TPhoneBookModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TPhoneBookModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)) {
        return {};
    }
    const TPhoneBookEntry& entry = entryAt(index.row());
    return index.column() == NameColumn ? entry.name : entry.phone;
}

QVariant TPhoneBookModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    return section == NameColumn ? QStringLiteral("Name") : QStringLiteral("Fax #");
}

}  // namespace px
