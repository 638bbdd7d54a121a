#include "fax/print/px_cups_queue.h"

#include <cups/cups.h>

#include <string>

namespace px {

TCupsSubmitResult submitCupsJob(const std::string& queue, const std::string& pdfPath,
                                const TCupsJobOptions& options) {
    cups_option_t* cupsOptions = nullptr;
    int count = 0;
    if (options.copies > 1) {
        count =
            cupsAddOption("copies", std::to_string(options.copies).c_str(), count, &cupsOptions);
    }
    if (!options.sides.empty()) {
        count = cupsAddOption("sides", options.sides.c_str(), count, &cupsOptions);
    }
    TCupsSubmitResult result;
    result.jobId = cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.c_str(), pdfPath.c_str(),
                                  options.title.c_str(), count, cupsOptions);
    if (result.jobId == 0) {
        const char* reason = cupsLastErrorString();
        result.error = reason != nullptr ? reason : "the print server refused the job";
    }
    cupsFreeOptions(count, cupsOptions);
    return result;
}

}  // namespace px
