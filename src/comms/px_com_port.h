// The com port component the application places on its windows.
#pragma once

#include "comms/px_custom_com_port.h"

namespace px {

class TPxComPort : public TPxCustomComPort {
public:
    using TPxCustomComPort::TPxCustomComPort;
};

}  // namespace px
