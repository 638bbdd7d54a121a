#include "app/printdriver/print_driver_intake.h"

namespace px {

// No print driver hands files over yet: nothing waits, and nothing tells it where to put them.
bool TPrintDriverIntake::processWaitingFiles() {
    static_cast<void>(host_);
    return false;
}

void TPrintDriverIntake::writeSettingsFile() {}

}  // namespace px
