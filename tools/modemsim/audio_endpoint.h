// Something that can be connected to the simulated telephone line.
#pragma once

#include <cstdint>

namespace px {

class AudioEndpoint {
public:
    virtual ~AudioEndpoint() = default;
    // Fills `amp` with `len` samples of what this end puts on the line.
    virtual void transmit(int16_t* amp, int len) = 0;
    // Hands this end `len` samples heard from the line.
    virtual void receive(int16_t* amp, int len) = 0;
};

}  // namespace px
