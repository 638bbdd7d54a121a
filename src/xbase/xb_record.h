// Reading and writing typed values in the fixed-width text of a record.
#pragma once

#include "xbase/xb_field.h"
#include "xbase/xb_value.h"

namespace px {

// record points at the deletion flag byte; field.offset counts from there.
TXbValue xbReadField(const TXbField& field, const char* record);

// Converts value to the field's type where xBase would (a number into a
// character field is refused); throws EXbError(BadField) when the value does
// not fit, leaving the record unchanged.
void xbWriteField(const TXbField& field, char* record, const TXbValue& value);

}  // namespace px
