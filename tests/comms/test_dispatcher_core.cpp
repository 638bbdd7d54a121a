// The dispatcher's logic over an in-memory device: triggers, handlers, rings,
// line settings. No threads; time from a manual clock.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "comms/px_event_timer.h"
#include "fake_dispatcher.h"

namespace px::test {
namespace {

struct Call {
    uint32_t msg;
    uint32_t wParam;
    uint32_t lParam;
    std::string bytes;  // what the handler read
};

// A handler with state, registered as a direct (not marshalled) method.
struct Recorder {
    TPxBaseDispatcher* d = nullptr;
    std::vector<Call> calls;
    // Bytes to take on avail (-1: the announced count) and on data events.
    int takeOnAvail = -1;
    bool takeOnData = false;
    std::function<void(const Call&)> action;

    static void handler(void* self, uint32_t msg, uint32_t w, uint32_t l) {
        auto* r = static_cast<Recorder*>(self);
        Call call{msg, w, l, {}};
        uint32_t want = 0;
        if (msg == kMsgTriggerAvail) {
            want = r->takeOnAvail < 0 ? w : static_cast<uint32_t>(r->takeOnAvail);
        } else if (msg == kMsgTriggerData && r->takeOnData) {
            want = r->d->inputCount();
        }
        for (uint32_t i = 0; i < want; ++i) {
            uint8_t b;
            if (r->d->takeByte(b) == ecOK) {
                call.bytes += static_cast<char>(b);
            }
        }
        r->calls.push_back(call);
        if (r->action) {
            r->action(call);
        }
    }
    void attach(TPxBaseDispatcher& dispatcher) {
        d = &dispatcher;
        dispatcher.addMethodHandler(&Recorder::handler, this, false);
    }
    std::vector<uint32_t> dataHandles() const {
        std::vector<uint32_t> out;
        for (auto& c : calls) {
            if (c.msg == kMsgTriggerData) {
                out.push_back(c.wParam);
            }
        }
        return out;
    }
};

class DispatcherCore : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(d.open(), ecOK);
        rec.attach(d);
    }
    TPxManualClock clock{1000000};
    FakeDispatcher d{clock};
    Recorder rec;
};

TEST_F(DispatcherCore, DataTriggersFireOncePerMatchInArrivalOrder) {
    int ok = d.newDataTrigger("OK", false);
    int connect = d.newDataTrigger("CONNECT", false);
    d.receive("CONNECT 9600\r\nOK");
    EXPECT_EQ(rec.dataHandles(), (std::vector<uint32_t>{uint32_t(connect), uint32_t(ok)}));
    ASSERT_EQ(rec.calls.size(), 2u);
    EXPECT_EQ(lParamData(rec.calls[0].lParam), 7u);  // match length
    EXPECT_EQ(lParamPort(rec.calls[0].lParam), d.handle());
    d.receive("\r\n");
    EXPECT_EQ(rec.calls.size(), 2u);
}

TEST_F(DispatcherCore, MatcherFindsOverlappingAndCaseFreeCandidates) {
    struct Row {
        const char* match;
        bool ignoreCase;
        const char* input;
        size_t fires;
    };
    const Row rows[] = {
        {"AAB", false, "AAAB", 1},    {"ok", true, "xxOKxx", 1}, {"OK", false, "ok", 0},
        {"ABAB", false, "ABABAB", 1}, {"AA", false, "AAAA", 2},  {"\r\n", false, "\r\r\n", 1},
    };
    for (const auto& row : rows) {
        FakeDispatcher dispatcher(clock);
        ASSERT_EQ(dispatcher.open(), ecOK);
        Recorder r;
        r.attach(dispatcher);
        dispatcher.newDataTrigger(row.match, row.ignoreCase);
        dispatcher.receive(row.input);
        EXPECT_EQ(r.dataHandles().size(), row.fires) << row.match << " in " << row.input;
    }
}

