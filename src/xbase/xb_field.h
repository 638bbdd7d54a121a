// One field descriptor of a table: name, type letter, width and decimals.
#pragma once

#include <string>

#include "xbase/xb_value.h"

namespace px {

struct TXbField {
    std::string name;  // upper case, at most 10 characters
    char type = 'C';   // C, D, L, N (F is read as N)
    int width = 0;
    int decimals = 0;
    int offset = 0;  // byte offset in the record, after the deletion flag

    TXbType valueType() const;
};

}  // namespace px
