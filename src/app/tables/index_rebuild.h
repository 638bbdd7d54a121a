// Rebuild Indexes: for the outgoing log, the incoming log and the phone book
// in turn, drop the index file, pack away the deleted records and create all
// tags again, DATEND included, reporting each step to a progress gauge.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/tables/log_table.h"

namespace px {

struct TRebuildProgress {
    std::function<void(const std::string& text)> status;
    std::function<void(int percent)> gauge;
};

// Rebuilds one open table; the current order is restored by tag name (the
// phone book returns to order NAME). Throws EXbError when the table cannot be
// packed or indexed; the records themselves are never put at risk.
void rebuildTableIndex(TLogTable& log, const TRebuildProgress& progress);

// The whole Rebuild Indexes run. The phone book is opened for exclusive use
// and closed afterwards; when it cannot be opened it is skipped.
void rebuildIndexes(TLogTable& outgoing, TLogTable& incoming, const std::string& programFolder,
                    const std::shared_ptr<TTableEnv>& env, const TRebuildProgress& progress);

}  // namespace px
