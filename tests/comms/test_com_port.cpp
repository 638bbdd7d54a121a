// The com port component against pseudo-terminals, with events delivered
// through a plain event loop on the test's thread.
#include <dirent.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "common/px_exceptions.h"
#include "comms/px_com_port.h"
#include "pty_modem.h"

namespace px::test {
namespace {

// A modem answers a command with "OK" within 36 ticks (two seconds).
constexpr int32_t kOkWaitTicks = 36;
// A text that never comes is waited for only briefly.
constexpr int32_t kNoReplyWaitTicks = 2;

size_t threadCount() {
    size_t n = 0;
    if (DIR* d = opendir("/proc/self/task")) {
        while (dirent* e = readdir(d)) {
            n += e->d_name[0] != '.';
        }
        closedir(d);
    }
    return n;
}

class ComPort : public ::testing::Test {
protected:
    void SetUp() override {
        port = std::make_unique<TPxComPort>(&loop);
        port->setDevicePathResolver([this](int n) {
            ++resolved;
            return n == 1 ? modem.path() : n == 2 ? modem2.path() : std::string();
        });
    }
    void TearDown() override { port.reset(); }
    bool pumpUntil(const std::function<bool()>& done, int ms = 3000) {
        return loop.runUntil(done, ms);
    }
    PtyModem modem;
    PtyModem modem2;
    TPxPlainEventLoop loop;
    std::unique_ptr<TPxComPort> port;
    int resolved = 0;
};

TEST_F(ComPort, DefaultsAreThoseOfTheComponent) {
    EXPECT_EQ(port->DeviceLayer(), dlWin32);
    EXPECT_EQ(port->ComNumber(), 0);
    EXPECT_EQ(port->Baud(), 19200u);
    EXPECT_TRUE(port->PromptForPort());
    EXPECT_EQ(port->Parity(), pNone);
    EXPECT_EQ(port->DataBits(), 8);
    EXPECT_EQ(port->StopBits(), 1);
    EXPECT_EQ(port->InSize(), 4096);
    EXPECT_EQ(port->OutSize(), 4096);
    EXPECT_TRUE(port->AutoOpen());
    EXPECT_FALSE(port->Open());
    EXPECT_TRUE(port->DTR());
    EXPECT_TRUE(port->RTS());
    EXPECT_TRUE(port->HWFlowOptions().empty());
    EXPECT_EQ(port->SWFlowOptions(), swfNone);
    EXPECT_EQ(port->XOnChar(), 17);
    EXPECT_EQ(port->XOffChar(), 19);
    EXPECT_EQ(port->Tracing(), tlOff);
    EXPECT_EQ(port->TraceSize(), 10000u);
    EXPECT_EQ(port->TraceName(), "PXCOM.TRC");
    EXPECT_EQ(port->LogSize(), 10000u);
    EXPECT_EQ(port->LogName(), "PXCOM.LOG");
    EXPECT_EQ(port->CommNotificationLevel(), 10);
    EXPECT_EQ(port->TapiMode(), tmAuto);
    EXPECT_FALSE(port->RS485Mode());
}

TEST_F(ComPort, SettersApplyTheirRules) {
    port->setInSize(8192);
    port->setHWFlowOptions({hwfUseRTS, hwfRequireCTS});
    EXPECT_EQ(port->BufferFull(), 7373);
    EXPECT_EQ(port->BufferResume(), 819);
    port->setBufferFull(9000);
    EXPECT_EQ(port->BufferFull(), 8100);
    port->setBufferResume(9000);
    EXPECT_EQ(port->BufferResume(), 810);
    port->setTraceSize(5000000);
    EXPECT_EQ(port->TraceSize(), 4000000u);
    port->setLogSize(20000000);
    EXPECT_EQ(port->LogSize(), 16000000u);
    port->setRS485Mode(true);
    EXPECT_FALSE(port->HWFlowOptions().has(hwfUseRTS));
    EXPECT_FALSE(port->HWFlowOptions().has(hwfRequireCTS));
    EXPECT_FALSE(port->RTS());
    port->setHWFlowOptions({hwfUseRTS});
    EXPECT_FALSE(port->RS485Mode());
    TPxComPort other(&loop);
    other.setInSize(1000);
    other.setSWFlowOptions(swfBoth);
    EXPECT_EQ(other.BufferFull(), 750);
    EXPECT_EQ(other.BufferResume(), 250);
    // Closed, only tlOn and tlOff are stored.
    other.setTracing(tlPause);
    EXPECT_EQ(other.Tracing(), tlOff);
    other.setTracing(tlOn);
    EXPECT_EQ(other.Tracing(), tlOn);
}

TEST_F(ComPort, OpeningWithoutAPortRaisesBeforeTouchingAnyDevice) {
    port->setPromptForPort(false);
    try {
        port->setOpen(true);
        FAIL();
    } catch (const ENoPortSelected& e) {
        EXPECT_EQ(e.ErrorCode(), -2011);
    }
    EXPECT_EQ(resolved, 0);
    port->setPromptForPort(true);
    EXPECT_THROW(port->setOpen(true), ENoPortSelected);  // nobody to ask: cancelled
    port->setPortPrompt([] { return 1; });
    port->setOpen(true);
    EXPECT_TRUE(port->Open());
    EXPECT_EQ(port->ComNumber(), 1);
}

TEST_F(ComPort, OpenErrorsBecomeTheirExceptions) {
    port->setComNumber(3);
    port->setDevicePathResolver([](int) { return std::string("/dev/parvex-missing"); });
    try {
        port->setOpen(true);
        FAIL();
    } catch (const EBadId& e) {
        EXPECT_EQ(e.ErrorCode(), ecBadId);
        EXPECT_STREQ(e.what(), "ie_BadId - Specified comport doesn't exist");
    }
    EXPECT_EQ(port->State(), psClosed);
    TPxComPort first(&loop);
    first.setComNumber(1);
    first.setDevicePathResolver([this](int) { return modem.path(); });
    first.setOpen(true);
    TPxComPort second(&loop);
    second.setComNumber(1);
    second.setDevicePathResolver([this](int) { return modem.path(); });
    try {
        second.setOpen(true);
        FAIL();
    } catch (const EAlreadyOpen& e) {
        EXPECT_EQ(e.ErrorCode(), ecAlreadyOpen);
        EXPECT_STREQ(e.what(), "ie_Open - device already open");
    }
    TPxComPort fossil(&loop);
    fossil.setComNumber(1);
    fossil.setDeviceLayer(dlFossil);
    EXPECT_THROW(fossil.setOpen(true), ENullApi);
    TPxComPort tapi(&loop);
    tapi.setTapiMode(tmOn);
    EXPECT_THROW(tapi.setOpen(true), ENotOpenedByTapi);
    first.setOpen(true);
    EXPECT_THROW(first.setBaud(12345), EBaudRate);
    EXPECT_THROW(first.DropTrigger(0), EBadTriggerHandle);
    TPxComPort manual(&loop);
    manual.setAutoOpen(false);
    EXPECT_THROW(manual.WriteText("AT\r"), ECommNotOpen);
}

TEST_F(ComPort, TriggerMessagesBecomeEventsInTheOwnersThread) {
    port->setComNumber(1);
    std::vector<std::string> seen;
    const auto self = std::this_thread::get_id();
    port->setOnTriggerData([&](TPxCustomComPort& cp, uint32_t handle) {
        EXPECT_EQ(std::this_thread::get_id(), self);
        std::string bytes;
        while (cp.HasInput()) {
            bytes += cp.TakeChar();
        }
        seen.push_back("data " + std::to_string(handle) + " " + bytes);
    });
    port->setOnTriggerTimer([&](TPxCustomComPort&, uint32_t handle) {
        seen.push_back("timer " + std::to_string(handle));
    });
    int general = 0;
    port->setOnTrigger([&](TPxCustomComPort&, uint16_t, uint32_t, uint16_t) { ++general; });
    modem.on("ATZ", "\r\nOK\r\n");
    port->setOpen(true);
    port->SetAvailLevel(0);
    const int ok = port->NewDataTrigger("OK", false);
    const int timer = port->NewTimerTrigger();
    port->WriteText("ATZ\r");
    ASSERT_TRUE(pumpUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(seen[0].rfind("data " + std::to_string(ok) + " \r\nOK", 0), 0u);
    port->ArmTimerTrigger(timer, 1);
    ASSERT_TRUE(pumpUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen[1], "timer " + std::to_string(timer));
    EXPECT_EQ(general, 2);
}

TEST_F(ComPort, AHandlerClosingThePortFinishesTheCloseAfterThePass) {
    const size_t before = threadCount();
    port->setComNumber(1);
    port->setOnTriggerData([](TPxCustomComPort& cp, uint32_t) { cp.setOpen(false); });
    port->setOpen(true);
    port->NewDataTrigger("NO CARRIER", false);
    modem.send("\r\nNO CARRIER\r\n");
    ASSERT_TRUE(pumpUntil([&] { return port->State() == psClosed; }));
    EXPECT_FALSE(port->Open());
    EXPECT_EQ(threadCount(), before);
    // Triggers come back with the next open.
    int fired = 0;
    port->setOnTriggerData([&](TPxCustomComPort&, uint32_t) { ++fired; });
    port->setOpen(true);
    modem.send("NO CARRIER");
    EXPECT_TRUE(pumpUntil([&] { return fired == 1; }));
}

TEST_F(ComPort, ClosingWhileAnEventWaitsForTheOwnerDropsTheEvent) {
    const size_t before = threadCount();
    port->setComNumber(1);
    int handled = 0;
    port->setOnTriggerData([&](TPxCustomComPort&, uint32_t) { ++handled; });
    port->setOpen(true);
    port->SetAvailLevel(0);
    port->NewDataTrigger("RING", false);
    modem.send("RING");
    // The dispatch thread now waits for this thread to take the event.
    for (int i = 0; i < 300 && loop.pending() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GT(loop.pending(), 0u);
    port->setOpen(false);
    // The dispatch pass that was under way ends first; the close completes
    // when the deferred close message is handled.
    EXPECT_TRUE(pumpUntil([&] { return port->State() == psClosed; }));
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(threadCount(), before);
}

TEST_F(ComPort, AnUnpluggedModemIsReportedAndThePortStillCloses) {
    const size_t before = threadCount();
    port->setComNumber(1);
    int reported = 0;
    port->setOnTriggerModemStatus([&](TPxCustomComPort&) { ++reported; });
    port->setOpen(true);
    const int lines = port->NewStatusTrigger(stModem);
    port->ArmStatusTrigger(lines, msDsr);
    EXPECT_TRUE(port->DSR());
    modem.hangUp();
    ASSERT_TRUE(pumpUntil([&] { return reported == 1; }));
    EXPECT_FALSE(port->DSR());
    EXPECT_FALSE(port->CTS());
    port->WriteText("ATH0\r");  // goes nowhere, but does not hang
    port->setOpen(false);
    EXPECT_EQ(port->State(), psClosed);
    EXPECT_EQ(threadCount(), before);
}

// A handler the dispatch thread calls itself, held until the port has
// begun to close and a while after, so that the close meets the pass still
// running.
struct HeldHandler {
    std::atomic<bool> entered{false};
    std::atomic<bool> portClosing{false};

    static void call(void* data, uint32_t, uint32_t, uint32_t) {
        auto* self = static_cast<HeldHandler*>(data);
        self->entered = true;
        for (int i = 0; i < 5000 && !self->portClosing; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
};

TEST_F(ComPort, ClosingWhileAPassRunsElsewhereClosesAtOnce) {
    // The dispatch thread is inside a pass when the application closes the
    // port from outside any handler: the close is not left half done for a
    // later message to finish.
    const size_t before = threadCount();
    port->setComNumber(1);
    HeldHandler held;
    port->setOnPortClose([&](TPxCustomComPort&) { held.portClosing = true; });
    port->setOpen(true);
    port->Dispatcher().addMethodHandler(&HeldHandler::call, &held, false);
    port->NewDataTrigger("RING", false);
    modem.send("RING\r\n");
    for (int i = 0; i < 3000 && !held.entered; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(held.entered);
    port->setOpen(false);
    EXPECT_EQ(port->State(), psClosed);
    EXPECT_FALSE(port->Open());
    EXPECT_EQ(threadCount(), before);
}

TEST_F(ComPort, SettingsReachTheDeviceAndComeBackOnClose) {
    const termios original = modem.lineSettings();
    port->setComNumber(1);
    port->setInSize(8192);
    port->setHWFlowOptions({hwfUseRTS, hwfRequireCTS});
    port->setOpen(true);
    termios t = modem.lineSettings();
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_EQ(cfgetospeed(&t), B19200);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(t.c_cflag & (PARENB | CSTOPB));
    // Recent kernels refuse parity and character size changes on a
    // pseudo-terminal, so only what it takes is checked here.
    port->setBaud(115200);
    port->setStopBits(2);
    t = modem.lineSettings();
    EXPECT_EQ(cfgetospeed(&t), B115200);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    port->setSWFlowOptions(swfBoth);
    t = modem.lineSettings();
    EXPECT_TRUE((t.c_iflag & IXON) && (t.c_iflag & IXOFF));
    EXPECT_EQ(t.c_cc[VSTART], 17);
    port->setOpen(false);
    t = modem.lineSettings();
    EXPECT_EQ(cfgetospeed(&t), cfgetospeed(&original));
    EXPECT_EQ(t.c_cflag, original.c_cflag);
}

TEST_F(ComPort, AssignCopiesSettingsAndTheTriggersOfAnOpenSource) {
    port->setComNumber(1);
    port->setBaud(9600);
    port->setTraceName("OTHER.TRC");
    port->setOpen(true);
    const int ring = port->NewDataTrigger("RING", false);
    TPxComPort copy(&loop);
    copy.assign(*port);
    port->setOpen(false);
    EXPECT_EQ(copy.Baud(), 9600u);
    EXPECT_EQ(copy.TraceName(), "OTHER.TRC");
    EXPECT_FALSE(copy.Open());
    uint32_t fired = 0;
    copy.setOnTriggerData([&](TPxCustomComPort&, uint32_t h) { fired = h; });
    copy.setOpen(true);
    modem.send("RING");
    EXPECT_TRUE(pumpUntil([&] { return fired != 0; }));
    EXPECT_EQ(fired, uint32_t(ring));
}

TEST_F(ComPort, WhileLoadingOpenIsAWishAndErrorsAreOnlyReturned) {
    port->beginLoading();
    port->setComNumber(1);
    port->setOpen(true);
    EXPECT_EQ(port->State(), psClosed);
    port->endLoading();
    EXPECT_EQ(port->State(), psOpen);
    TPxComPort broken(&loop);
    broken.setComNumber(7);
    broken.setDevicePathResolver([](int) { return std::string("/dev/parvex-missing"); });
    std::exception_ptr shown;
    broken.setExceptionDisplay([&](std::exception_ptr e) { shown = e; });
    broken.beginLoading();
    broken.setOpen(true);
    broken.endLoading();
    EXPECT_FALSE(broken.Open());
    ASSERT_TRUE(shown);
    EXPECT_THROW(std::rethrow_exception(shown), EBadId);
}

TEST_F(ComPort, PortUsersHearOfOpeningAndClosing) {
    std::vector<std::string> events;
    struct User {
        std::vector<std::string>* events;
        const char* name;
        static void callback(TPxCustomComPort&, bool opening, void* data) {
            auto* u = static_cast<User*>(data);
            u->events->push_back(std::string(u->name) + (opening ? " open" : " closing"));
        }
    };
    User a{&events, "a"}, b{&events, "b"};
    port->AddPortUser(&User::callback, &a);
    port->AddPortUser(&User::callback, &b);
    port->setOnPortClose([&](TPxCustomComPort&) { events.push_back("closed"); });
    port->setComNumber(1);
    port->setOpen(true);
    port->setOpen(false);
    EXPECT_EQ(events,
              (std::vector<std::string>{"a open", "b open", "b closing", "a closing", "closed"}));
    port->RemovePortUser(&User::callback, &a);
    events.clear();
    port->setOpen(true);
    EXPECT_EQ(events, std::vector<std::string>{"b open"});
    port->setOpen(false);
    port->RemovePortUser(&User::callback, &b);
    port->setOnPortClose(nullptr);
}

TEST_F(ComPort, ChangingThePortOfAnOpenComponentKeepsItsTriggers) {
    port->setComNumber(1);
    std::vector<uint32_t> fired;
    port->setOnTriggerData([&](TPxCustomComPort& cp, uint32_t h) {
        fired.push_back(h);
        cp.ClearInput();
    });
    port->setOpen(true);
    const int ring = port->NewDataTrigger("RING", false);
    port->setComNumber(2);
    EXPECT_TRUE(port->Open());
    modem2.send("RING\r\n");
    ASSERT_TRUE(pumpUntil([&] { return !fired.empty(); }));
    EXPECT_EQ(fired[0], uint32_t(ring));
}

TEST_F(ComPort, AwaitTextFindsTheTextOrTimesOut) {
    port->setComNumber(1);
    modem.on("AT", "\r\nOK\r\n");
    std::string waited;
    port->setOnWaitChar([&](TPxCustomComPort&, char c) { waited += c; });
    port->WriteText("AT\r");
    EXPECT_TRUE(port->AwaitText("ok", kOkWaitTicks, true, true));
    EXPECT_EQ(waited, "\r\nOK");
    EXPECT_FALSE(port->AwaitText("CONNECT", kNoReplyWaitTicks, true, false));
    EXPECT_TRUE(port->AwaitText("", 0, false, false));
    modem.send("OOK");
    EXPECT_TRUE(port->AwaitText("OK", kOkWaitTicks, false, false));
}

TEST_F(ComPort, ClosingWhileTracingWritesTheTraceAndTheLog) {
    const std::string trc = ::testing::TempDir() + "px_port_test.trc";
    const std::string log = ::testing::TempDir() + "px_port_test.log";
    std::remove(trc.c_str());
    std::remove(log.c_str());
    port->setComNumber(1);
    port->setTraceName(trc);
    port->setLogName(log);
    port->setTracing(tlOn);
    port->setLogging(tlOn);
    modem.on("AT", "\r\nOK\r\n");
    port->setOpen(true);
    port->SetAvailLevel(0);
    port->WriteText("AT\r");
    ASSERT_TRUE(modem.waitFor("AT\r", 3000));
    ASSERT_TRUE(port->AwaitText("OK\r\n", kOkWaitTicks, false, false));
    port->setOpen(false);
    EXPECT_EQ(port->Tracing(), tlOff);
    std::ifstream in(trc);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "Transmit: \nAT[0D]\n\nReceive: \n[0D][0A]OK[0D][0A]\n");
    std::ifstream logIn(log);
    std::stringstream logText;
    logText << logIn.rdbuf();
    EXPECT_NE(logText.str().find("Dispatch  WriteCom      00000000  AT[0D]"), std::string::npos);
    EXPECT_NE(logText.str().find("Dispatch  ReadCom       00000000  "), std::string::npos);
}

TEST_F(ComPort, TracingStatesOnAnOpenPort) {
    const std::string trc = ::testing::TempDir() + "px_states.trc";
    std::remove(trc.c_str());
    port->setComNumber(1);
    port->setTraceName(trc);
    port->setOpen(true);
    port->setTracing(tlDump);  // never traced: nothing happens
    EXPECT_FALSE(std::ifstream(trc).good());
    port->setTracing(tlOn);
    port->WriteText("A");
    port->setTracing(tlPause);
    EXPECT_EQ(port->Tracing(), tlPause);
    port->WriteText("B");
    port->setTracing(tlOn);
    port->WriteText("C");
    port->setTracing(tlAppend);
    EXPECT_EQ(port->Tracing(), tlOff);
    std::ifstream in(trc);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "Transmit: \nAC\n");
}

}  // namespace
}  // namespace px::test
