// One run of parvex-fax: the fax components on a com port, their events
// printed as the session goes, on a plain event loop in the main thread.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/fax/px_fax_cli.h"

namespace px {

struct TPxFaxCliJob {
    std::vector<std::string> files;  // APF files, in the order they are sent
    std::string cover;               // APF or text cover, or empty
};

// Runs the send or receive session on `device`; the process exit status:
// 0 success, 1 the session failed, 2 the port could not be used.
// `interrupted` is polled; once it returns true the session is cancelled.
int runFaxSession(const TPxFaxCliOptions& options, const TPxFaxCliJob& job,
                  const std::string& device, const std::function<bool()>& interrupted,
                  std::ostream& out);

// The line printed for a log code of the session.
std::string faxCliLogText(int logCode, const std::string& file, const std::string& remoteId,
                          const std::string& phone);

}  // namespace px
