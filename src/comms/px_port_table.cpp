#include "comms/px_port_table.h"

namespace px {

TPxPortTable& TPxPortTable::instance() {
    static TPxPortTable table;
    return table;
}

int TPxPortTable::add(TPxBaseDispatcher* dispatcher) {
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < ports_.size(); ++i) {
        if (ports_[i] == nullptr) {
            ports_[i] = dispatcher;
            return static_cast<int>(i);
        }
    }
    ports_.push_back(dispatcher);
    return static_cast<int>(ports_.size() - 1);
}

void TPxPortTable::remove(int handle) {
    std::lock_guard lock(mutex_);
    if (handle < 0 || static_cast<size_t>(handle) >= ports_.size()) {
        return;
    }
    ports_[static_cast<size_t>(handle)] = nullptr;
    while (!ports_.empty() && ports_.back() == nullptr) {
        ports_.pop_back();
    }
}

TPxBaseDispatcher* TPxPortTable::find(int handle) {
    std::lock_guard lock(mutex_);
    if (handle < 0 || static_cast<size_t>(handle) >= ports_.size()) {
        return nullptr;
    }
    return ports_[static_cast<size_t>(handle)];
}

size_t TPxPortTable::size() {
    std::lock_guard lock(mutex_);
    return ports_.size();
}

}  // namespace px
