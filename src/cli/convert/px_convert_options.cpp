#include "cli/convert/px_convert_options.h"

#include <cctype>
#include <cstdlib>

#include "common/px_limits.h"

namespace px {

CliArgs parseToApfArgs(const std::vector<std::string>& argv) {
    return parseCliArgs(argv, {{"--fine", false},
                               {"--wide", false},
                               {"--letter", false},
                               {"--font", true},
                               {"--station-id", true},
                               {"--left-margin", true},
                               {"--top-margin", true},
                               {"--lines-per-page", true}});
}

CliArgs parseFromApfArgs(const std::vector<std::string>& argv) {
    return parseCliArgs(argv, {{"--page", true}});
}

unsigned cliNumber(const CliArgs& args, const std::string& key, unsigned fallback, unsigned max) {
    if (!args.has(key)) {
        return fallback;
    }
    const std::string& text = args.options.at(key);
    char* end = nullptr;
    const unsigned long v = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || text[0] == '-' || v > max) {
        throw UsageError("bad value for " + key + ": " + text);
    }
    return static_cast<unsigned>(v);
}

DocumentToApfOptions toApfOptions(const CliArgs& args, const std::string& command) {
    if (args.positional.size() != 2) {
        throw UsageError(command + " needs INPUT and OUTPUT");
    }
    DocumentToApfOptions options;
    options.stationId = args.has("--station-id") ? args.options.at("--station-id") : std::string();
    if (options.stationId.size() > kStationIdLength) {
        throw UsageError("station ID longer than 20 characters");
    }
    if (args.has("--font")) {
        const std::string& font = args.options.at("--font");
        if (font != "small" && font != "standard") {
            throw UsageError("--font takes small or standard");
        }
        options.font = font == "small" ? TFaxFont::ffSmall : TFaxFont::ffStandard;
    }
    options.leftMargin = cliNumber(args, "--left-margin", 50, 2048);
    options.topMargin = cliNumber(args, "--top-margin", 0, 10000);
    options.linesPerPage = cliNumber(args, "--lines-per-page", 60, 100000);
    options.fine = args.has("--fine");
    options.wide = args.has("--wide");
    options.letter = args.has("--letter");
    return options;
}

unsigned fromApfPage(const CliArgs& args) {
    if (args.positional.size() != 2) {
        throw UsageError("from-apf needs INPUT.apf and OUTPUT");
    }
    const unsigned page = cliNumber(args, "--page", 1, 65535);
    if (page == 0) {
        throw UsageError("pages count from 1");
    }
    return page;
}

std::string lowerSuffix(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    std::string suffix = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    for (char& c : suffix) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return suffix;
}

}  // namespace px
