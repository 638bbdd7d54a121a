// One open xBase table with its production index: the work area of the
// table store. Navigation follows the controlling order (0 = record order),
// the filter and the environment's deleted-records setting; every write goes
// through to the file and re-files the record in every tag at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "xbase/xb_cdx_file.h"
#include "xbase/xb_dbf_file.h"
#include "xbase/xb_expression.h"
#include "xbase/xb_index.h"
#include "xbase/xb_table_env.h"

namespace px {

class TXbTable {
public:
    using Progress = std::function<void(int percent)>;

    explicit TXbTable(std::shared_ptr<TTableEnv> env = nullptr);
    TXbTable(const TXbTable&) = delete;
    TXbTable& operator=(const TXbTable&) = delete;

    // Writes an empty table, replacing any file of that name.
    static void create(const std::string& path, std::vector<TXbField> fields);
    // The existing file whose name matches path ignoring letter case, or "".
    static std::string findFile(const std::string& path);
    // The companion index name: the table name with its last three letters
    // replaced by "CDX".
    static std::string indexPathFor(const std::string& tablePath);

    // Opens the table and its production index when there is a readable one.
    void open(const std::string& path, bool exclusive = false);
    void close();
    bool isOpen() const { return file_.isOpen(); }
    const std::string& path() const { return file_.path(); }
    std::string indexPath() const;
    TTableEnv& env() { return *env_; }
    const std::shared_ptr<TTableEnv>& sharedEnv() const { return env_; }
    void setProgress(Progress progress) { progress_ = std::move(progress); }

    // True when open found the record count in the header wrong and fixed it.
    bool repairedOnOpen() const { return file_.repairedOnOpen(); }
    // True when a production index was read; false when it was missing, was
    // unreadable (then the caller recreates the tags) or has been closed.
    bool hasProductionIndex() const { return indexOpen_; }
    void closeIndex();

    const std::vector<TXbField>& fields() const { return file_.fields(); }
    int fieldIndex(const std::string& name) const;  // -1 when absent

    // Tags. A tag of an existing name is replaced.
    void createTag(const std::string& name, const std::string& key, const std::string& forCondition,
                   int option, bool descending);
    int tagCount() const { return static_cast<int>(tags_.size()); }
    std::vector<std::string> tagNames() const;
    int orderOf(const std::string& tagName) const;  // 0 when absent
    int order() const { return order_; }
    void setOrder(int order);
    void setOrder(const std::string& tagName);

    // An empty text clears the filter; a bad one throws and keeps the old filter.
    void setFilter(const std::string& expression);
    const std::string& filter() const { return filter_.text(); }
    std::uint32_t visibleCount();

    // Navigation over the visible records in the controlling order.
    void first();
    void last();
    void next();
    void prior();
    void goTo(std::uint32_t recno);
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    // recCount() + 1 when there is no current record.
    std::uint32_t recNo() const { return eof_ ? recCount() + 1 : recno_; }
    std::uint32_t recCount() const { return file_.recordCount(); }
    bool hasCurrent() const { return !eof_ && recno_ >= 1; }

    // Appends a blank record and makes it current.
    void append();
    TXbValue value(int field) const;
    TXbValue value(const std::string& field) const;
    // Character fields with their trailing blanks removed.
    std::string text(const std::string& field) const;
    void setValue(int field, const TXbValue& value);
    void setValue(const std::string& field, const TXbValue& value);
    void setText(const std::string& field, const std::string& text);
    void setDate(const std::string& field, const TXbDate& date);
    void setLogical(const std::string& field, bool on);
    void setNumber(const std::string& field, double number);
    bool deleted() const;
    void setDeleted(bool on);

    // Removes the deleted records from the file and rebuilds the tags.
    void pack();

    // Evaluates an expression on the current record (blank record at EOF).
    TXbExpression compile(const std::string& expression) const;
    TXbValue evaluate(const TXbExpression& expression) const;

private:
    const char* currentRecord() const;
    void requireOpen() const;
    void requireCurrent() const;
    std::size_t listSize() const;
    std::uint32_t listAt(std::size_t pos) const;
    std::size_t positionOf(std::uint32_t recno) const;
    bool visible(std::uint32_t recno) const;
    void settle(std::size_t pos, bool forward);
    void writeCurrent(const std::vector<char>& record);
    void writeIndexFile();
    void rebuildTags();

    std::shared_ptr<TTableEnv> env_;
    TXbDbfFile file_;
    std::vector<std::unique_ptr<TXbIndex>> tags_;
    bool indexOpen_ = false;
    std::string indexPath_;
    int order_ = 0;
    TXbExpression filter_;
    Progress progress_;

    std::uint32_t recno_ = 0;
    bool eof_ = true;
    bool bof_ = true;
    std::vector<char> blank_;  // the phantom record read at EOF

    // The visible count is cached until the data, order, filter or options change.
    std::uint64_t dataGeneration_ = 0;
    struct TCountCache {
        std::uint64_t data;
        std::uint64_t env;
        int order;
        std::string filter;
        std::uint32_t count;
    };
    std::optional<TCountCache> countCache_;
};

}  // namespace px