TEST_F(DispatcherCore, AvailPrecedesTheMatchAndCoversOnlyTheBytesBeforeIt) {
    d.setAvailLevel(5);
    int cr = d.newDataTrigger("\r", false);
    d.receive("HELLO\r");
    ASSERT_EQ(rec.calls.size(), 2u);
    EXPECT_EQ(rec.calls[0].msg, kMsgTriggerAvail);
    EXPECT_EQ(rec.calls[0].wParam, 5u);
    EXPECT_EQ(rec.calls[0].bytes, "HELLO");
    EXPECT_EQ(rec.calls[1].msg, kMsgTriggerData);
    EXPECT_EQ(rec.calls[1].wParam, uint32_t(cr));
    EXPECT_EQ(d.inputCount(), 1u);
}

TEST_F(DispatcherCore, AvailDoesNotRepeatForTheSameBytes) {
    d.setAvailLevel(3);
    rec.takeOnAvail = 0;  // leaves the bytes waiting
    d.receive("abcd");
    d.processLineEvent(evRxChar);
    ASSERT_EQ(rec.calls.size(), 1u);
    EXPECT_EQ(rec.calls[0].wParam, 4u);
    d.receive("e");
    ASSERT_EQ(rec.calls.size(), 2u);
    EXPECT_EQ(rec.calls[1].wParam, 5u);
    EXPECT_EQ(d.inputCount(), 5u);
}

TEST_F(DispatcherCore, HandlersShareTheBytesOfOnePass) {
    Recorder second;
    second.attach(d);
    rec.takeOnData = second.takeOnData = true;
    d.newDataTrigger("!", false);
    d.receive("hi!");
    ASSERT_EQ(rec.calls.size(), 1u);
    ASSERT_EQ(second.calls.size(), 1u);
    EXPECT_EQ(rec.calls[0].bytes, "hi!");
    EXPECT_EQ(second.calls[0].bytes, "hi!");
    EXPECT_EQ(d.inputCount(), 0u);
    uint8_t b;
    EXPECT_EQ(d.takeByte(b), ecBufferIsEmpty);
}

TEST_F(DispatcherCore, DropTriggerAndBadHandles) {
    d.setAvailLevel(4);
    EXPECT_EQ(d.dropTrigger(1), ecOK);
    EXPECT_EQ(d.availLevel(), 0u);
    EXPECT_EQ(d.dropTrigger(0), ecBadTriggerHandle);
    EXPECT_EQ(d.dropTrigger(-8), ecBadTriggerHandle);
    EXPECT_EQ(d.dropTrigger(4096), ecBadTriggerHandle);
    EXPECT_EQ(d.armTimerTrigger(4096, 1, true), ecBadTriggerHandle);
    EXPECT_EQ(d.armStatusTrigger(4096 | 3, 1, true), ecBadTriggerHandle);
    int t = d.newTimerTrigger();
    EXPECT_EQ(d.dropTrigger(t), ecOK);
    EXPECT_EQ(d.dropTrigger(t), ecBadTriggerHandle);
    EXPECT_EQ(d.newStatusTrigger(6), ecBadArgument);
    EXPECT_EQ(d.newStatusTrigger(0), ecBadArgument);
    EXPECT_EQ(d.newDataTrigger(std::string(kMaxDataTriggerLength + 1, 'x'), false),
              ecTriggerTooLong);
    EXPECT_GT(d.newDataTrigger(std::string(kMaxDataTriggerLength, 'x'), false), 0);
    EXPECT_EQ(d.attachSessionSlot(0, this), ecBadArgument);
    EXPECT_EQ(d.attachSessionSlot(4, this), ecBadArgument);
    EXPECT_EQ(d.attachSessionSlot(2, this), ecOK);
    EXPECT_EQ(d.sessionSlot(2), this);
}

