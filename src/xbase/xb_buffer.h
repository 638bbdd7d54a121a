// A byte vector whose growth leaves new bytes uninitialised: the record area
// and the index keys are overwritten right after they grow, and clearing
// tens of megabytes first would double the cost of opening a large table.
#pragma once

#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace px {

template <typename T>
struct TXbNoInitAllocator : std::allocator<T> {
    using std::allocator<T>::allocator;
    template <typename U>
    struct rebind {
        using other = TXbNoInitAllocator<U>;
    };
    template <typename U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using TXbBytes = std::vector<char, TXbNoInitAllocator<char>>;

}  // namespace px
