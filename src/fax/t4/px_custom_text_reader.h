// Paging of text documents shared by the text readers: lines, tabs, form
// feeds and lines per page. Subclasses draw the lines.
#pragma once

#include <functional>
#include <string>

#include "fax/t4/px_fax_input_reader.h"
#include "fax/t4/px_text_line_reader.h"

namespace px {

class TPxCustomTextReader : public TPxFaxInputReader {
public:
    void setTabStop(unsigned tabStop) { tabStop_ = tabStop; }
    // Rewrites each text line read from the file before it is drawn (a text
    // cover fills in its "$" words this way); empty = drawn as read.
    using LineFilter = std::function<std::string(const std::string&)>;
    void setLineFilter(LineFilter filter) { lineFilter_ = std::move(filter); }
    // Text lines per page; 0 = no limit.
    void setLinesPerPage(unsigned lines) { linesPerPage_ = lines; }

    ErrorCode open(const std::string& name) override;
    ErrorCode readLine(uint8_t* raster, unsigned& len, bool& endOfPage, bool& morePages) override;
    void close() override;
    uint64_t bytesRead() const override { return lines_.bytesRead(); }
    uint64_t bytesToRead() const override { return lines_.fileSize(); }
    std::string defaultExtension() const override { return "TXT"; }
    // The most text held at once for one line: bounded, whatever the file.
    size_t largestTextHeld() const { return largestHeld_; }
    // Bytes of overlong lines left out, so far.
    uint64_t bytesSkipped() const { return lines_.bytesSkipped(); }

    // Receives one drawn row: the raster (kRasterBytes long) and the length
    // of the row in bytes, never more than kRasterBytes.
    using RowSink = std::function<void(const uint8_t* raster, unsigned len)>;
    // Draws one line of text row by row, as a line of a document would be
    // drawn (tabs expanded, cut to the reader's line length), without a file;
    // each row starts on a cleared raster. Not meant for use between open()
    // and close(): it replaces the line being drawn.
    ErrorCode drawText(const std::string& text, const RowSink& row);

    // Tabs expanded with blanks to the next multiple of `tabStop` (a tab
    // stop of 0 makes a tab one blank); UTF-8 text mapped to Latin-1.
    static std::string prepareText(const std::string& raw, unsigned tabStop);

protected:
    // Prepares the drawing of one text line.
    virtual ErrorCode beginLine(const std::string& text) = 0;
    virtual unsigned rowsPerLine() const = 0;
    // Draws row `row` (1-based) of the current line; returns its length.
    virtual unsigned drawRow(unsigned row, uint8_t* raster) = 0;

private:
    bool peek();
    void startPage();

    TPxTextLineReader lines_;
    unsigned tabStop_ = 4;
    LineFilter lineFilter_;
    unsigned linesPerPage_ = 60;
    std::string pending_;
    bool hasPending_ = false;
    bool pendingFormFeed_ = false;  // the pending text ended at a form feed
    size_t largestHeld_ = 0;
    bool drawing_ = false;
    unsigned row_ = 0;
    unsigned linesOnPage_ = 0;
    bool firstRead_ = true;
    bool breakPending_ = false;
};

}  // namespace px
