#include "app/tables/log_table.h"

#include "settings/file_names.h"
#include "settings/program_folder.h"
#include "xbase/xb_error.h"

namespace px {

namespace {

std::string withSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

constexpr std::size_t kCalcFaxFileWidth = 100;

}  // namespace

std::shared_ptr<TTableEnv> makeLogEnvironment() {
    auto env = std::make_shared<TTableEnv>();
    env->setCentury(true);
    env->setDateFormat(TXbDateFormat::American);
    env->setDeletedHidden(true);
    env->setExact(false);
    env->setSoftSeek(false);
    env->setLockTimeout(1);
    env->setMemoBlockSize(64);
    return env;
}

TLogTable::TLogTable(TLogKind kind, std::string programFolder, std::shared_ptr<TTableEnv> env)
    : schema_(logSchema(kind)),
      folder_(withSlash(std::move(programFolder))),
      table_(std::move(env)) {}

std::string TLogTable::tablePath() const {
    const std::string wanted = folder_ + schema_.fileName;
    const std::string existing = TXbTable::findFile(wanted);
    return existing.empty() ? wanted : existing;
}

bool TLogTable::create() {
    try {
        TXbTable::create(tablePath(), schema_.fields);
    } catch (const EXbError& e) {
        lastError_ = e.what();
    }
    return !TXbTable::findFile(tablePath()).empty();
}

void TLogTable::createTags(bool withMarker) {
    for (const TLogTag& tag : schema_.tags) {
        if (tag.rebuildOnly && !withMarker) {
            continue;
        }
        table_.createTag(tag.name, tag.key, kLogTagFor, kLogTagOption, tag.descending);
    }
}

bool TLogTable::open(const std::string& filter, bool exclusive) {
    lastError_.clear();
    const bool created = TXbTable::findFile(tablePath()).empty();
    if (created && !create()) {
        if (lastError_.empty()) {
            lastError_ = "Cannot create " + tablePath();
        }
        return false;
    }
    try {
        table_.close();
        table_.open(tablePath(), exclusive);
        if (!table_.hasProductionIndex()) {
            // A new table is indexed as a rebuild leaves it; only a table that
            // lost its index lacks the marker, so that a rebuild is offered.
            createTags(created);
        }
        switch (schema_.kind) {
            case TLogKind::Outgoing:
                table_.setFilter(filter);
                table_.first();
                break;
            case TLogKind::Incoming:
                table_.setFilter(".not. deleted()");
                table_.first();
                break;
            case TLogKind::PhoneBook:
                table_.setOrder(schema_.defaultTag);
                table_.setFilter(".not. deleted()");
                table_.first();
                break;
        }
    } catch (const EXbError& e) {
        lastError_ = e.what();
        table_.close();
        return false;
    }
    return true;
}

std::string TLogTable::calcFaxFile() const {
    const ProgramFolder folder(folder_);
    std::string path;
    switch (schema_.kind) {
        case TLogKind::Outgoing: {
            const std::string doc = table_.text("FAXDOC");
            if (doc.empty()) {
                return "(Cover only)";
            }
            path = resolveNoCase(folder.sendFolder(), doc);
            break;
        }
        case TLogKind::Incoming:
            path = resolveNoCase(folder.receiveFolder(), table_.text("FAXFILE"));
            break;
        case TLogKind::PhoneBook:
            return {};
    }
    return path.substr(0, kCalcFaxFileWidth);
}

std::string TLogTable::isDeletedText() const {
    return table_.deleted() ? "Yes" : "No ";
}

bool TLogTable::archived() const {
    return schema_.kind != TLogKind::PhoneBook && table_.value("ARCHIVED").logical;
}

std::string TLogTable::isArchivedText() const {
    return archived() ? "Yes" : "No ";
}

}  // namespace px