TEST_F(DispatcherCore, HandlesAreMultiplesOfEightAndStatusHandlesCarryTheirKind) {
    EXPECT_EQ(d.newTimerTrigger(), 8);
    EXPECT_EQ(d.newDataTrigger("x", false), 16);
    int s = d.newStatusTrigger(stOutUsed);
    EXPECT_EQ(s, 24 | stOutUsed);
    EXPECT_EQ(statusKindOf(s), stOutUsed);
    // Past the sequential range the lowest unused multiple of eight is reused.
    for (int i = 3; i < kSequentialHandles; ++i) {
        d.newTimerTrigger();
    }
    EXPECT_EQ(d.dropTrigger(16), ecOK);
    EXPECT_EQ(d.dropTrigger(s), ecOK);
    EXPECT_EQ(d.newTimerTrigger(), 16);
    EXPECT_EQ(d.newStatusTrigger(stModem), 24 | stModem);
    EXPECT_EQ(d.newTimerTrigger(), 8 * (kSequentialHandles + 1));
}

TEST_F(DispatcherCore, HandlerThatRemovesItselfIsRemovedAfterThePass) {
    Recorder second;
    second.attach(d);
    rec.action = [&](const Call&) { d.removeMethodHandler(&Recorder::handler, &rec); };
    d.newDataTrigger("A", false);
    d.newDataTrigger("A", false);
    d.receive("A");
    // Two triggers on one byte are two passes: the first pass still calls
    // both handlers, the second pass only the one left.
    EXPECT_EQ(rec.calls.size(), 1u);
    EXPECT_EQ(second.calls.size(), 2u);
    d.receive("A");
    EXPECT_EQ(rec.calls.size(), 1u);
    EXPECT_EQ(second.calls.size(), 4u);
}

TEST_F(DispatcherCore, NothingIsDispatchedWithoutHandlersOrWhileDispatching) {
    d.removeMethodHandler(&Recorder::handler, &rec);
    EXPECT_FALSE(d.notifyFlag());
    d.newDataTrigger("X", false);
    d.receive("X");
    EXPECT_TRUE(rec.calls.empty());
    rec.attach(d);
    bool previous = d.setDispatching(true);
    EXPECT_FALSE(previous);
    d.receive("X");
    EXPECT_TRUE(rec.calls.empty());
    d.setDispatching(previous);
    EXPECT_EQ(d.inputCount(), 2u);
}

TEST_F(DispatcherCore, TimerTriggersFireOnceAfterTheirTicks) {
    int t = d.newTimerTrigger();
    ASSERT_EQ(d.armTimerTrigger(t, 10, true), ecOK);
    clock.advance(10 * kMsPerTick);
    d.cycle();
    EXPECT_TRUE(rec.calls.empty());  // expired only once the expiry tick is passed
    clock.advance(kMsPerTick);
    d.cycle();
    d.cycle();
    ASSERT_EQ(rec.calls.size(), 1u);
    EXPECT_EQ(rec.calls[0].msg, kMsgTriggerTimer);
    EXPECT_EQ(rec.calls[0].wParam, uint32_t(t));
    // Re-arming with 0 keeps the tick count; disarming stops it.
    ASSERT_EQ(d.armTimerTrigger(t, 0, true), ecOK);
    clock.advance(11 * kMsPerTick);
    d.cycle();
    EXPECT_EQ(rec.calls.size(), 2u);
    ASSERT_EQ(d.armTimerTrigger(t, 1, true), ecOK);
    ASSERT_EQ(d.armTimerTrigger(t, 1, false), ecOK);
    clock.advance(100 * kMsPerTick);
    d.cycle();
    EXPECT_EQ(rec.calls.size(), 2u);
}

TEST(EventTimer, ExpiryFollowsTheWrapRule) {
    struct Row {
        uint32_t start;
        int32_t ticks;
        uint32_t now;
        bool expired;
    };
    constexpr uint32_t wrap = 0xFFFFFFFFu / kMsPerTick;  // last tick before the wrap
    const Row rows[] = {
        {100, 10, 110, false},
        {100, 10, 111, true},
        {100, -5, 101, true},
        {wrap - 5, 10, wrap, false},
        {wrap - 5, 10, 2, false},  // wrapped, expiry not yet reached
        {wrap - 5, 10, wrap + 6, true},
        {100, 0x7FFFFFFF, 100 + kMaxTimerTicks + 1, true},  // clamped to the maximum
    };
    for (const auto& row : rows) {
        TPxEventTimer timer;
        timer.start(row.start, row.ticks);
        EXPECT_EQ(timer.expired(row.now), row.expired)
            << row.start << "+" << row.ticks << " at " << row.now;
    }
}

