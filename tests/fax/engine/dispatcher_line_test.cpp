// Class 1 sends through a real port: the dispatcher's threads carry the
// session's timers and output triggers and run the machine in the dispatch
// thread, while the test thread starts and aborts it as a component would.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "class1_script.h"
#include "comms/px_clock.h"
#include "comms/px_dispatch_log.h"
#include "comms/px_dispatch_types.h"
#include "comms/px_posix_dispatcher.h"
#include "fax/engine/px_dispatcher_fax_line.h"
#include "fax/engine/px_fax_transmitter.h"
#include "pty_transcript.h"

namespace px {
namespace {

using namespace std::chrono_literals;
using test::append;
using test::Exchange;

// Reports arrive in the dispatch thread; the test thread waits for the end.
class ThreadedClient : public TPxFaxClient {
public:
    explicit ThreadedClient(TPxFaxJob job) : job_(std::move(job)) {}

    TFaxNextAnswer nextFax(TPxFaxJob& job) override {
        std::lock_guard lock(mutex_);
        if (given_) {
            return TFaxNextAnswer::NoMore;
        }
        given_ = true;
        job = job_;
        return TFaxNextAnswer::Another;
    }
    void status(bool, bool) override {}
    void log(int code) override {
        std::lock_guard lock(mutex_);
        logs_.push_back(code);
    }
    std::string fileName() override { return {}; }
    bool accept() override { return true; }
    void error(int) override {}
    void finish(int code) override {
        {
            std::lock_guard lock(mutex_);
            finishCode_ = code;
            finished_ = true;
        }
        changed_.notify_all();
    }

    bool waitFinish(std::chrono::seconds limit) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [this] { return finished_; });
    }
    int finishCode() {
        std::lock_guard lock(mutex_);
        return finishCode_;
    }
    std::vector<int> logs() {
        std::lock_guard lock(mutex_);
        return logs_;
    }

private:
    TPxFaxJob job_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool given_ = false;
    bool finished_ = false;
    int finishCode_ = 1;
    std::vector<int> logs_;
};

struct PortSession {
    test::PtyTranscript modem;
    TPxPosixDispatcher dispatcher{nullptr, TPxSystemClock::instance(), nullptr};
    ThreadedClient client;
    TPxDispatcherFaxLine line{dispatcher};
    TPxFaxTransmitter tx{line, client};
    bool logging = false;  // the dispatch log on from the open

    PortSession(std::vector<Exchange> script, const std::string& file)
        : modem(std::move(script)), client({"5551234", file, ""}) {
        tx.faxClass = TFaxClass::fcClass1;
        tx.stationId = "parvex";
        tx.modem.desiredBps = 9600;
    }
    ~PortSession() {
        line.detach();
        dispatcher.closePort();
    }
    void start() {
        ASSERT_EQ(
            dispatcher.openPort(modem.path(), 19200, kParityNone, 8, 1, 8192, 8192, true, true),
            ecOK);
        if (logging) {
            std::lock_guard lock(dispatcher.lineLock());
            dispatcher.dispatchLog().start(1u << 20);
        }
        ASSERT_EQ(line.attach(tx), ecOK);
        ASSERT_EQ(line.start(), 0);
    }
};

// A page through the real port: the blank lines, then zeros up to the buffer
// minimum (how many depends on what the port has sent of the lines by then),
// then the page data.
std::vector<Exchange> portPage(int seed, uint8_t postPage) {
    std::vector<Exchange> steps =
        test::class1Page(test::stuffed(test::pageBytes(10000, seed)), postPage);
    steps.front().fill = 1000;
    steps.insert(steps.begin(), Exchange{test::pageHeader(24, "", false), ""});
    return steps;
}

TEST(DispatcherFaxLine, Class1SendRunsInTheDispatchThread) {
    std::string file = test::makeApf("threaded.apf", 2, 10000);
    std::vector<Exchange> script = test::class1Preparation();
    append(script, test::class1Negotiation("ATDT5551234\r", "96"));
    append(script, portPage(0, fcfMPS));
    append(script, portPage(1, fcfEOP));
    PortSession s(script, file);
    s.logging = true;
    s.start();
    ASSERT_TRUE(s.client.waitFinish(60s)) << s.modem.remaining() << " steps left";
    EXPECT_EQ(s.modem.remaining(), 0u);
    EXPECT_EQ(s.modem.failure(), "");
    EXPECT_EQ(s.client.finishCode(), 0);
    EXPECT_EQ(s.client.logs(), (std::vector<int>{lfaxTransmitStart, lfaxTransmitOk}));

    // The dispatch log: the session's modem-status trigger was allocated
    // with the others, and every step is a fax entry named by its state.
    bool modemStatusTrigger = false;
    std::vector<uint8_t> steps;
    std::vector<TPxLogEntry> entries;
    {
        std::lock_guard lock(s.dispatcher.lineLock());
        entries = s.dispatcher.dispatchLog().entries();
    }
    for (const TPxLogEntry& e : entries) {
        modemStatusTrigger |= e.type == ltTriggerAlloc && e.subtype == lsStatusTrigger &&
                              !e.data.empty() && e.data[0] == stModem;
        EXPECT_NE(e.type, ltUser);
        if (e.type == ltFax) {
            steps.push_back(e.subtype);
        }
    }
    EXPECT_TRUE(modemStatusTrigger);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front(), lsFaxTransmitBase + static_cast<int>(TFaxTransmitState::tfGetEntry));
    EXPECT_EQ(steps.back(), lsFaxTransmitBase + static_cast<int>(TFaxTransmitState::tfCompleteOK));
}

TEST(DispatcherFaxLine, AbortFromTheComponentThreadEndsARunningSend) {
    std::string file = test::makeApf("aborted.apf", 1, 300);
    std::vector<Exchange> script = test::class1Preparation();
    append(script, test::class1Negotiation("ATDT5551234\r", "96"));
    // The modem never confirms the page: the machine waits for its OK. The
    // abort ends the call with DCN and hangs up.
    script.push_back({test::pageHeader(24, "", false), ""});
    script.push_back({test::stuffed(test::pageBytes(300, 0)) + "\x10\x03", "", 1000});
    append(script, test::class1Dcn());
    script.push_back(EXCHANGE("ATH0\r", "\r\nOK\r\n"));
    const size_t ending = test::class1Dcn().size() + 1;
    PortSession s(script, file);
    s.start();
    for (int i = 0; i < 600 && s.modem.remaining() > ending; ++i) {
        std::this_thread::sleep_for(50ms);
    }
    ASSERT_EQ(s.modem.remaining(), ending);
    s.line.abort();
    ASSERT_TRUE(s.client.waitFinish(30s));
    for (int i = 0; i < 100 && s.modem.remaining() > 0; ++i) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(s.modem.remaining(), 0u);
    EXPECT_EQ(s.modem.failure(), "");
    EXPECT_EQ(s.client.finishCode(), ecCancelRequested);
    EXPECT_EQ(s.client.logs(), (std::vector<int>{lfaxTransmitStart, lfaxTransmitFail}));
}

}  // namespace
}  // namespace px
