// One of the program's tables (outgoing log, incoming log or phone book) in
// the program folder: creation with its exact fields, opening with its tags,
// the DATEND marker test and the derived display fields of the logs.
#pragma once

#include <memory>
#include <string>

#include "app/tables/log_schema.h"
#include "xbase/xb_table.h"

namespace px {

// Texts shown when a log cannot be opened; the program then closes.
inline constexpr const char* kOutgoingOpenFailed =
    "Unable to open/create the FAX datafile - closing program";
inline constexpr const char* kIncomingOpenFailed =
    "Unable to open/create the FAX RECEIVE datafile - closing program";

// The engine options the logs are kept under: four-digit years, deleted
// records hidden, dates as month/day/year, inexact string comparison, no
// soft seek, lock time-out 1, memo block 64.
std::shared_ptr<TTableEnv> makeLogEnvironment();

class TLogTable {
public:
    TLogTable(TLogKind kind, std::string programFolder, std::shared_ptr<TTableEnv> env);

    const TLogSchema& schema() const { return schema_; }
    TLogKind kind() const { return schema_.kind; }
    const std::string& programFolder() const { return folder_; }
    // The table file in the program folder, in whatever letter case it exists.
    std::string tablePath() const;
    TXbTable& table() { return table_; }
    const TXbTable& table() const { return table_; }

    // Creates the table with its fields; returns whether the file exists afterwards.
    bool create();
    // Opens the table, creating it when it is missing, and its tags when the
    // index is missing or unreadable: all of them for a table created now,
    // all but DATEND for one that lost its index (left to Rebuild Indexes); goes
    // to the first record and applies the filter (the phone book: order NAME
    // and ".not. deleted()"; the incoming log: ".not. deleted()", the caller
    // then applies its archive filter). Returns success; the reason for a
    // failure is in lastError().
    bool open(const std::string& filter = "", bool exclusive = false);
    void close() { table_.close(); }
    const std::string& lastError() const { return lastError_; }

    // Creates every tag of the table in its creation order, DATEND included
    // when asked.
    void createTags(bool withMarker);
    // The marker test: false means the index was not rebuilt by this program.
    bool hasMarkerTag() const { return table_.orderOf(kMarkerTag) != 0; }

    // Derived display fields of the current record. The fax file is the real
    // path of the stored name, found in any letter case; a missing file shows
    // the path it would have in the folder as it exists.
    std::string calcFaxFile() const;
    std::string isDeletedText() const;
    std::string isArchivedText() const;
    bool archived() const;

private:
    const TLogSchema& schema_;
    std::string folder_;
    TXbTable table_;
    std::string lastError_;
};

}  // namespace px