TEST(Ticks, SecondsAndTicksConvert) {
    EXPECT_EQ(secondsToTicks(10), 182);
    EXPECT_EQ(secondsToTicks(60), 1092);
    EXPECT_EQ(ticksToSeconds(182), 10);
    EXPECT_EQ(ticksToSeconds(1092), 60);
}

TEST_F(DispatcherCore, StatusTriggersFireOnTheirConditionThenDisarm) {
    int used = d.newStatusTrigger(stOutUsed);
    int free = d.newStatusTrigger(stOutFree);
    int sent = d.newStatusTrigger(stOutSent);
    ASSERT_EQ(d.armStatusTrigger(used, 0, true), ecOK);
    ASSERT_EQ(d.armStatusTrigger(free, 4000, true), ecOK);
    ASSERT_EQ(d.armStatusTrigger(sent, 0, true), ecOK);
    ASSERT_EQ(d.writeText("0123456789"), ecOK);
    d.cycle();
    // 4086 free ≥ 4000 fires; used (10) is above 0; the write set "sent".
    ASSERT_EQ(rec.calls.size(), 2u);
    EXPECT_EQ(rec.calls[0].wParam, uint32_t(free));
    EXPECT_EQ(lParamData(rec.calls[0].lParam), 4086u);
    EXPECT_EQ(rec.calls[1].wParam, uint32_t(sent));
    d.drain();
    d.cycle();
    ASSERT_EQ(rec.calls.size(), 3u);
    EXPECT_EQ(rec.calls[2].wParam, uint32_t(used));
    d.cycle();
    EXPECT_EQ(rec.calls.size(), 3u);  // all disarmed now
}

TEST_F(DispatcherCore, ModemAndLineStatusTriggers) {
    int modem = d.newStatusTrigger(stModem);
    int line = d.newStatusTrigger(stLine);
    ASSERT_EQ(d.armStatusTrigger(modem, msDcd, true), ecOK);
    ASSERT_EQ(d.armStatusTrigger(line, leWatchParity, true), ecOK);
    d.modemLines = msCts | msDsr | msRi;  // RI is not watched
    d.processLineEvent(evRing);
    EXPECT_TRUE(rec.calls.empty());
    d.modemLines = msCts | msDsr | msDcd;
    d.processLineEvent(evRlsd);
    ASSERT_EQ(rec.calls.size(), 1u);
    EXPECT_EQ(rec.calls[0].wParam, uint32_t(modem));
    d.processTriggers();
    // A framing error is not in the mask; a parity error is (request bit 2 is
    // flag 4).
    d.injectLineErrors(leFraming);
    d.processLineEvent(evErr);
    EXPECT_EQ(rec.calls.size(), 1u);
    d.injectLineErrors(leParity);
    d.processLineEvent(evErr);
    ASSERT_EQ(rec.calls.size(), 2u);
    EXPECT_EQ(rec.calls[1].wParam, uint32_t(line));
    EXPECT_EQ(d.takeLineError(), lerParity);
    EXPECT_EQ(d.takeLineError(), lerNone);
}

TEST_F(DispatcherCore, ModemStatusKeepsDeltasUntilCleared) {
    d.modemLines = msCts | msDsr | msDcd;
    uint8_t status = d.readModemStatus(kKeepModemDeltas);
    EXPECT_EQ(status & msLevels, msCts | msDsr | msDcd);
    EXPECT_TRUE(status & msDeltaDcd);
    EXPECT_TRUE(d.deltaDcd());  // still there, now cleared
    EXPECT_FALSE(d.deltaDcd());
    EXPECT_TRUE(d.dcdOn());
}

