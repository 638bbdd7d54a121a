#include "comms/px_byte_ring.h"

#include <algorithm>
#include <cstring>

namespace px {

void TPxByteRing::resize(size_t size) {
    data_.assign(size, 0);
    clear();
}

void TPxByteRing::clear() {
    head_ = tail_ = 0;
    full_ = false;
}

size_t TPxByteRing::used() const {
    if (full_) {
        return data_.size();
    }
    return head_ >= tail_ ? head_ - tail_ : head_ + data_.size() - tail_;
}

void TPxByteRing::put(const uint8_t* data, size_t n) {
    if (n == 0) {
        return;
    }
    size_t first = std::min(n, data_.size() - head_);
    std::memcpy(data_.data() + head_, data, first);
    if (n > first) {
        std::memcpy(data_.data(), data + first, n - first);
    }
    commit(n);
}

void TPxByteRing::commit(size_t n) {
    if (n == 0) {
        return;
    }
    head_ = (head_ + n) % data_.size();
    if (head_ == tail_) {
        full_ = true;
    }
}

void TPxByteRing::consume(size_t n) {
    if (n == 0) {
        return;
    }
    n = std::min(n, used());
    tail_ = (tail_ + n) % data_.size();
    full_ = false;
}

size_t TPxByteRing::freeRunAtHead() const {
    if (full_) {
        return 0;
    }
    return head_ >= tail_ ? data_.size() - head_ : tail_ - head_;
}

size_t TPxByteRing::usedRunAtTail() const {
    if (empty()) {
        return 0;
    }
    return head_ > tail_ ? head_ - tail_ : data_.size() - tail_;
}

}  // namespace px
