#include "fax/engine/px_modem_result.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <iterator>

#include "common/px_limits.h"
#include "fax/engine/px_response_collector.h"

namespace px {

namespace {

using R = TModemResult;

// The plain result words. `suffix`: the word may be followed by a blank or
// '/' and more (a rate, a protocol, a distinctive ring).
struct TPlainWord {
    std::string_view text;
    R result;
    bool suffix;
};
constexpr std::array<TPlainWord, 11> kPlainWords = {{
    {"OK", R::kOK, false},
    {"CONNECT", R::kConnect, true},
    {"RING", R::kRing, true},
    {"NO CARRIER", R::kNoCarrier, false},
    {"ERROR", R::kError, false},
    {"BUSY", R::kBusy, false},
    {"NO DIALTONE", R::kNoDialTone, false},
    {"NO DIAL TONE", R::kNoDialTone, false},
    {"NO ANSWER", R::kNoAnswer, false},
    {"VOICE", R::kVoice, false},
    {"VCON", R::kVoice, false},
}};

// The "+F" words as Class 2 (SP-2388) and Class 2.0 (T.32) spell them.
struct TFaxWord {
    std::string_view class2;
    std::string_view class20;
    R result;
};
constexpr std::array<TFaxWord, 9> kFaxWords = {{
    {"CON", "CO", R::kFcon},
    {"DCS", "CS", R::kFdcs},
    {"DIS", "IS", R::kFdis},
    {"TSI", "TI", R::kFtsi},
    {"CSI", "CI", R::kFcsi},
    {"PTS", "PS", R::kFpts},
    {"ET", "ET", R::kFet},
    {"HNG", "HS", R::kFhng},
    {"CERROR", "CERROR", R::kFcError},
}};

constexpr const char* kNames[] = {"kNone",    "kOK",   "kConnect",    "kRing",     "kNoCarrier",
                                  "kError",   "kBusy", "kNoDialTone", "kNoAnswer", "kVoice",
                                  "kFcError", "kFcon", "kFdcs",       "kFdis",     "kFtsi",
                                  "kFcsi",    "kFpts", "kFet",        "kFhng"};
static_assert(std::size(kNames) == static_cast<size_t>(R::kCount), "a name for every result");

bool blank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

R faxResult(std::string_view line, bool class20) {
    std::string_view rest = line.substr(2);  // after "+F"
    size_t n = 0;
    while (n < rest.size() && std::isupper(static_cast<unsigned char>(rest[n])) != 0) {
        ++n;
    }
    const std::string_view word = rest.substr(0, n);
    if (n < rest.size() && rest[n] != ':' && rest[n] != '=' && !blank(rest[n])) {
        return R::kNone;  // "+FCON1": another word
    }
    for (const TFaxWord& w : kFaxWords) {
        if (word == (class20 ? w.class20 : w.class2)) {
            return w.result;
        }
    }
    return R::kNone;
}

}  // namespace

TModemResult modemResult(std::string_view line, TFaxClass faxClass) {
    const std::string_view text = trimmed(line);
    if (text.substr(0, 2) == "+F") {
        return faxResult(text, faxClass == TFaxClass::fcClass2_0);
    }
    for (const TPlainWord& w : kPlainWords) {
        if (text == w.text) {
            return w.result;
        }
        if (w.suffix && text.size() > w.text.size() && text.substr(0, w.text.size()) == w.text &&
            (text[w.text.size()] == ' ' || text[w.text.size()] == '/')) {
            return w.result;
        }
    }
    return R::kNone;
}

const char* modemResultName(TModemResult r) {
    const auto at = static_cast<size_t>(r);
    return at < std::size(kNames) ? kNames[at] : "?";
}

std::string resultParameters(std::string_view line) {
    size_t at = line.find_first_of(":=");
    if (at == std::string_view::npos) {
        return {};
    }
    return trimLine(line.substr(at + 1));
}

std::string resultStationId(std::string_view line) {
    std::string id = resultParameters(line);
    id.erase(std::remove(id.begin(), id.end(), '"'), id.end());
    // Plain text of at most one ID's length: what is not printable ASCII
    // becomes a blank.
    for (char& c : id) {
        if (c < ' ' || c > '~') {
            c = ' ';
        }
    }
    id = trimLine(id);
    if (id.size() > kStationIdLength) {
        id.resize(kStationIdLength);
    }
    return trimLine(id);
}

int hangupCode(std::string_view line) {
    std::string_view rest = trimmed(line);
    if (rest.substr(0, 2) != "+F") {
        return -1;
    }
    rest.remove_prefix(2);
    while (!rest.empty() && std::isupper(static_cast<unsigned char>(rest.front())) != 0) {
        rest.remove_prefix(1);
    }
    while (!rest.empty() && (rest.front() == ':' || rest.front() == '=' || rest.front() == ' ')) {
        rest.remove_prefix(1);
    }
    int value = 0;
    bool any = false;
    for (; !rest.empty() && std::isdigit(static_cast<unsigned char>(rest.front())) != 0 &&
           value < 1000;
         rest.remove_prefix(1)) {
        value = value * 10 + (rest.front() - '0');
        any = true;
    }
    return any ? value : -1;
}

}  // namespace px
