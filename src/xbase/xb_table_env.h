// Engine-wide options shared by the tables opened under one environment.
#pragma once

#include <cstdint>

namespace px {

enum class TXbDateFormat { American, Ansi, British, German, Japan };

// Setters bump a generation counter so tables can drop visible-record counts
// computed under old options.
class TTableEnv {
public:
    bool century() const { return century_; }
    TXbDateFormat dateFormat() const { return dateFormat_; }
    bool deletedHidden() const { return deletedHidden_; }
    bool exact() const { return exact_; }
    bool softSeek() const { return softSeek_; }
    int lockTimeout() const { return lockTimeout_; }
    int memoBlockSize() const { return memoBlockSize_; }
    // Two-digit years read by CTOD fall in the hundred years starting here.
    int epoch() const { return epoch_; }
    // Flush every write to the disk before returning.
    bool syncWrites() const { return syncWrites_; }
    std::uint64_t generation() const { return generation_; }

    void setCentury(bool on) { set(century_, on); }
    void setDateFormat(TXbDateFormat format) { set(dateFormat_, format); }
    void setDeletedHidden(bool on) { set(deletedHidden_, on); }
    void setExact(bool on) { set(exact_, on); }
    void setSoftSeek(bool on) { set(softSeek_, on); }
    void setLockTimeout(int seconds) { set(lockTimeout_, seconds); }
    void setMemoBlockSize(int bytes) { set(memoBlockSize_, bytes); }
    void setEpoch(int year) { set(epoch_, year); }
    void setSyncWrites(bool on) { set(syncWrites_, on); }

private:
    template <typename T>
    void set(T& slot, T value) {
        if (slot != value) {
            slot = value;
            ++generation_;
        }
    }

    bool century_ = true;
    TXbDateFormat dateFormat_ = TXbDateFormat::American;
    bool deletedHidden_ = true;
    bool exact_ = false;
    bool softSeek_ = false;
    int lockTimeout_ = 1;
    int memoBlockSize_ = 64;
    int epoch_ = 1950;
    bool syncWrites_ = false;
    std::uint64_t generation_ = 0;
};

}  // namespace px
