// The saved layout of the outgoing grid as plain data: the data set's fields
// in display order with their grid titles, visibility and column widths in
// pixels, plus the width of the grid's indicator column. Kept in two text
// files of the program folder, one entry per line:
//   "Out.gco"  the field names in display order, without calcFaxFile, whose
//              line is left blank so that every field keeps its place;
//   "Out.gcs"  the indicator width, then the width of each visible column.
#pragma once

#include <string>
#include <vector>

namespace px {

struct TGridField {
    std::string name;
    std::string title;  // empty for hidden fields
    bool visible = true;
    int width = 64;  // pixels
};

class TGridLayout {
public:
    // The outgoing grid as first shown: table fields in file order, then the
    // calculated fields calcFaxFile, ISDELETED and ISARCHIVED.
    static TGridLayout outgoingDefault();

    std::vector<TGridField>& fields() { return fields_; }
    const std::vector<TGridField>& fields() const { return fields_; }
    int indicatorWidth() const { return indicatorWidth_; }
    void setIndicatorWidth(int width) { indicatorWidth_ = width; }

    // Moves a field to a display position; false when there is no such field.
    bool moveField(const std::string& name, std::size_t position);
    // Visible columns in display order (the grid's columns after the indicator).
    std::vector<const TGridField*> columns() const;

    // Applies the saved files: each saved name puts its field at the line's
    // position (unknown names are skipped; the fields no line names fill the
    // remaining positions in their current order), then each saved width is
    // set on the column of its line (entries that are not numbers are
    // skipped). Missing files change nothing.
    void load(const std::string& programFolder);
    // Writes both files; throws std::runtime_error naming the file on failure.
    void save(const std::string& programFolder) const;

private:
    void placeFields(const std::vector<std::string>& names);

    std::vector<TGridField> fields_;
    int indicatorWidth_ = 11;
};

}  // namespace px
