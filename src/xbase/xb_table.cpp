#include "xbase/xb_table.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "xbase/xb_error.h"
#include "xbase/xb_record.h"

namespace px {

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) {
                   return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

bool validTagName(const std::string& name) {
    if (name.empty() || name.size() > 10 || !std::isalpha(static_cast<unsigned char>(name[0]))) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
}

}  // namespace

TXbTable::TXbTable(std::shared_ptr<TTableEnv> env)
    : env_(env ? std::move(env) : std::make_shared<TTableEnv>()) {}

void TXbTable::create(const std::string& path, std::vector<TXbField> fields) {
    const std::string existing = findFile(path);
    TXbDbfFile::create(existing.empty() ? path : existing, std::move(fields));
}

std::string TXbTable::findFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        return path;
    }
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR* d = ::opendir(dir.empty() ? "/" : dir.c_str());
    if (d == nullptr) {
        return {};
    }
    std::string found;
    while (const dirent* entry = ::readdir(d)) {
        if (sameIgnoringCase(entry->d_name, name)) {
            found = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
                    entry->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

std::string TXbTable::indexPathFor(const std::string& tablePath) {
    const std::size_t slash = tablePath.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (tablePath.size() - nameStart < 3) {
        return tablePath + ".CDX";
    }
    return tablePath.substr(0, tablePath.size() - 3) + "CDX";
}

std::string TXbTable::indexPath() const {
    const std::string wanted = indexPathFor(path());
    const std::string existing = findFile(wanted);
    return existing.empty() ? wanted : existing;
}

void TXbTable::requireOpen() const {
    if (!isOpen()) {
        throw EXbError(TXbErrorKind::NotOpen, "The table is not open");
    }
}

void TXbTable::requireCurrent() const {
    requireOpen();
    if (!hasCurrent()) {
        throw EXbError(TXbErrorKind::BadRecord, "No current record in " + path());
    }
}

void TXbTable::open(const std::string& path, bool exclusive) {
    close();
    const std::string resolved = findFile(path);
    if (resolved.empty()) {
        throw EXbError(TXbErrorKind::NotFound, "Table " + path + " does not exist");
    }
    file_.open(resolved, exclusive);
    file_.setSyncWrites(env_->syncWrites());
    blank_.assign(static_cast<std::size_t>(file_.recordLength()), ' ');
    indexPath_ = indexPath();

    std::vector<TXbTagDef> defs;
    try {
        defs = TXbCdxFile::read(indexPath_);
        indexOpen_ = true;
    } catch (const EXbError&) {
        // Missing or unreadable: the table opens in record order and the
        // caller recreates its tags, which rewrites the file.
        indexOpen_ = false;
    }
    for (TXbTagDef& def : defs) {
        try {
            // Keys are built when the order is first selected.
            tags_.push_back(std::make_unique<TXbIndex>(std::move(def), fields()));
        } catch (const EXbError&) {
            // A tag whose expression no longer fits the fields is dropped.
        }
    }
    first();
}

void TXbTable::close() {
    file_.close();
    tags_.clear();
    indexOpen_ = false;
    order_ = 0;
    filter_ = {};
    recno_ = 0;
    eof_ = bof_ = true;
    countCache_.reset();
    ++dataGeneration_;
}

void TXbTable::closeIndex() {
    tags_.clear();
    indexOpen_ = false;
    order_ = 0;
    countCache_.reset();
}

int TXbTable::fieldIndex(const std::string& name) const {
    const std::string wanted = xbUpper(name);
    const auto& fs = fields();
    for (std::size_t i = 0; i < fs.size(); ++i) {
        if (fs[i].name == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TXbTable::writeIndexFile() {
    std::vector<TXbTagDef> defs;
    for (const auto& tag : tags_) {
        defs.push_back(tag->def());
    }
    TXbCdxFile::write(indexPath_, defs);
}

void TXbTable::createTag(const std::string& name, const std::string& key,
                         const std::string& forCondition, int option, bool descending) {
    requireOpen();
    if (!validTagName(name)) {
        throw EXbError(TXbErrorKind::BadTag, "Bad tag name \"" + name + "\"");
    }
    if (!TXbCdxFile::storable(key) || !TXbCdxFile::storable(forCondition)) {
        throw EXbError(TXbErrorKind::BadExpression, "Control characters in the tag expression");
    }
    TXbTagDef def{xbUpper(name), key, forCondition, option, descending};
    auto tag = std::make_unique<TXbIndex>(def, fields());
    tag->build(file_, *env_, progress_);

    const int existing = orderOf(def.name);
    std::unique_ptr<TXbIndex> replaced;
    if (existing > 0) {
        replaced = std::move(tags_[static_cast<std::size_t>(existing - 1)]);
        tags_[static_cast<std::size_t>(existing - 1)] = std::move(tag);
    } else {
        tags_.push_back(std::move(tag));
    }
    try {
        writeIndexFile();
    } catch (...) {
        if (existing > 0) {
            tags_[static_cast<std::size_t>(existing - 1)] = std::move(replaced);
        } else {
            tags_.pop_back();
        }
        throw;
    }
    indexOpen_ = true;
    countCache_.reset();
}

std::vector<std::string> TXbTable::tagNames() const {
    std::vector<std::string> names;
    for (const auto& tag : tags_) {
        names.push_back(tag->def().name);
    }
    return names;
}

int TXbTable::orderOf(const std::string& tagName) const {
    const std::string wanted = xbUpper(tagName);
    for (std::size_t i = 0; i < tags_.size(); ++i) {
        if (tags_[i]->def().name == wanted) {
            return static_cast<int>(i + 1);
        }
    }
    return 0;
}

void TXbTable::setOrder(int order) {
    requireOpen();
    if (order < 0 || order > tagCount()) {
        throw EXbError(TXbErrorKind::BadTag, "No index order " + std::to_string(order));
    }
    if (order > 0) {
        TXbIndex& tag = *tags_[static_cast<std::size_t>(order - 1)];
        if (!tag.built()) {
            tag.build(file_, *env_, progress_);
        }
    }
    order_ = order;
}

void TXbTable::setOrder(const std::string& tagName) {
    const int order = orderOf(tagName);
    if (order == 0) {
        throw EXbError(TXbErrorKind::BadTag, "No index tag " + tagName + " in " + path());
    }
    setOrder(order);
}

void TXbTable::setFilter(const std::string& expression) {
    requireOpen();
    if (expression.find_first_not_of(" \t") == std::string::npos) {
        filter_ = {};
        return;
    }
    TXbExpression compiled = TXbExpression::compile(expression, fields());
    if (compiled.type() != TXbType::Logical) {
        throw EXbError(TXbErrorKind::BadExpression,
                       "The filter \"" + expression + "\" is not a logical expression");
    }
    filter_ = std::move(compiled);
}

std::size_t TXbTable::listSize() const {
    return order_ == 0 ? file_.recordCount()
                       : tags_[static_cast<std::size_t>(order_ - 1)]->order().size();
}

std::uint32_t TXbTable::listAt(std::size_t pos) const {
    return order_ == 0 ? static_cast<std::uint32_t>(pos + 1)
                       : tags_[static_cast<std::size_t>(order_ - 1)]->order()[pos];
}

std::size_t TXbTable::positionOf(std::uint32_t recno) const {
    return order_ == 0 ? recno - 1 : tags_[static_cast<std::size_t>(order_ - 1)]->position(recno);
}

bool TXbTable::visible(std::uint32_t recno) const {
    const char* record = file_.record(recno);
    if (env_->deletedHidden() && record[0] == '*') {
        return false;
    }
    return filter_.test(TXbEvalContext{record, recno, env_.get()});
}

std::uint32_t TXbTable::visibleCount() {
    requireOpen();
    if (countCache_ && countCache_->data == dataGeneration_ &&
        countCache_->env == env_->generation() && countCache_->order == order_ &&
        countCache_->filter == filter_.text()) {
        return countCache_->count;
    }
    std::uint32_t count = 0;
    const std::size_t size = listSize();
    for (std::size_t pos = 0; pos < size; ++pos) {
        if (visible(listAt(pos))) {
            ++count;
        }
    }
    countCache_ = TCountCache{dataGeneration_, env_->generation(), order_, filter_.text(), count};
    return count;
}

void TXbTable::settle(std::size_t pos, bool forward) {
    const std::size_t size = listSize();
    if (forward) {
        while (pos < size && !visible(listAt(pos))) {
            ++pos;
        }
        eof_ = pos >= size;
        recno_ = eof_ ? 0 : listAt(pos);
        return;
    }
    for (;;) {
        if (pos < size && visible(listAt(pos))) {
            recno_ = listAt(pos);
            eof_ = false;
            return;
        }
        if (pos == 0 || pos > size) {
            break;
        }
        --pos;
    }
    // Ran off the top: stand on the first visible record with BOF set.
    settle(0, true);
    bof_ = true;
}

void TXbTable::first() {
    requireOpen();
    settle(0, true);
    bof_ = eof_;
}

void TXbTable::last() {
    requireOpen();
    const std::size_t size = listSize();
    if (size == 0) {
        eof_ = bof_ = true;
        recno_ = 0;
        return;
    }
    bof_ = false;
    settle(size - 1, false);
    if (eof_) {
        bof_ = true;
    }
}

void TXbTable::next() {
    requireOpen();
    if (eof_) {
        return;
    }
    bof_ = false;
    std::size_t pos = positionOf(recno_);
    const bool listed =
        order_ == 0 || tags_[static_cast<std::size_t>(order_ - 1)]->contains(recno_);
    settle(listed ? pos + 1 : pos, true);
}

void TXbTable::prior() {
    requireOpen();
    if (eof_) {
        last();
        return;
    }
    const std::size_t pos = positionOf(recno_);
    if (pos == 0) {
        bof_ = true;
        return;
    }
    settle(pos - 1, false);
}

void TXbTable::goTo(std::uint32_t recno) {
    requireOpen();
    if (recno < 1 || recno > recCount()) {
        throw EXbError(TXbErrorKind::BadRecord,
                       "Record " + std::to_string(recno) + " is out of range in " + path());
    }
    recno_ = recno;
    eof_ = bof_ = false;
}

const char* TXbTable::currentRecord() const {
    requireOpen();
    return hasCurrent() ? file_.record(recno_) : blank_.data();
}

void TXbTable::writeCurrent(const std::vector<char>& record) {
    file_.writeRecord(recno_, record.data());
    const char* stored = file_.record(recno_);
    for (const auto& tag : tags_) {
        tag->update(recno_, stored, *env_);
    }
    ++dataGeneration_;
}

void TXbTable::append() {
    requireOpen();
    const std::uint32_t recno = file_.appendRecord(blank_.data());
    ++dataGeneration_;
    const char* stored = file_.record(recno);
    for (const auto& tag : tags_) {
        tag->update(recno, stored, *env_);
    }
    recno_ = recno;
    eof_ = bof_ = false;
}

TXbValue TXbTable::value(int field) const {
    const char* record = currentRecord();
    if (field < 0 || field >= static_cast<int>(fields().size())) {
        throw EXbError(TXbErrorKind::BadField, "No field number " + std::to_string(field));
    }
    return xbReadField(fields()[static_cast<std::size_t>(field)], record);
}

TXbValue TXbTable::value(const std::string& field) const {
    requireOpen();
    const int index = fieldIndex(field);
    if (index < 0) {
        throw EXbError(TXbErrorKind::BadField, "No field " + field + " in " + path());
    }
    return value(index);
}

std::string TXbTable::text(const std::string& field) const {
    TXbValue v = value(field);
    if (v.type != TXbType::Character) {
        throw EXbError(TXbErrorKind::BadField, "Field " + field + " is not a character field");
    }
    v.text.erase(v.text.find_last_not_of(' ') + 1);
    return v.text;
}

void TXbTable::setValue(int field, const TXbValue& value) {
    requireCurrent();
    if (field < 0 || field >= static_cast<int>(fields().size())) {
        throw EXbError(TXbErrorKind::BadField, "No field number " + std::to_string(field));
    }
    const char* current = file_.record(recno_);
    std::vector<char> record(current, current + file_.recordLength());
    xbWriteField(fields()[static_cast<std::size_t>(field)], record.data(), value);
    writeCurrent(record);
}

void TXbTable::setValue(const std::string& field, const TXbValue& value) {
    requireOpen();
    const int index = fieldIndex(field);
    if (index < 0) {
        throw EXbError(TXbErrorKind::BadField, "No field " + field + " in " + path());
    }
    setValue(index, value);
}

void TXbTable::setText(const std::string& field, const std::string& text) {
    setValue(field, TXbValue::character(text));
}

void TXbTable::setDate(const std::string& field, const TXbDate& date) {
    setValue(field, TXbValue::ofDate(date));
}

void TXbTable::setLogical(const std::string& field, bool on) {
    setValue(field, TXbValue::ofLogical(on));
}

void TXbTable::setNumber(const std::string& field, double number) {
    setValue(field, TXbValue::ofNumber(number));
}

bool TXbTable::deleted() const {
    return currentRecord()[0] == '*';
}

void TXbTable::setDeleted(bool on) {
    requireCurrent();
    const char* current = file_.record(recno_);
    std::vector<char> record(current, current + file_.recordLength());
    record[0] = on ? '*' : ' ';
    writeCurrent(record);
}

void TXbTable::rebuildTags() {
    for (std::size_t i = 0; i < tags_.size(); ++i) {
        if (static_cast<int>(i + 1) == order_) {
            tags_[i]->build(file_, *env_, progress_);
        } else {
            tags_[i]->invalidate();
        }
    }
}

void TXbTable::pack() {
    requireOpen();
    std::vector<std::uint32_t> keep;
    keep.reserve(recCount());
    for (std::uint32_t recno = 1; recno <= recCount(); ++recno) {
        if (file_.record(recno)[0] != '*') {
            keep.push_back(recno);
        }
    }
    file_.rewrite(keep, progress_);
    file_.setSyncWrites(env_->syncWrites());
    ++dataGeneration_;
    rebuildTags();
    first();
}

TXbExpression TXbTable::compile(const std::string& expression) const {
    requireOpen();
    return TXbExpression::compile(expression, fields());
}

TXbValue TXbTable::evaluate(const TXbExpression& expression) const {
    return expression.evaluate(
        TXbEvalContext{currentRecord(), hasCurrent() ? recno_ : 0, env_.get()});
}

}  // namespace px
