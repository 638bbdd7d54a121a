#include "cover/sender/sender_info.h"

namespace px {

namespace {

// Cuts at a character boundary of the UTF-8 text, counting characters.
std::string cut(const std::string& text, std::size_t characters) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if ((b & 0xC0U) != 0x80U) {
            if (count == characters) {
                return text.substr(0, i);
            }
            ++count;
        }
    }
    return text;
}

}  // namespace

TSenderInfo TSenderInfo::fromSettings(const UserSettings& user) {
    return TSenderInfo{user.name, user.company, user.fax, user.voice}.limited();
}

TSenderInfo TSenderInfo::limited() const {
    return TSenderInfo{cut(name, kNameLength), cut(company, kCompanyLength), cut(fax, kFaxLength),
                       cut(voice, kVoiceLength)};
}

void TSenderInfo::storeIn(UserSettings& user) const {
    const TSenderInfo v = limited();
    user.name = v.name;
    user.company = v.company;
    user.fax = v.fax;
    user.voice = v.voice;
}

std::string senderInfoHint(const TSenderInfo& info) {
    if (info.empty()) {
        return "No sender information entered";
    }
    std::string hint;
    for (const std::string* v : {&info.name, &info.company, &info.fax, &info.voice}) {
        if (!v->empty()) {
            if (!hint.empty()) {
                hint += '\n';
            }
            hint += *v;
        }
    }
    return hint;
}

}  // namespace px
