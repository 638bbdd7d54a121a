// One index tag held in memory: a fixed-width, memcmp-ordered key per record
// and the record numbers sorted by (key, record number). The record number
// breaks ties, so equal keys never drop or reorder records, and every entry
// can be found again by binary search.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "xbase/xb_buffer.h"
#include "xbase/xb_cdx_file.h"
#include "xbase/xb_expression.h"

namespace px {

class TXbDbfFile;

class TXbIndex {
public:
    using Progress = std::function<void(int percent)>;
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    // Compiles the key and for-condition; throws EXbError(BadExpression).
    TXbIndex(TXbTagDef def, const std::vector<TXbField>& fields);

    const TXbTagDef& def() const { return def_; }
    const std::vector<std::uint32_t>& order() const { return order_; }

    void build(const TXbDbfFile& file, const TTableEnv& env, const Progress& progress);
    // Keys are built on first use; until then writes need not re-file anything.
    bool built() const { return built_; }
    void invalidate();
    // Re-files one record after it changed (or was appended); a no-op until built.
    void update(std::uint32_t recno, const char* record, const TTableEnv& env);
    // Where recno stands in order(), or where it would stand when the
    // for-condition leaves it out.
    std::size_t position(std::uint32_t recno) const;
    bool contains(std::uint32_t recno) const;

private:
    const char* key(std::uint32_t recno) const {
        return &keys_[static_cast<std::size_t>(recno - 1) * keyLength_];
    }
    void computeKey(std::uint32_t recno, const char* record, const TTableEnv& env, char* out,
                    bool& included) const;
    bool less(std::uint32_t a, std::uint32_t b) const;
    void sortOrder();

    TXbTagDef def_;
    TXbExpression keyExpr_;
    TXbExpression forExpr_;
    std::size_t keyLength_ = 1;
    bool built_ = false;
    TXbBytes keys_;               // keyLength_ bytes per record, by record number
    std::vector<char> included_;  // 1 when the for-condition holds, by record number
    std::vector<std::uint32_t> order_;
    mutable std::string scratch_;  // reused while computing character keys
};

}  // namespace px
