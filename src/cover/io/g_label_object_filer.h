// TGLabelObjectFiler: writes cover objects to design files (and the designer's
// clipboard file) and reads them back onto a page.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "cover/objects/cover_page_model.h"

namespace px {

// How a read went: the objects read stay on the page even after an error.
struct TCoverLoadResult {
    bool fileFound = false;
    int objectsRead = 0;
    bool complete = false;  // the whole stream was read without an error
    std::string error;      // why reading stopped, when it did
};

// A design file could not be written.
class ECoverFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TGLabelObjectFiler {
public:
    // Objects moved by a paste, right and down.
    static constexpr int kPasteOffset = 15;
    // A clone lands this far below its source.
    static constexpr int kCloneOffset = 25;
    // Renaming on read tries "Component" + 0 … 1000.
    static constexpr int kMaxComponentNumber = 1000;

    // The stream of `objects` in the given order.
    static std::string streamObjects(const std::vector<const TGGraphicControl*>& objects);

    // Every object of the page, back to front.
    static void SaveObjects(const TCoverPageModel& page, const QString& path);
    // The selection in selection order; nothing when it is empty.
    static void SaveSelection(const TCoverPageModel& page, const QString& path);
    static void SaveObject(const TGGraphicControl& object, const QString& path);

    // Reads a design file onto the page; a missing file changes nothing.
    static TCoverLoadResult LoadObjects(TCoverPageModel& page, const QString& path);
    // Like LoadObjects, each object moved by +15, +15.
    static TCoverLoadResult PasteObjects(TCoverPageModel& page, const QString& path);
    // Reads a stream held in memory.
    static TCoverLoadResult readObjects(TCoverPageModel& page, std::string_view bytes, int offset);
    // Writes the object to memory and reads it back onto the same page 25
    // pixels lower, in front; a selected source hands the selection to the clone.
    static TGGraphicControl* CloneObject(TCoverPageModel& page, TGGraphicControl& source);

private:
    static void writeFile(const QString& path, const std::string& bytes);
};

}  // namespace px