TEST_F(DispatcherCore, WriteBlockFillsTheRingExactlyOrRefuses) {
    FakeDispatcher small(clock);
    ASSERT_EQ(small.open(16), ecOK);
    std::string block(16, 'x');
    EXPECT_EQ(small.writeText(block.substr(0, 10)), ecOK);
    EXPECT_EQ(small.writeText(block.substr(0, 7)), ecOutputBufferTooSmall);
    EXPECT_EQ(small.outputCount(), 10u);
    EXPECT_EQ(small.writeText(block.substr(0, 6)), ecOK);
    EXPECT_TRUE(small.outputFull());
    EXPECT_EQ(small.outputFree(), 0u);
    EXPECT_EQ(small.writeByte('y'), ecOutputBufferTooSmall);
    small.drain();
    EXPECT_EQ(small.sent, block);
    small.acceptOutput = false;
    EXPECT_EQ(small.writeText("z"), ecPutBlockFail);
    EXPECT_EQ(small.writeText(""), ecOK);
}

TEST_F(DispatcherCore, UnchangedLineParamsDoNotTouchTheDevice) {
    const int writes = d.lineBlockWrites;
    const uint64_t slept = clock.slept();
    EXPECT_EQ(d.setLineParams(19200, kParityNone, 8, 1), ecOK);
    EXPECT_EQ(d.setLineParams(kKeepBaud, kKeepParity, kKeepDataBits, kKeepStopBits), ecOK);
    EXPECT_EQ(d.lineBlockWrites, writes);
    EXPECT_EQ(clock.slept(), slept);
    d.writeText("x");
    EXPECT_EQ(d.setLineParams(9600, kKeepParity, kKeepDataBits, kKeepStopBits), ecOK);
    EXPECT_EQ(d.lineBlockWrites, writes + 1);
    EXPECT_GT(clock.slept(), slept);  // waited for the line to drain
    uint32_t baud;
    int parity, dataBits, stopBits;
    d.getLineParams(baud, parity, dataBits, stopBits);
    EXPECT_EQ(baud, 9600u);
    EXPECT_EQ(stopBits, 1);
}

TEST_F(DispatcherCore, EachKeepValueLeavesOnlyItsOwnSettingAsItIs) {
    struct Params {
        uint32_t baud;
        int parity, dataBits, stopBits;
    };
    const Params before{9600, kParityEven, 7, 1};
    const Params next{38400, kParityOdd, 6, 2};
    const Params rows[] = {
        {kKeepBaud, next.parity, next.dataBits, next.stopBits},
        {next.baud, kKeepParity, next.dataBits, next.stopBits},
        {next.baud, next.parity, kKeepDataBits, next.stopBits},
        {next.baud, next.parity, next.dataBits, kKeepStopBits},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(d.setLineParams(before.baud, before.parity, before.dataBits, before.stopBits),
                  ecOK);
        ASSERT_EQ(d.setLineParams(row.baud, row.parity, row.dataBits, row.stopBits), ecOK);
        Params got{};
        d.getLineParams(got.baud, got.parity, got.dataBits, got.stopBits);
        const auto want = [](auto asked, auto keep, auto old, auto fresh) {
            return asked == keep ? old : fresh;
        };
        EXPECT_EQ(got.baud, want(row.baud, kKeepBaud, before.baud, next.baud));
        EXPECT_EQ(got.parity, want(row.parity, kKeepParity, before.parity, next.parity));
        EXPECT_EQ(got.dataBits, want(row.dataBits, kKeepDataBits, before.dataBits, next.dataBits));
        EXPECT_EQ(got.stopBits, want(row.stopBits, kKeepStopBits, before.stopBits, next.stopBits));
    }
}

TEST_F(DispatcherCore, StopBitsFollowTheRequestAndFiveDataBits) {
    struct Row {
        int dataBits, stopBits;
        uint8_t code;
    };
    const Row rows[] = {{8, 0, kOneStopBit},  {8, 1, kOneStopBit},   {8, 2, kTwoStopBits},
                        {7, 4, kTwoStopBits}, {5, 1, kOne5StopBits}, {5, 2, kOne5StopBits}};
    for (const auto& row : rows) {
        ASSERT_EQ(d.setLineParams(kKeepBaud, kKeepParity, row.dataBits, row.stopBits), ecOK);
        EXPECT_EQ(d.block.stopCode, row.code) << row.dataBits << "/" << row.stopBits;
    }
}

