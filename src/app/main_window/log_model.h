// The read-only grid model over one fax log. Rows are the visible records in
// the table's controlling order; they are fetched in batches as the view
// scrolls, so opening a log of a hundred thousand faxes costs one batch.
// The table's cursor belongs to the main window (it is the current record):
// every walk the model makes puts it back where it was.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/tables/log_table.h"

namespace px {

struct TLogColumn {
    std::string field;  // a table field or a derived field such as calcFaxFile
    QString title;
    int width = 64;  // pixels, as first shown
};

class TLogModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kFetchBatch = 256;
    static constexpr std::size_t kRowCacheLimit = 4096;

    TLogModel(TLogTable& log, std::vector<TLogColumn> columns, QObject* parent = nullptr);

    TLogTable& log() { return log_; }
    const TLogTable& log() const { return log_; }
    const std::vector<TLogColumn>& columns() const { return columns_; }
    int columnOf(const std::string& field) const;  // -1 when absent

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // Forgets every fetched row and fetches the first batch again; called
    // after the order, the filter or the records changed.
    void reload();
    // Record number of a fetched row, 0 when out of range.
    std::uint32_t recnoAt(int row) const;
    // The row of a visible record, fetching further batches until it is
    // found; -1 when the record is not visible.
    int rowOf(std::uint32_t recno);
    // Fetches every remaining row (used when a record must be found).
    void fetchAll();
    bool fullyFetched() const { return atEnd_; }

    // Archived rows are drawn in this colour (white when selected).
    static QColor archivedColor() { return QColor(Qt::red); }

protected:
    // Display text of one column for the table's current record.
    virtual QString cellText(const TLogColumn& column) const;

private:
    struct TRow {
        QStringList texts;
        bool archived = false;
    };
    const TRow& rowData(int row) const;
    int fetchBatch(int limit);

    TLogTable& log_;
    std::vector<TLogColumn> columns_;
    std::vector<std::uint32_t> recnos_;
    bool atEnd_ = true;
    mutable std::unordered_map<int, TRow> cache_;
};

// Puts a table's cursor back where it was when this goes out of scope.
class TCursorKeeper {
public:
    explicit TCursorKeeper(TXbTable& table);
    ~TCursorKeeper();
    TCursorKeeper(const TCursorKeeper&) = delete;
    TCursorKeeper& operator=(const TCursorKeeper&) = delete;

private:
    TXbTable& table_;
    bool hadCurrent_;
    std::uint32_t recno_;
};

}  // namespace px
