# Turns the fax font file into a C++ source holding its bytes.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" length)
math(EXPR size "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE ${OUT} "// Generated from FAXFONT.bin by embed_font.cmake; do not edit.\n"
    "#include <cstddef>\n#include <cstdint>\n\nnamespace px {\n"
    "extern const uint8_t kFaxFontResource[] = {${bytes}};\n"
    "extern const size_t kFaxFontResourceSize = ${size};\n}  // namespace px\n")