TEST_F(DispatcherCore, HardwareFlowControlsTheLinesAndChecksLimits) {
    EXPECT_EQ(d.setHardwareFlow(100, 200, hfUseRts), ecBadArgument);
    EXPECT_EQ(d.setHardwareFlow(5000, 100, hfUseRts), ecBadArgument);
    ASSERT_EQ(d.setHardwareFlow(3686, 410, hfUseRts | hfRequireCts), ecOK);
    EXPECT_EQ(d.block.rtsControl, TPxLineBlock::Handshake);
    EXPECT_TRUE(d.block.outxCtsFlow);
    EXPECT_EQ(d.block.xoffLimit, 4096 - 3686);
    EXPECT_EQ(d.block.xonLimit, 410);
    EXPECT_EQ(d.setRtsLevel(false), 1);  // RTS belongs to the flow control
    EXPECT_EQ(d.setDtrLevel(false), ecOK);
    EXPECT_EQ(d.lineControls.back(), lcClrDtr);
    ASSERT_EQ(d.setSoftwareFlow(3000, 1000, sfReceiveFlow | sfTransmitFlow), ecOK);
    EXPECT_TRUE(d.block.inX);
    EXPECT_TRUE(d.block.outX);
    ASSERT_EQ(d.clearSoftwareFlow(), ecOK);
    EXPECT_FALSE(d.block.inX || d.block.outX);
}

TEST_F(DispatcherCore, PeekAndTakeOnTheReceiveRing) {
    d.receive("abc");
    uint8_t b = 0;
    EXPECT_EQ(d.peekByte(b, 2), ecOK);
    EXPECT_EQ(b, 'b');
    EXPECT_EQ(d.peekByte(b, 4), ecBufferIsEmpty);
    EXPECT_EQ(d.peekByte(b, 0), ecBufferIsEmpty);
    EXPECT_EQ(d.takeByte(b), ecOK);
    EXPECT_EQ(b, 'a');
    EXPECT_TRUE(d.hasInput());
    d.clearInput();
    EXPECT_FALSE(d.hasInput());
    EXPECT_EQ(d.takeByte(b), ecBufferIsEmpty);
}

TEST_F(DispatcherCore, TheReceiveRingHoldsExactly8192Bytes) {
    d.removeMethodHandler(&Recorder::handler, &rec);
    d.receive(std::string(kDispatchBufferSize + 100, 'q'));
    EXPECT_EQ(d.inputCount(), kDispatchBufferSize);
    EXPECT_EQ(d.device.size(), 100u);  // left in the driver until there is room
    uint8_t b;
    for (int i = 0; i < 50; ++i) {
        d.takeByte(b);
    }
    d.processLineEvent(evRxChar);
    EXPECT_EQ(d.inputCount(), kDispatchBufferSize);
    EXPECT_EQ(d.device.size(), 50u);
}

TEST_F(DispatcherCore, SnapshotCarriesTriggersAcrossAReopen) {
    int t = d.newTimerTrigger();
    int data = d.newDataTrigger("RING", false);
    d.setAvailLevel(7);
    TPxTriggerStore store;
    d.snapshotTriggers(store);
    d.closePort();
    ASSERT_EQ(d.open(), ecOK);
    EXPECT_EQ(d.dropTrigger(t), ecBadTriggerHandle);  // a reopen starts empty
    d.reinstateTriggers(store);
    EXPECT_EQ(d.availLevel(), 7u);
    int fresh = d.newTimerTrigger();
    EXPECT_NE(fresh, t);
    EXPECT_NE(fresh, data);
    d.receive("RING");
    EXPECT_EQ(rec.dataHandles(), std::vector<uint32_t>{uint32_t(data)});
}

TEST_F(DispatcherCore, ClosingFromAHandlerStopsThePass) {
    Recorder second;
    second.attach(d);
    rec.action = [&](const Call&) { d.closePort(); };
    d.newDataTrigger("X", false);
    d.newDataTrigger("X", false);
    d.receive("XX");
    EXPECT_TRUE(d.closing());
    EXPECT_EQ(rec.calls.size(), 1u);
    EXPECT_TRUE(second.calls.empty());
    EXPECT_FALSE(d.dispatching());
}

