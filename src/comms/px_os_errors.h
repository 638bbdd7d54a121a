// Operating-system errors as rows of the error table (2..162).
#pragma once

namespace px {

// The table row of an errno value: file not found 2, path not found 3, access
// denied 5 (also for a device in use), out of memory 8, and so on.
int osErrorFromErrno(int err);

}  // namespace px
