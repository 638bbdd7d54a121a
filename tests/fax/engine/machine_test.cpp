// The event loop both fax machines run on.
#include <gtest/gtest.h>

#include <array>

#include "fax/engine/px_fax_machine.h"
#include "scripted_modem.h"

namespace px {
namespace {

enum class SpinState { sNone, sA, sB, sAbort, sDone };
constexpr std::array<const char*, 5> kSpinNames = {"sNone", "sA", "sB", "sAbort", "sDone"};

// A machine forced to spin: A and B hand over to each other at once,
// forever, and its abort goes back to A.
class SpinningMachine : public TPxFaxMachine<SpinState> {
public:
    SpinningMachine(TPxFaxLine& line, TPxFaxClient& client)
        : TPxFaxMachine(line, client, kSpinNames.data(), 0, SpinState::sNone, SpinState::sAbort,
                        SpinState::sDone) {}
    int steps = 0;
    int aborts = 0;

protected:
    bool prepare() override {
        setState(SpinState::sA);
        return true;
    }
    Flow continuation(SpinState s) const override {
        return s == SpinState::sDone ? Flow::Wait : Flow::Now;
    }
    void stateAction(TFaxEvent) override {
        ++steps;
        switch (state_) {
            case SpinState::sA:
                return setState(SpinState::sB);
            case SpinState::sB:
                return setState(SpinState::sA);
            case SpinState::sAbort:
                ++aborts;
                return setState(SpinState::sA);
            case SpinState::sNone:
            case SpinState::sDone:
                return;
        }
    }
    void onTimeout() override {}
    void onFrame() override {}
    LineUse screenLine(const std::string&) override { return LineUse::Evaluate; }
};

TEST(FaxMachine, AMachineThatReachesItsStepLimitFailsTheSession) {
    test::ScriptedModem modem({});
    test::RecordingClient client;
    SpinningMachine machine(modem, client);
    EXPECT_EQ(machine.start(), ecOK);  // it started; its first step ended it
    EXPECT_EQ(client.errors, (std::vector<int>{ecInternal}));
    EXPECT_EQ(client.finishes, 1);
    EXPECT_EQ(client.finishCode, ecInternal);
    EXPECT_TRUE(machine.finished());
    EXPECT_EQ(machine.state(), SpinState::sDone);
    // The abort state's action ran once (it would close files and hang up),
    // and did not start the spinning again.
    EXPECT_EQ(machine.aborts, 1);
    EXPECT_EQ(machine.steps, 100001);
    ASSERT_FALSE(modem.states().empty());
    EXPECT_EQ(modem.states().back(), "step limit");
    // Events after the end are not taken.
    machine.handleEvent(TFaxEvent::Data);
    EXPECT_EQ(machine.steps, 100001);
}

}  // namespace
}  // namespace px