TEST_F(DispatcherCore, AHandlerExceptionEndsThePassAndIsReported) {
    std::exception_ptr seen;
    d.setExceptionDisplay([&](std::exception_ptr e) { seen = e; });
    rec.action = [](const Call&) { throw std::runtime_error("boom"); };
    d.newDataTrigger("X", false);
    d.receive("X");
    ASSERT_TRUE(seen);
    EXPECT_FALSE(d.dispatching());
}

// Random input against a reference search: a match ends at i when the pattern
// occupies i-len+1..i and starts after the previous match's end.
TEST(DataMatcher, AgreesWithAReferenceSearchOnRandomInput) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 2000; ++round) {
        std::string pattern;
        const size_t len = 1 + rng() % 5;
        for (size_t i = 0; i < len; ++i) {
            pattern += static_cast<char>('a' + rng() % 2);
        }
        std::string text;
        for (int i = 0; i < 60; ++i) {
            text += static_cast<char>('a' + rng() % 2);
        }
        TPxDataTrigger trigger;
        trigger.match = pattern;
        std::vector<size_t> got, want;
        for (size_t i = 0; i < text.size(); ++i) {
            if (trigger.feed(static_cast<uint8_t>(text[i]))) {
                got.push_back(i);
                trigger.matched = false;
            }
        }
        long lastEnd = -1;
        for (size_t i = len - 1; i < text.size(); ++i) {
            const long start = static_cast<long>(i + 1 - len);
            if (start > lastEnd && text.compare(static_cast<size_t>(start), len, pattern) == 0) {
                want.push_back(i);
                lastEnd = static_cast<long>(i);
            }
        }
        ASSERT_EQ(got, want) << pattern << " in " << text;
    }
}

}  // namespace
}  // namespace px::test

namespace px::test {
namespace {

TEST_F(DispatcherCore, AMatchBehindAnUnconsumedAvailGoesOutInTheNextCycle) {
    d.setAvailLevel(1);
    rec.takeOnAvail = 0;
    int nc = d.newDataTrigger("NO CARRIER", false);
    d.receive("\r\nNO CARRIER");
    ASSERT_EQ(rec.calls.size(), 1u);
    EXPECT_EQ(rec.calls[0].msg, kMsgTriggerAvail);
    EXPECT_EQ(rec.calls[0].wParam, 2u);
    d.cycle();  // no further byte arrives
    EXPECT_EQ(rec.dataHandles(), std::vector<uint32_t>{uint32_t(nc)});
    // Then avail for everything waiting, once.
    ASSERT_EQ(rec.calls.size(), 3u);
    EXPECT_EQ(rec.calls[2].msg, kMsgTriggerAvail);
    EXPECT_EQ(rec.calls[2].wParam, 12u);
    d.cycle();
    EXPECT_EQ(rec.calls.size(), 3u);
}

}  // namespace
}  // namespace px::test

