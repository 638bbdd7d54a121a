#include "app/tables/index_rebuild.h"

#include <unistd.h>

namespace px {

void rebuildTableIndex(TLogTable& log, const TRebuildProgress& progress) {
    TXbTable& table = log.table();
    table.setProgress(progress.gauge);
    struct TDisconnect {
        TXbTable& table;
        ~TDisconnect() { table.setProgress(nullptr); }
    } disconnect{table};

    const int order = table.order();
    const std::string orderTag =
        order > 0 ? table.tagNames()[static_cast<std::size_t>(order - 1)] : std::string();

    table.closeIndex();
    ::unlink(table.indexPath().c_str());

    if (progress.status) {
        progress.status(log.schema().packMessage);
    }
    if (progress.gauge) {
        progress.gauge(0);
    }
    table.pack();

    if (progress.status) {
        progress.status(log.schema().rebuildMessage);
    }
    log.createTags(true);

    if (log.kind() == TLogKind::PhoneBook) {
        table.setOrder(log.schema().defaultTag);
    } else if (!orderTag.empty()) {
        table.setOrder(orderTag);
    }
    table.first();
}

void rebuildIndexes(TLogTable& outgoing, TLogTable& incoming, const std::string& programFolder,
                    const std::shared_ptr<TTableEnv>& env, const TRebuildProgress& progress) {
    rebuildTableIndex(outgoing, progress);
    rebuildTableIndex(incoming, progress);
    TLogTable phoneBook(TLogKind::PhoneBook, programFolder, env);
    if (!phoneBook.open("", true)) {
        return;
    }
    rebuildTableIndex(phoneBook, progress);
    phoneBook.close();
}

}  // namespace px
