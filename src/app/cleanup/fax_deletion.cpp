#include "app/cleanup/fax_deletion.h"

#include "app/host/fax_files.h"
#include "xbase/xb_error.h"

namespace px {

namespace {

// Restores the controlling order, the deleted-records setting and the
// current record when a bulk delete ends, however it ends.
class TWalkGuard {
public:
    explicit TWalkGuard(TXbTable& table)
        : table_(table),
          order_(table.order()),
          hidden_(table.env().deletedHidden()),
          recno_(table.hasCurrent() ? table.recNo() : 0) {}
    TWalkGuard(const TWalkGuard&) = delete;
    TWalkGuard& operator=(const TWalkGuard&) = delete;
    ~TWalkGuard() {
        table_.env().setDeletedHidden(hidden_);
        try {
            table_.setOrder(order_);
            if (recno_ != 0) {
                table_.goTo(recno_);
                if (hidden_ && table_.deleted()) {
                    // The record that was current is gone: stand on the next one.
                    table_.next();
                }
            }
            if (!table_.hasCurrent()) {
                table_.last();
            }
        } catch (const EXbError&) {
            // The walk is over either way; the window shows the table afresh.
        }
    }

private:
    TXbTable& table_;
    int order_;
    bool hidden_;
    std::uint32_t recno_;
};

}  // namespace

void deleteFax(TLogTable& log, const ProgramFolder& folder) {
    TXbTable& table = log.table();
    if (log.kind() == TLogKind::Outgoing) {
        const std::string doc = table.text("FAXDOC");
        const std::string cover = table.text("FAXCOVER");
        table.setDeleted(true);
        if (!doc.empty()) {
            removeSendFile(folder, doc);
        }
        if (!cover.empty()) {
            removeSendFile(folder, cover);
            removeSendFile(folder, coverCompanionName(cover));
        }
    } else {
        const std::string file = table.text("FAXFILE");
        table.setDeleted(true);
        if (!file.empty()) {
            removeReceivedFile(folder, file);
        }
    }
}

int deleteMatching(TLogTable& log, const ProgramFolder& folder, const TDeleteCondition& condition) {
    TXbTable& table = log.table();
    TWalkGuard guard(table);
    table.setOrder(0);
    table.env().setDeletedHidden(false);
    int count = 0;
    for (table.first(); !table.eof(); table.next()) {
        if (!table.deleted() && condition(table)) {
            deleteFax(log, folder);
            ++count;
        }
    }
    return count;
}

bool deleteCurrentFax(TLogTable& log, const ProgramFolder& folder) {
    TXbTable& table = log.table();
    if (!table.hasCurrent()) {
        return false;
    }
    const std::uint32_t recno = table.recNo();
    table.next();
    const std::uint32_t following = table.eof() ? 0 : table.recNo();
    table.goTo(recno);
    deleteFax(log, folder);
    try {
        if (following != 0) {
            table.goTo(following);
        } else {
            table.last();
        }
    } catch (const EXbError&) {
        // Where the cursor lands after the delete is a courtesy only.
    }
    return true;
}

}  // namespace px
