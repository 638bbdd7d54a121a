// The command lines of parvex-convert's commands, read the same way by the
// quick paths and by the full converter.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/convert/px_document_to_apf.h"

namespace px {

CliArgs parseToApfArgs(const std::vector<std::string>& argv);
CliArgs parseFromApfArgs(const std::vector<std::string>& argv);

// The value of a numeric option, or `fallback` when it is absent; throws
// UsageError for anything but a decimal number up to `max`.
unsigned cliNumber(const CliArgs& args, const std::string& key, unsigned fallback, unsigned max);

// The to-apf options (to-tiff takes the same); throws UsageError before
// anything is read.
DocumentToApfOptions toApfOptions(const CliArgs& args, const std::string& command = "to-apf");

// The page from-apf takes (1-based); throws UsageError.
unsigned fromApfPage(const CliArgs& args);

// The extension of the file name in `path`, in lower case ("" for none).
std::string lowerSuffix(const std::string& path);

}  // namespace px
