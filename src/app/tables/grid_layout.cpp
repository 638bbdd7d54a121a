#include "app/tables/grid_layout.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <optional>
#include <stdexcept>

#include "app/tables/log_schema.h"
#include "xbase/xb_table.h"

namespace px {

namespace {

constexpr const char* kOrderFile = "Out.gco";
constexpr const char* kWidthFile = "Out.gcs";
constexpr const char* kCalcFaxFile = "calcFaxFile";
constexpr std::size_t kMaxLines = 1000;

bool sameNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string folderFile(std::string folder, const std::string& name) {
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    // Stored names are found in any letter case.
    const std::string existing = TXbTable::findFile(folder + name);
    return existing.empty() ? folder + name : existing;
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (lines.size() < kMaxLines && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

void writeLines(const std::string& path, const std::vector<std::string>& lines) {
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        for (const std::string& line : lines) {
            out << line << "\r\n";
        }
        out.flush();
        if (!out) {
            std::remove(tmp.c_str());
            throw std::runtime_error("Cannot write " + path);
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        throw std::runtime_error("Cannot write " + path);
    }
}

int defaultWidth(int characters) {
    return std::min(characters, 40) * 7 + 4;
}

}  // namespace

TGridLayout TGridLayout::outgoingDefault() {
    static const std::pair<const char*, const char*> kTitles[] = {{"SUBJECT", "Subject"},
                                                                  {"DATESENT", "Date Sent"},
                                                                  {"TIMESENT", "Time Sent"},
                                                                  {"RECIPIENT", "Recipient"},
                                                                  {"PHONE", "Fax#"},
                                                                  {"LASTRESULT", "Last Attempt"},
                                                                  {"FAXDOC", ""},
                                                                  {"FAXCOVER", ""},
                                                                  {"NOTES", "Notes"},
                                                                  {"CODES", "Codes"},
                                                                  {"ARCHIVED", ""}};
    TGridLayout layout;
    const TLogSchema& schema = logSchema(TLogKind::Outgoing);
    for (const auto& field : schema.fields) {
        std::string title;
        for (const auto& [name, caption] : kTitles) {
            if (field.name == name) {
                title = caption;
            }
        }
        const int chars = field.type == 'D' ? 10 : field.width;
        layout.fields_.push_back(
            {field.name, title, !title.empty(),
             defaultWidth(std::max<int>(chars, static_cast<int>(title.size())))});
    }
    layout.fields_.push_back({kCalcFaxFile, "Fax File", true, defaultWidth(40)});
    layout.fields_.push_back({"ISDELETED", "", false, defaultWidth(3)});
    layout.fields_.push_back({"ISARCHIVED", "", false, defaultWidth(3)});
    return layout;
}

bool TGridLayout::moveField(const std::string& name, std::size_t position) {
    const auto it = std::find_if(fields_.begin(), fields_.end(),
                                 [&](const TGridField& f) { return sameNoCase(f.name, name); });
    if (it == fields_.end()) {
        return false;
    }
    TGridField moved = *it;
    fields_.erase(it);
    position = std::min(position, fields_.size());
    fields_.insert(fields_.begin() + static_cast<std::ptrdiff_t>(position), std::move(moved));
    return true;
}

std::vector<const TGridField*> TGridLayout::columns() const {
    std::vector<const TGridField*> out;
    for (const TGridField& f : fields_) {
        if (f.visible) {
            out.push_back(&f);
        }
    }
    return out;
}

void TGridLayout::load(const std::string& programFolder) {
    placeFields(readLines(folderFile(programFolder, kOrderFile)));
    const std::vector<std::string> widths = readLines(folderFile(programFolder, kWidthFile));
    std::vector<TGridField*> visible;
    for (TGridField& f : fields_) {
        if (f.visible) {
            visible.push_back(&f);
        }
    }
    for (std::size_t i = 0; i < widths.size() && i <= visible.size(); ++i) {
        const std::string& text = widths[i];
        int width = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), width);
        if (ec != std::errc() || end != text.data() + text.size() || width < 0 || width > 10000) {
            continue;
        }
        if (i == 0) {
            indicatorWidth_ = width;
        } else {
            visible[i - 1]->width = width;
        }
    }
}

void TGridLayout::placeFields(const std::vector<std::string>& names) {
    // Each named field takes its line's place; the places of blank lines and
    // unknown names go, in turn, to the fields no line names (calcFaxFile
    // among them), so every field keeps the place it was saved at.
    std::vector<std::optional<TGridField>> places(std::max(names.size(), fields_.size()));
    std::vector<bool> placed(fields_.size(), false);
    for (std::size_t line = 0; line < names.size(); ++line) {
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            if (!placed[i] && sameNoCase(fields_[i].name, names[line])) {
                places[line] = fields_[i];
                placed[i] = true;
                break;
            }
        }
    }
    std::size_t free = 0;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (placed[i]) {
            continue;
        }
        while (places[free]) {
            ++free;
        }
        places[free] = fields_[i];
    }
    fields_.clear();
    for (std::optional<TGridField>& place : places) {
        if (place) {
            fields_.push_back(std::move(*place));
        }
    }
}

void TGridLayout::save(const std::string& programFolder) const {
    // calcFaxFile is not a field of the table, so its name is not written;
    // its line is left blank so that the fields after it keep their places.
    std::vector<std::string> names;
    for (const TGridField& f : fields_) {
        names.push_back(f.name == kCalcFaxFile ? std::string() : f.name);
    }
    while (!names.empty() && names.back().empty()) {
        names.pop_back();
    }
    std::vector<std::string> widths{std::to_string(indicatorWidth_)};
    for (const TGridField* f : columns()) {
        widths.push_back(std::to_string(f->width));
    }
    writeLines(folderFile(programFolder, kOrderFile), names);
    writeLines(folderFile(programFolder, kWidthFile), widths);
}

}  // namespace px
