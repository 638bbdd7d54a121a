// Setting up the send component for one transmission from the settings and
// what the send window holds: files, number, dial prefix and suffix.
#pragma once

#include <string>

namespace px {

struct Settings;
class TPxSendFax;

struct TSendFaxJob {
    // The fax's document and cover; when it has only one, that one is
    // `firstFile` and `secondFile` is empty.
    std::string firstFile;
    std::string secondFile;
    std::string number;
    std::string dialPrefix;
    std::string dialSuffix;
    bool prefixDisabled = false;
    bool suffixDisabled = false;
    // The date and time for the header line, in the user's short formats.
    std::string date;
    std::string time;
};

// Whether the first pages of two fax files have the same vertical
// resolution; false when either cannot be read.
bool sameVerticalResolution(const std::string& a, const std::string& b);

// Configures `fax` for the job. With two files the cover (second) goes first.
void configureSendFax(TPxSendFax& fax, const Settings& settings, const TSendFaxJob& job);

}  // namespace px
