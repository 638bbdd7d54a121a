// A pseudo-terminal pair for tests that play the modem on the master side.
#pragma once

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace px::test {

// Opens a raw pair with a non-blocking master; returns the slave's path. The
// caller keeps the slave open too, so the master never reads a hang-up while
// the port under test opens or closes.
inline std::string openRawPty(int& master, int& slave) {
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    return name;
}

}  // namespace px::test
