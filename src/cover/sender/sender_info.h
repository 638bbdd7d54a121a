// The sender information: the user's own name, company, fax and voice numbers,
// kept in the settings record's [User] section and put on every cover.
#pragma once

#include <cstddef>
#include <string>

#include "settings/px_settings.h"

namespace px {

struct TSenderInfo {
    static constexpr std::size_t kNameLength = 35;
    static constexpr std::size_t kCompanyLength = 35;
    static constexpr std::size_t kFaxLength = 20;  // the station ID
    static constexpr std::size_t kVoiceLength = 20;

    std::string name;
    std::string company;
    std::string fax;
    std::string voice;

    static TSenderInfo fromSettings(const UserSettings& user);
    // Stores the values, each cut to its length limit.
    void storeIn(UserSettings& user) const;
    // The values cut to their limits.
    TSenderInfo limited() const;
    bool empty() const { return name.empty() && company.empty() && fax.empty() && voice.empty(); }

    bool operator==(const TSenderInfo&) const = default;
};

// The hint of the button that changes the sender information: the values, one
// a line, or "No sender information entered" when all four are empty.
std::string senderInfoHint(const TSenderInfo& info);

}  // namespace px
