// How long the fax engine waits, each duration named after what it waits for.
//
// Timers count in the serial layer's ticks of 55 ms; whole seconds become
// ticks as seconds × 1675 / 92 (secondsToTicks, comms/px_clock.h) and
// milliseconds as ms × 1675 / 92000. Pauses, the short fixed waits between
// what the engine writes, are in milliseconds.
#pragma once

#include <cstdint>

#include "comms/px_clock.h"

namespace px {

constexpr int32_t millisecondsToTicks(int32_t ms) {
    return static_cast<int32_t>(static_cast<int64_t>(ms) * 1675 / 92000);
}

// --- Timer waits, in ticks.

// The answer to a command ("OK", "CONNECT"); the modem record's default.
constexpr int32_t kResponseWait = secondsToTicks(10);
// The next block of page data, and a Class 2 page's results.
constexpr int32_t kDataWait = secondsToTicks(60);
// The far end to answer after dialling, or to connect after "ATA".
constexpr int32_t kDialWait = secondsToTicks(60);
// Between the dials of a busy or unanswered number.
constexpr int32_t kDialRetryWait = secondsToTicks(60);
// The far end's response to a command frame: T.30 timer T4 (3 s).
constexpr int32_t kT4ResponseWait = secondsToTicks(3);
// The caller's DCS after we answered (or after EOM): T.30 timer T1, 35 s.
// A caller that sends no fax frames at all, such as a data modem, is given
// up when it has passed, whatever the modem keeps reporting meanwhile.
constexpr uint32_t kT1IdentifyMs = 35000;
// The XON with which a modem says it is ready for page data; without one
// the page goes when this has passed.
constexpr int32_t kXonWait = secondsToTicks(1);
// The CONNECT after "AT+FDT", while a Class 2 modem negotiates the page.
constexpr int32_t kPageConnectWait = secondsToTicks(30);
// The "OK" of "ATH" after DCN; then the line is hung up by force.
constexpr int32_t kHangupWait = millisecondsToTicks(1430);
// The first timer event: a session that starts on a call the modem has
// already answered takes its first step on it.
constexpr int32_t kAtOnce = 1;
// A timer armed with this is off.
constexpr int32_t kTimerOff = 0;

// Page data still in the modem when the last of it is written: the wait for
// the modem to finish grows with the line time of what was written.
constexpr int32_t lineTimeTicks(uint64_t octets, uint32_t bps) {
    return bps == 0 ? 0 : static_cast<int32_t>((octets * 8 * 1675) / (uint64_t{bps} * 92) + 1);
}

static_assert(kResponseWait == 182 && kDataWait == 1092 && kDialWait == 1092 &&
                  kDialRetryWait == 1092 && kT4ResponseWait == 54 && kXonWait == 18 &&
                  kPageConnectWait == 546 && kHangupWait == 26,
              "the waits in ticks, as the engine has always armed them");

// --- Pauses, in milliseconds.

// Before an AT command: the modem has finished its last answer.
constexpr uint32_t kAtCommandPauseMs = 100;
// Before a modulation command ("AT+FTM=", "AT+FRM=", "AT+FRH=3", "AT+FTH=3").
constexpr uint32_t kModulationPauseMs = 40;
// Before the first octet of a frame, after the CONNECT of "AT+FTH=3".
constexpr uint32_t kFramePauseMs = 20;
// The line turns round: after the far end's last frame (or our training)
// and before we talk or listen again.
constexpr uint32_t kTurnaroundPauseMs = 200;
// Before the first post-page message: T.30 wants it 75 ms after the page
// carrier, which the modem has just reported off.
constexpr uint32_t kPostPagePauseMs = 40;
// Before a post-page message sent again.
constexpr uint32_t kPostPageRetryPauseMs = 500;
// After the training check's carrier has dropped, before "AT+FTH=3".
constexpr uint32_t kCarrierOffPauseMs = 20;
// Silence around the "+++" escape, and after "ATH0" before the input is
// flushed.
constexpr uint32_t kEscapeGuardMs = 1000;
// Ending a Class 1 call on our side: the modem's answer to DLE ETX or to a
// reception cut short, its CONNECT for "AT+FTH=3", and DCN on the line (the
// 1 s V.21 preamble and the frame) before "ATH0".
constexpr uint32_t kEndDataPauseMs = 500;
constexpr uint32_t kFrameConnectPauseMs = 500;
constexpr uint32_t kDcnOnLinePauseMs = 2000;
// DTR held low to hang up a modem that ignored "ATH0", then the wait after
// raising it again.
constexpr uint32_t kDtrDropMs = 500;
// After an answer that commandAndAwaitOK has read, before the rest of the
// input is thrown away.
constexpr uint32_t kAfterReplyPauseMs = 20;
// Blocking reads poll the input at this interval.
constexpr uint32_t kReadPollMs = 10;
// Before the line's rate is switched (9 ticks).
constexpr uint32_t kLineRatePauseMs = 9 * kMsPerTick;
// Before a Class 2 page's "AT+FDT" that follows the last page (5 ticks).
constexpr uint32_t kNextPagePauseMs = 5 * kMsPerTick;

}  // namespace px
