// What the remote fax machine knows about a call when it ends, written as JSON.
#pragma once

#include <string>

namespace px {

struct CallReport {
    std::string mode;
    std::string direction;  // "receive" or "send", as seen by the remote machine
    int completionCode = -1;
    std::string completionText;
    int pages = 0;
    std::string localId;
    std::string remoteId;
    int bitRate = 0;
    int xResolution = 0;
    int yResolution = 0;
    bool ecm = false;
    double lineSeconds = 0;
    // The shortest coded page line our modem put on the line, in ms; -1
    // when it sent no page data.
    double shortestLineMs = -1;
    double wallSeconds = 0;
    std::string condition;
    std::string number;  // what the DTE dialled, when it called

    bool succeeded() const { return completionCode == 0; }
    // "fine" or "standard" from the vertical resolution in pixels per metre.
    std::string resolutionName() const;
    std::string toJson() const;
    // Writes the JSON file; returns false when it cannot be written.
    bool save(const std::string& path) const;
};

// JSON string literal of `text`, escaping what JSON requires.
std::string jsonQuote(const std::string& text);

}  // namespace px
