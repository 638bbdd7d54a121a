// A worker thread of one dispatcher. The subclasses are the com thread (waits
// for line events), the dispatch thread (turns them into trigger dispatches)
// and the output thread (drains the output ring to the device).
#pragma once

#include <atomic>
#include <thread>

namespace px {

class TPxPosixDispatcher;

class TPxDispatcherThread {
public:
    explicit TPxDispatcherThread(TPxPosixDispatcher& dispatcher) : dispatcher_(dispatcher) {}
    virtual ~TPxDispatcherThread();
    TPxDispatcherThread(const TPxDispatcherThread&) = delete;
    TPxDispatcherThread& operator=(const TPxDispatcherThread&) = delete;

    void start();
    // Joins the thread (a thread that stops itself is detached instead).
    void join();
    bool finished() const { return finished_.load(); }
    bool isCurrent() const { return thread_.get_id() == std::this_thread::get_id(); }
    // The kernel's id of the thread, for its scheduling priority.
    int tid() const { return tid_.load(); }
    void setNice(int nice);

protected:
    virtual void execute() = 0;
    // The thread's name as tools (top, gdb) show it; at most 15 characters.
    virtual const char* name() const = 0;
    TPxPosixDispatcher& dispatcher_;

private:
    void run();
    std::thread thread_;
    std::atomic<bool> finished_{false};
    std::atomic<int> tid_{0};
    std::atomic<int> nice_{0};
};

class TComThread : public TPxDispatcherThread {
public:
    using TPxDispatcherThread::TPxDispatcherThread;
    const char* name() const override { return "px-com"; }

protected:
    void execute() override;
};

class TDispThread : public TPxDispatcherThread {
public:
    using TPxDispatcherThread::TPxDispatcherThread;
    const char* name() const override { return "px-dispatch"; }
    // Whether the loop ended because the port was killed (else: closing or a
    // handler's exception).
    bool endedByKill() const { return endedByKill_.load(); }

protected:
    void execute() override;

private:
    std::atomic<bool> endedByKill_{false};
};

class TOutThread : public TPxDispatcherThread {
public:
    using TPxDispatcherThread::TPxDispatcherThread;
    const char* name() const override { return "px-output"; }

protected:
    void execute() override;
};

}  // namespace px
