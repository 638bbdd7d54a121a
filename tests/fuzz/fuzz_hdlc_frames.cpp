// T.30 frames as received from the remote machine in Class 1.
#include <cstdint>
#include <vector>

#include "fax/engine/px_hdlc_frame.h"

using namespace px;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    (void)decodeFrame(bytes);
    (void)decodeStationId(bytes);
    (void)decodeDis(bytes);
    (void)decodeDcs(bytes);
    return 0;
}
