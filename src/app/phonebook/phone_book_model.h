// The browser's read-only grid over PXPB: the entries the table shows, in
// the order and under the filter it is set to, with the record number of each.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

#include "app/phonebook/phone_book_editor.h"

namespace px {

class TXbTable;

class TPhoneBookModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { NameColumn, PhoneColumn, ColumnCount };

    explicit TPhoneBookModel(TXbTable& table, QObject* parent = nullptr)
        : QAbstractTableModel(parent), table_(table) {}

    // Reads the visible entries again; leaves the table on its first record.
    void reload();
    std::uint32_t recordAt(int row) const { return rows_.at(static_cast<std::size_t>(row)).recno; }
    const TPhoneBookEntry& entryAt(int row) const {
        return rows_.at(static_cast<std::size_t>(row)).entry;
    }
    // The row of a record, or -1 when it is not shown.
    int rowOf(std::uint32_t recno) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct TRow {
        std::uint32_t recno;
        TPhoneBookEntry entry;
    };
    TXbTable& table_;
    std::vector<TRow> rows_;
};

}  // namespace px
