// The property records of each cover object class in a design file.
#pragma once

#include <string>

#include "cover/io/cover_value_stream.h"
#include "cover/objects/g_graphic_control.h"

namespace px {

// Writes the object's property records in the class's order; a record whose
// value is its default is left out where the format says so.
void writeObjectProperties(TCoverStreamWriter& out, const TGGraphicControl& object);
// Reads the value of the property `name` into `object`; an unknown name or a
// value of the wrong kind throws ECoverStreamError.
void readObjectProperty(TCoverStreamReader& in, TGGraphicControl& object, const std::string& name);

// Colours and cursors by name ("clBlack", "crDefault", …).
void writeColor(TCoverStreamWriter& out, TCoverColor color);
TCoverColor readColor(TCoverStreamReader& in);

}  // namespace px
