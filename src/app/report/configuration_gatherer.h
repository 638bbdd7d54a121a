// Gathers the facts of the configuration report from this machine: the
// distribution and kernel, processor, memory, screen, locale, Qt, the serial
// devices, the modem's answer to "ATI" and the programs holding serial ports.
#pragma once

#include "app/report/configuration_facts.h"

namespace px {

class TWorkflowHost;

TConfigurationFacts gatherConfigurationFacts(TWorkflowHost& host);

}  // namespace px
