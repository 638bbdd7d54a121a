// The fixed layouts of the program's tables: the outgoing log PXOUT, the
// incoming log PXREC and the phone book PXPB, with their index tags and the
// texts shown while they are rebuilt.
#pragma once

#include <string>
#include <vector>

#include "xbase/xb_field.h"

namespace px {

enum class TLogKind { Outgoing, Incoming, PhoneBook };

struct TLogTag {
    const char* name;
    const char* key;
    bool descending;
    bool rebuildOnly;  // created by Rebuild Indexes only (the DATEND marker)
};

struct TLogSchema {
    TLogKind kind;
    const char* fileName;  // in the program folder
    std::vector<TXbField> fields;
    std::vector<TLogTag> tags;  // in creation order
    const char* defaultTag;
    const char* packMessage;     // shown while packing in Rebuild Indexes
    const char* rebuildMessage;  // shown while creating the tags
};

// Every tag of the logs and the phone book shares this for-condition and option.
inline constexpr const char* kLogTagFor = ".not. deleted()";
inline constexpr int kLogTagOption = 0;
// The tag whose presence shows that the index was rebuilt by this program.
inline constexpr const char* kMarkerTag = "DATEND";

const TLogSchema& logSchema(TLogKind kind);

}  // namespace px
