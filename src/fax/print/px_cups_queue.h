// Hands a finished PDF document to a CUPS queue (the server CUPS_SERVER names,
// else the local one).
#pragma once

#include <string>

namespace px {

struct TCupsJobOptions {
    std::string title;
    int copies = 1;
    // IPP "sides": "one-sided", "two-sided-long-edge", "two-sided-short-edge";
    // empty leaves the queue's default.
    std::string sides;
};

struct TCupsSubmitResult {
    int jobId = 0;      // 0 when the job was refused
    std::string error;  // the server's reason when refused
};

TCupsSubmitResult submitCupsJob(const std::string& queue, const std::string& pdfPath,
                                const TCupsJobOptions& options);

}  // namespace px
