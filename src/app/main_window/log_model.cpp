#include "app/main_window/log_model.h"

#include <QBrush>

#include "xbase/xb_error.h"

namespace px {

TCursorKeeper::TCursorKeeper(TXbTable& table)
    : table_(table),
      hadCurrent_(table.isOpen() && table.hasCurrent()),
      recno_(hadCurrent_ ? table.recNo() : 0) {}

TCursorKeeper::~TCursorKeeper() {
    if (!table_.isOpen()) {
        return;
    }
    try {
        if (hadCurrent_ && recno_ <= table_.recCount()) {
            table_.goTo(recno_);
        } else {
            // No current record before: stand past the end again.
            table_.last();
            table_.next();
        }
    } catch (const EXbError&) {
        // The cursor stays where the walk left it; the next command moves it anyway.
    }
}

TLogModel::TLogModel(TLogTable& log, std::vector<TLogColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), log_(log), columns_(std::move(columns)) {}

int TLogModel::columnOf(const std::string& field) const {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].field == field) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int TLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(recnos_.size());
}

int TLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

Qt::ItemFlags TLogModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QVariant TLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(columns_.size())) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return columns_[static_cast<std::size_t>(section)].title;
    }
    return {};
}

QString TLogModel::cellText(const TLogColumn& column) const {
    const TXbTable& table = log_.table();
    if (column.field == "calcFaxFile") {
        return QString::fromStdString(log_.calcFaxFile());
    }
    if (column.field == "ISDELETED") {
        return QString::fromStdString(log_.isDeletedText());
    }
    if (column.field == "ISARCHIVED") {
        return QString::fromStdString(log_.isArchivedText());
    }
    const TXbValue value = table.value(column.field);
    switch (value.type) {
        case TXbType::Character:
            return QString::fromStdString(table.text(column.field));
        case TXbType::Date:
            return QString::fromStdString(value.date.toDtos());
        case TXbType::Logical:
            return value.logical ? QStringLiteral("T") : QStringLiteral("F");
        case TXbType::Numeric:
            return QString::number(value.number);
    }
    return {};
}

const TLogModel::TRow& TLogModel::rowData(int row) const {
    const auto found = cache_.find(row);
    if (found != cache_.end()) {
        return found->second;
    }
    if (cache_.size() >= kRowCacheLimit) {
        cache_.clear();
    }
    TRow fresh;
    TXbTable& table = log_.table();
    try {
        TCursorKeeper keep(table);
        table.goTo(recnos_[static_cast<std::size_t>(row)]);
        fresh.archived = log_.archived();
        for (const TLogColumn& column : columns_) {
            fresh.texts.push_back(cellText(column));
        }
    } catch (const EXbError&) {
        // A record that cannot be read shows as an empty row.
        fresh.texts.clear();
    }
    return cache_.emplace(row, std::move(fresh)).first->second;
}

QVariant TLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(recnos_.size()) ||
        index.column() >= static_cast<int>(columns_.size())) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole: {
            const TRow& row = rowData(index.row());
            return index.column() < row.texts.size() ? row.texts[index.column()] : QString();
        }
        case Qt::ForegroundRole:
            if (rowData(index.row()).archived) {
                return QBrush(archivedColor());
            }
            return {};
        default:
            return {};
    }
}

bool TLogModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !atEnd_;
}

void TLogModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid()) {
        return;
    }
    fetchBatch(kFetchBatch);
}

int TLogModel::fetchBatch(int limit) {
    TXbTable& table = log_.table();
    if (atEnd_ || !table.isOpen()) {
        atEnd_ = true;
        return 0;
    }
    std::vector<std::uint32_t> batch;
    try {
        TCursorKeeper keep(table);
        if (recnos_.empty()) {
            table.first();
        } else {
            table.goTo(recnos_.back());
            table.next();
        }
        while (!table.eof() && static_cast<int>(batch.size()) < limit) {
            batch.push_back(table.recNo());
            table.next();
        }
        atEnd_ = table.eof();
    } catch (const EXbError&) {
        atEnd_ = true;
    }
    if (batch.empty()) {
        return 0;
    }
    const int first = static_cast<int>(recnos_.size());
    beginInsertRows({}, first, first + static_cast<int>(batch.size()) - 1);
    recnos_.insert(recnos_.end(), batch.begin(), batch.end());
    endInsertRows();
    return static_cast<int>(batch.size());
}

void TLogModel::reload() {
    beginResetModel();
    recnos_.clear();
    cache_.clear();
    atEnd_ = !log_.table().isOpen();
    endResetModel();
    fetchBatch(kFetchBatch);
}

std::uint32_t TLogModel::recnoAt(int row) const {
    if (row < 0 || row >= static_cast<int>(recnos_.size())) {
        return 0;
    }
    return recnos_[static_cast<std::size_t>(row)];
}

int TLogModel::rowOf(std::uint32_t recno) {
    std::size_t from = 0;
    for (;;) {
        for (std::size_t i = from; i < recnos_.size(); ++i) {
            if (recnos_[i] == recno) {
                return static_cast<int>(i);
            }
        }
        from = recnos_.size();
        if (atEnd_ || fetchBatch(kFetchBatch * 16) == 0) {
            return -1;
        }
    }
}

void TLogModel::fetchAll() {
    while (!atEnd_ && fetchBatch(kFetchBatch * 16) > 0) {
    }
}

}  // namespace px