namespace px::test {
namespace {

// Random arrivals, triggers and handler reads: whatever the handlers take
// plus what is still waiting is exactly the byte stream that arrived, in
// order, however the ring wraps and whatever the triggers do.
TEST(DispatcherMutation, HandlersAndRingKeepTheByteStreamIntact) {
    std::mt19937 rng(2026);
    for (int round = 0; round < 20; ++round) {
        TPxManualClock clock;
        FakeDispatcher d(clock);
        ASSERT_EQ(d.open(), ecOK);
        struct Taker {
            TPxBaseDispatcher* d;
            std::mt19937* rng;
            std::string taken;
            static void handler(void* self, uint32_t, uint32_t, uint32_t) {
                auto* t = static_cast<Taker*>(self);
                uint32_t want = (*t->rng)() % 300;
                uint8_t b;
                while (want-- > 0 && t->d->takeByte(b) == ecOK) {
                    t->taken += static_cast<char>(b);
                }
            }
        } taker{&d, &rng, {}};
        d.addMethodHandler(&Taker::handler, &taker, false);
        d.setAvailLevel(rng() % 50);
        for (const char* match : {"A", "AB", "BAB", "CCCC"}) {
            if (rng() % 2) {
                d.newDataTrigger(match, rng() % 2);
            }
        }
        std::string stream;
        for (int step = 0; step < 150; ++step) {
            std::string chunk;
            const size_t len = rng() % 700;
            for (size_t i = 0; i < len; ++i) {
                chunk += static_cast<char>("ABCabc\r\n"[rng() % 8]);
            }
            d.receive(chunk);
            stream += chunk;
            if (rng() % 5 == 0) {
                d.cycle();
            }
            ASSERT_LE(d.inputCount(), kDispatchBufferSize);
        }
        // What the driver still holds comes in once the ring has room.
        d.removeMethodHandler(&Taker::handler, &taker);
        std::string rest;
        for (;;) {
            uint8_t b;
            while (d.takeByte(b) == ecOK) {
                rest += static_cast<char>(b);
            }
            if (d.device.empty()) {
                break;
            }
            d.processLineEvent(evRxChar);
        }
        ASSERT_EQ(taker.taken + rest, stream) << "round " << round;
    }
}

}  // namespace
}  // namespace px::test

namespace px::test {
namespace {

void ignoreTrigger(uint32_t, uint32_t, uint32_t) {}

TEST_F(DispatcherCore, TheDispatchLogRecordsEveryEventWithItsTimeAndData) {
    {
        std::lock_guard lock(d.lineLock());
        d.dispatchLog().start(10000);
    }
    clock.advance(1234);
    const int timer = d.newTimerTrigger();
    d.armTimerTrigger(timer, 18, true);
    const int free = d.newStatusTrigger(stOutFree);
    d.armStatusTrigger(free, 100, true);
    d.setAvailLevel(0);
    d.addProcHandler(&ignoreTrigger);
    const int ok = d.newDataTrigger("OK", false);
    d.writeText("AT");
    d.receive("OK");
    d.dropTrigger(timer);
    d.dropTrigger(free);
    d.dropTrigger(ok);
    d.removeProcHandler(&ignoreTrigger);
    struct Row {
        uint8_t type, subtype;
        uint32_t value;
        std::string data;
    };
    const std::string ticks18("\x12\0\0\0", 4), value100("\x64\0\0\0", 4);
    const Row rows[] = {
        {ltTriggerAlloc, lsTimerTrigger, uint32_t(timer), ""},
        {ltTriggerDataChange, lsTimerTrigger, uint32_t(timer), ticks18},
        {ltTriggerAlloc, lsStatusTrigger, uint32_t(free), "\x03"},
        {ltTriggerDataChange, lsStatusTrigger, uint32_t(free), value100},
        {ltTriggerDataChange, lsAvailTrigger, 0, ""},
        {ltHandlerAlloc, lsProcedure, 0, ""},
        {ltDispatch, lsWriteCom, 0, "AT"},
        {ltDispatch, lsReadCom, 0, "OK"},
        {ltTrigger, lsStatus, uint32_t(free), ""},
        {ltTrigger, lsData, uint32_t(ok), ""},
        {ltTriggerDispose, lsTimer, uint32_t(timer), ""},
        {ltTriggerDispose, lsStatusTrigger, uint32_t(free), "\x03"},
        {ltTriggerDispose, lsData, uint32_t(ok), ""},
        {ltHandlerDispose, lsProcedure, 0, ""},
    };
    auto entries = d.dispatchLog().entries();
    ASSERT_EQ(entries.size(), std::size(rows));
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].type, rows[i].type) << i;
        EXPECT_EQ(entries[i].subtype, rows[i].subtype) << i;
        EXPECT_EQ(entries[i].value, rows[i].value) << i;
        EXPECT_EQ(std::string(entries[i].data.begin(), entries[i].data.end()), rows[i].data) << i;
        EXPECT_EQ(entries[i].time, 1234u) << i;
    }
}

}  // namespace
}  // namespace px::test
