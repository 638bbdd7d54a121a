// A byte ring with head (write) and tail (read) indexes and a full flag: head
// equal to tail means empty unless the flag is set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace px {

class TPxByteRing {
public:
    explicit TPxByteRing(size_t size = 0) : data_(size) {}

    void resize(size_t size);
    void clear();
    size_t size() const { return data_.size(); }
    size_t used() const;
    size_t free() const { return size() - used(); }
    bool empty() const { return used() == 0; }
    bool full() const { return full_; }
    size_t head() const { return head_; }
    size_t tail() const { return tail_; }

    // Copies n bytes in at the head (the caller checked free()).
    void put(const uint8_t* data, size_t n);
    // The byte `offset` places after the tail.
    uint8_t at(size_t offset) const { return data_[(tail_ + offset) % data_.size()]; }
    // Drops n bytes at the tail.
    void consume(size_t n);
    // The contiguous free piece at the head and the one after the wrap.
    size_t freeRunAtHead() const;
    uint8_t* headPtr() { return data_.data() + head_; }
    uint8_t* basePtr() { return data_.data(); }
    // Advances the head after bytes were stored at headPtr().
    void commit(size_t n);

    const uint8_t* tailPtr() const { return data_.data() + tail_; }
    // Length of the contiguous run of waiting bytes at the tail.
    size_t usedRunAtTail() const;

private:
    std::vector<uint8_t> data_;
    size_t head_ = 0;
    size_t tail_ = 0;
    bool full_ = false;
};

}  // namespace px
