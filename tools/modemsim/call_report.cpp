#include "call_report.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace px {

std::string jsonQuote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string CallReport::resolutionName() const {
    // spandsp gives resolutions in pixels per metre: 3850 standard, 7700 fine.
    if (yResolution == 0) {
        return "";
    }
    return yResolution >= 7000 ? "fine" : "standard";
}

std::string CallReport::toJson() const {
    std::ostringstream out;
    out << "{\n"
        << "  \"mode\": " << jsonQuote(mode) << ",\n"
        << "  \"direction\": " << jsonQuote(direction) << ",\n"
        << "  \"success\": " << (succeeded() ? "true" : "false") << ",\n"
        << "  \"completion_code\": " << completionCode << ",\n"
        << "  \"completion_text\": " << jsonQuote(completionText) << ",\n"
        << "  \"pages\": " << pages << ",\n"
        << "  \"local_id\": " << jsonQuote(localId) << ",\n"
        << "  \"remote_id\": " << jsonQuote(remoteId) << ",\n"
        << "  \"bit_rate\": " << bitRate << ",\n"
        << "  \"resolution\": " << jsonQuote(resolutionName()) << ",\n"
        << "  \"x_resolution\": " << xResolution << ",\n"
        << "  \"y_resolution\": " << yResolution << ",\n"
        << "  \"ecm\": " << (ecm ? "true" : "false") << ",\n"
        << "  \"condition\": " << jsonQuote(condition) << ",\n";
    if (!number.empty()) {
        out << "  \"number\": " << jsonQuote(number) << ",\n";
    }
    out << "  \"line_seconds\": " << lineSeconds << ",\n"
        << "  \"shortest_line_ms\": " << shortestLineMs << ",\n"
        << "  \"wall_seconds\": " << wallSeconds << "\n"
        << "}\n";
    return out.str();
}

bool CallReport::save(const std::string& path) const {
    std::ofstream file(path, std::ios::trunc);
    file << toJson();
    file.close();
    return static_cast<bool>(file);
}

}  // namespace px
