// The process-wide table of open ports. A dispatcher's index in it is its
// handle, which every trigger message carries in the high word of lParam so
// that plain procedure handlers can find their port.
#pragma once

#include <mutex>
#include <vector>

namespace px {

class TPxBaseDispatcher;

class TPxPortTable {
public:
    static TPxPortTable& instance();

    // Takes the first empty slot (else appends); returns the new handle.
    int add(TPxBaseDispatcher* dispatcher);
    // Empties the slot and drops trailing empty slots.
    void remove(int handle);
    // The dispatcher of a handle, or nullptr. Safe to use while that port's
    // dispatcher is alive, e.g. inside one of its handlers.
    TPxBaseDispatcher* find(int handle);
    size_t size();
    std::mutex& lock() { return mutex_; }

private:
    std::mutex mutex_;
    std::vector<TPxBaseDispatcher*> ports_;
};

}  // namespace px
