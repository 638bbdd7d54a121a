// Deleting faxes of one log: the record's deletion flag and the fax files it
// names. Records stay in the file until Rebuild Indexes packs the table.
#pragma once

#include "app/cleanup/delete_conditions.h"
#include "app/tables/log_table.h"

namespace px {

class ProgramFolder;

// Marks the current record deleted, then removes its files: an outgoing
// fax's document, cover and the cover's companion, a received fax's file.
// The record goes first, so a record that cannot be written keeps its files.
void deleteFax(TLogTable& log, const ProgramFolder& folder);

// Deletes every record the condition holds for, walking the table in record
// order with the deleted records in view (those are skipped, never counted
// twice). Afterwards, in every case, deleted records are hidden again and the
// order and current record are restored. Returns how many were deleted.
int deleteMatching(TLogTable& log, const ProgramFolder& folder, const TDeleteCondition& condition);

// Deletes the current fax and moves on to the record that followed it (or to
// the last one when it was the last). Returns false when there was none.
bool deleteCurrentFax(TLogTable& log, const ProgramFolder& folder);

}  // namespace px
