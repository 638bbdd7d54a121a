#include "xbase/xb_index.h"

#include <algorithm>
#include <cstring>

#include "xbase/xb_dbf_file.h"
#include "xbase/xb_error.h"

namespace px {

namespace {

// Maps a double onto 8 bytes whose memcmp order is the numeric order.
void encodeNumber(double n, char* out) {
    if (n == 0.0) {
        n = 0.0;  // folds -0 onto +0
    }
    std::uint64_t bits = 0;
    std::memcpy(&bits, &n, sizeof bits);
    bits = (bits & (1ull << 63)) ? ~bits : bits | (1ull << 63);
    for (int i = 0; i < 8; ++i) {
        out[i] = static_cast<char>((bits >> (56 - 8 * i)) & 0xFF);
    }
}

}  // namespace

TXbIndex::TXbIndex(TXbTagDef def, const std::vector<TXbField>& fields) : def_(std::move(def)) {
    keyExpr_ = TXbExpression::compile(def_.key, fields);
    if (!def_.forCondition.empty()) {
        forExpr_ = TXbExpression::compile(def_.forCondition, fields);
        if (forExpr_.type() != TXbType::Logical) {
            throw EXbError(TXbErrorKind::BadExpression,
                           "The for-condition of tag " + def_.name + " is not logical");
        }
    }
    switch (keyExpr_.type()) {
        case TXbType::Character:
            keyLength_ = static_cast<std::size_t>(std::max(1, keyExpr_.width()));
            break;
        case TXbType::Date:
        case TXbType::Numeric:
            keyLength_ = 8;
            break;
        case TXbType::Logical:
            keyLength_ = 1;
            break;
    }
}

void TXbIndex::computeKey(std::uint32_t recno, const char* record, const TTableEnv& env, char* out,
                          bool& included) const {
    const TXbEvalContext context{record, recno, &env};
    included = forExpr_.test(context);
    if (keyExpr_.type() == TXbType::Character) {
        scratch_.clear();
        keyExpr_.appendText(context, scratch_);
        const std::size_t n = std::min(scratch_.size(), keyLength_);
        std::memcpy(out, scratch_.data(), n);
        std::memset(out + n, ' ', keyLength_ - n);
        return;
    }
    const TXbValue v = keyExpr_.evaluate(context);
    switch (v.type) {
        case TXbType::Character:
            break;
        case TXbType::Date:
            std::memcpy(out, v.date.toDtos().data(), 8);
            break;
        case TXbType::Logical:
            out[0] = v.logical ? 'T' : 'F';
            break;
        case TXbType::Numeric:
            encodeNumber(v.number, out);
            break;
    }
}

bool TXbIndex::less(std::uint32_t a, std::uint32_t b) const {
    int c = std::memcmp(key(a), key(b), keyLength_);
    if (def_.descending) {
        c = -c;
    }
    return c != 0 ? c < 0 : a < b;
}

void TXbIndex::build(const TXbDbfFile& file, const TTableEnv& env, const Progress& progress) {
    const std::uint32_t count = file.recordCount();
    keys_.resize(static_cast<std::size_t>(count) * keyLength_);
    included_.assign(count, 0);
    order_.clear();
    order_.reserve(count);
    int lastPercent = -1;
    for (std::uint32_t recno = 1; recno <= count; ++recno) {
        bool in = false;
        computeKey(recno, file.record(recno), env, &keys_[(recno - 1) * keyLength_], in);
        included_[recno - 1] = in ? 1 : 0;
        if (in) {
            order_.push_back(recno);
        }
        if (progress) {
            // Reading the keys is most of the work; the sort takes the last tenth.
            const int percent = static_cast<int>(static_cast<std::uint64_t>(recno) * 90 / count);
            if (percent != lastPercent) {
                progress(percent);
                lastPercent = percent;
            }
        }
    }
    sortOrder();
    built_ = true;
    if (progress) {
        progress(100);
    }
}

void TXbIndex::invalidate() {
    built_ = false;
    keys_.clear();
    keys_.shrink_to_fit();
    included_.clear();
    included_.shrink_to_fit();
    order_.clear();
    order_.shrink_to_fit();
}

// Sorts on the first eight key bytes held as one integer, comparing the rest
// of the key only between equal prefixes: most comparisons stay in registers.
void TXbIndex::sortOrder() {
    struct TEntry {
        std::uint64_t prefix;
        std::uint32_t recno;
    };
    const std::size_t prefixLength = std::min<std::size_t>(8, keyLength_);
    std::vector<TEntry> entries;
    entries.reserve(order_.size());
    for (const std::uint32_t recno : order_) {
        const auto* k = reinterpret_cast<const unsigned char*>(key(recno));
        std::uint64_t prefix = 0;
        for (std::size_t i = 0; i < 8; ++i) {
            prefix = (prefix << 8) | (i < prefixLength ? k[i] : 0u);
        }
        entries.push_back({def_.descending ? ~prefix : prefix, recno});
    }
    const std::size_t rest = keyLength_ - prefixLength;
    std::sort(entries.begin(), entries.end(), [&](const TEntry& a, const TEntry& b) {
        if (a.prefix != b.prefix) {
            return a.prefix < b.prefix;
        }
        if (rest > 0) {
            int c = std::memcmp(key(a.recno) + 8, key(b.recno) + 8, rest);
            if (def_.descending) {
                c = -c;
            }
            if (c != 0) {
                return c < 0;
            }
        }
        return a.recno < b.recno;
    });
    for (std::size_t i = 0; i < entries.size(); ++i) {
        order_[i] = entries[i].recno;
    }
}

std::size_t TXbIndex::position(std::uint32_t recno) const {
    const auto it =
        std::lower_bound(order_.begin(), order_.end(), recno,
                         [this](std::uint32_t a, std::uint32_t b) { return less(a, b); });
    return static_cast<std::size_t>(it - order_.begin());
}

bool TXbIndex::contains(std::uint32_t recno) const {
    return recno >= 1 && recno <= included_.size() && included_[recno - 1] != 0;
}

void TXbIndex::update(std::uint32_t recno, const char* record, const TTableEnv& env) {
    if (!built_) {
        return;
    }
    const bool appended = recno > included_.size();
    if (appended) {
        keys_.resize(static_cast<std::size_t>(recno) * keyLength_, ' ');
        included_.resize(recno, 0);
    }
    std::vector<char> fresh(keyLength_);
    bool in = false;
    computeKey(recno, record, env, fresh.data(), in);
    const bool wasIn = included_[recno - 1] != 0;
    if (!appended && wasIn == in && std::memcmp(fresh.data(), key(recno), keyLength_) == 0) {
        return;  // nothing this tag orders by has changed
    }
    if (wasIn) {
        const std::size_t at = position(recno);
        order_.erase(order_.begin() + static_cast<std::ptrdiff_t>(at));
    }
    std::memcpy(&keys_[static_cast<std::size_t>(recno - 1) * keyLength_], fresh.data(), keyLength_);
    included_[recno - 1] = in ? 1 : 0;
    if (in) {
        order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(position(recno)), recno);
    }
}

}  // namespace px
