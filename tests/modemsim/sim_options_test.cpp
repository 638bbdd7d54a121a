#include "sim_options.h"

#include <gtest/gtest.h>
#include <spandsp.h>

#include <random>
#include <stdexcept>

namespace px {
namespace {

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> out;
    std::string word;
    for (char c : line) {
        if (c == ' ') {
            if (!word.empty()) {
                out.push_back(word);
            }
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        out.push_back(word);
    }
    return out;
}

TEST(SimOptions, ParsesEachModeWithItsOptions) {
    auto r = parseSimOptions(
        split("remote-receive --link /tmp/ttyFAX0 --out x.tif --report r.json --class 2.0 --id 123 "
              "--max-rate 9600 --standard --condition busy=2,snr=25 --timeout 60 --speed 2"));
    EXPECT_EQ(r.mode, SimMode::RemoteReceive);
    EXPECT_EQ(r.link, "/tmp/ttyFAX0");
    EXPECT_EQ(r.outFile, "x.tif");
    EXPECT_EQ(r.report, "r.json");
    EXPECT_EQ(r.modemClass, ModemClass::Class2_0);
    EXPECT_EQ(r.ident, "123");
    EXPECT_EQ(r.maxRate, 9600);
    EXPECT_FALSE(r.fine);
    EXPECT_EQ(r.conditions.busyCalls, 2);
    ASSERT_TRUE(r.conditions.snr.has_value());
    EXPECT_DOUBLE_EQ(*r.conditions.snr, 25.0);
    EXPECT_DOUBLE_EQ(r.timeout, 60.0);
    EXPECT_DOUBLE_EQ(r.speed, 2.0);

    auto s = parseSimOptions(split("remote-send --link L --in a.tif --ring-after 0.5 --class 2"));
    EXPECT_EQ(s.mode, SimMode::RemoteSend);
    EXPECT_EQ(s.modemClass, ModemClass::Class2);
    EXPECT_DOUBLE_EQ(s.ringAfter, 0.5);

    auto b = parseSimOptions(split("back-to-back --link A --link-b B"));
    EXPECT_EQ(b.mode, SimMode::BackToBack);
    EXPECT_EQ(b.linkB, "B");

    // The reference mode runs unpaced unless asked otherwise.
    auto ref = parseSimOptions(split("reference --in a.tif --out b.tif"));
    EXPECT_EQ(ref.mode, SimMode::Reference);
    EXPECT_DOUBLE_EQ(ref.speed, 0.0);
    EXPECT_FALSE(ref.oneDimensional);
    EXPECT_TRUE(parseSimOptions(split("reference --in a.tif --out b.tif --1d")).oneDimensional);

    // The demo line serves until stopped and calls a waiting DTE within seconds.
    auto d = parseSimOptions(split("demo --link L --inbox I --send a.tif --send-calls 2"));
    EXPECT_EQ(d.mode, SimMode::Demo);
    EXPECT_EQ(d.inbox, "I");
    EXPECT_EQ(d.inFile, "a.tif");
    EXPECT_EQ(d.sendCalls, 2);
    EXPECT_EQ(d.calls, 0);
    EXPECT_DOUBLE_EQ(d.ringAfter, 5.0);
    EXPECT_TRUE(parseSimOptions(split("demo --link L --inbox I")).inFile.empty());
    EXPECT_EQ(r.minScanMs, 0);
    EXPECT_EQ(parseSimOptions(split("remote-receive --link x --out y --scan-time 20")).minScanMs,
              20);
}

TEST(SimOptions, RejectsBadCommandLinesWithAReason) {
    const char* bad[] = {
        "",
        "fly --link x",
        "remote-receive --out x.tif",                                   // no link
        "remote-receive --link x",                                      // no output file
        "remote-send --link x",                                         // no input file
        "back-to-back --link a",                                        // no second link
        "reference --in a.tif",                                         // no output
        "remote-receive --link x --out y --class 3",                    // no such class
        "remote-receive --link x --out y --max-rate 5000",              // not a fax rate
        "remote-receive --link x --out y --scan-time 15",               // not a T.30 scan time
        "remote-receive --link x --out y --timeout -1",                 // negative
        "remote-receive --link x --out y --timeout",                    // value missing
        "remote-receive --link x --out y --speed 0",                    // frozen line with a DTE
        "remote-receive --link x --out y --condition snr",              // value missing
        "remote-receive --link x --out y --condition flood",            // unknown condition
        "remote-receive --link x --out y --condition damage-remote=0",  // frames count from 1
        "remote-receive --link x --out y --condition drop-remote=2*",   // count missing
        "remote-receive --link x --out y --condition damage-local=x",   // not a number
        "remote-receive --link x --out y --condition dcn-for=eop",      // not an answer
        "remote-receive --link x --out y --id 123456789012345678901",   // 21 characters
        "remote-receive --link x --out y --bogus",
        "demo --link x",                        // no inbox
        "demo --inbox x",                       // no link
        "demo --link x --inbox y --calls 2",    // serves until stopped
        "demo --link x --inbox y --out z.tif",  // faxes go to the inbox
        "demo --link x --inbox y --send-calls -1",
    };
    for (const char* line : bad) {
        EXPECT_THROW(parseSimOptions(split(line)), std::invalid_argument) << line;
    }
}

TEST(SimOptions, ConditionsDescribeThemselvesInTheirOwnSyntax) {
    CallConditions c = parseCondition(
        "busy=3,no-answer,no-dial-tone,voice,data-modem,hangup-after-page=2,snr=18.5,dead-modem,"
        "mute-modem,vanish=4,hangup-in-page=3,train-fail=2,rtn=1",
        {});
    EXPECT_EQ(c.busyCalls, 3);
    EXPECT_TRUE(c.noAnswer && c.noDialTone && c.voiceAnswer && c.dataAnswer && c.deadModem &&
                c.muteModem);
    EXPECT_EQ(c.hangupAfterPage, 2);
    EXPECT_EQ(c.hangupInPage, 3);
    EXPECT_EQ(c.trainFailures, 2);
    EXPECT_EQ(c.rtnPage, 1);
    CallConditions again = parseCondition(c.describe(), {});
    EXPECT_EQ(again.describe(), c.describe());
    EXPECT_EQ(parseCondition("busy", {}).busyCalls, 1);
    EXPECT_EQ(parseCondition("train-fail", {}).trainFailures, 1);
    EXPECT_THROW(parseCondition("hangup-in-page", {}), std::invalid_argument);
}

TEST(SimOptions, FrameFaultsNameTheirFramesAndRoundTrip) {
    CallConditions c = parseCondition(
        "damage-remote=2,drop-remote=3*20,damage-local=4*2,tcf-silence=2,dcn-for=mcf*2", {});
    const LineFaults& f = c.faults;
    EXPECT_TRUE(f.damageRemote.covers(2));
    EXPECT_FALSE(f.damageRemote.covers(3));
    EXPECT_TRUE(f.dropRemote.covers(3) && f.dropRemote.covers(22));
    EXPECT_FALSE(f.dropRemote.covers(2) || f.dropRemote.covers(23));
    EXPECT_TRUE(f.damageLocal.covers(5));
    EXPECT_FALSE(f.damageLocal.covers(6));
    EXPECT_EQ(f.tcfSilence, 2);
    EXPECT_EQ(f.dcnFor, T30_MCF);
    EXPECT_EQ(f.dcnTimes, 2);
    EXPECT_EQ(parseCondition(c.describe(), {}).describe(), c.describe());
    EXPECT_EQ(parseCondition("tcf-silence", {}).faults.tcfSilence, 1);
    EXPECT_FALSE(parseCondition("snr=20", {}).faults.any());
}

// Mutated command lines give options or a clean error, nothing else.
TEST(SimOptions, MutatedCommandLinesParseOrFailCleanly) {
    const std::vector<std::string> words = {"remote-receive",
                                            "remote-send",
                                            "back-to-back",
                                            "reference",
                                            "--link",
                                            "--link-b",
                                            "--in",
                                            "--out",
                                            "--class",
                                            "2.0",
                                            "1",
                                            "--condition",
                                            "busy=x",
                                            "snr=",
                                            "--speed",
                                            "1e309",
                                            "-0",
                                            "--timeout",
                                            "nan",
                                            "--id",
                                            "",
                                            "--max-rate",
                                            "14400",
                                            "=",
                                            ","};
    std::mt19937 random(42);
    for (int round = 0; round < 5000; ++round) {
        std::vector<std::string> args;
        int n = static_cast<int>(random() % 8);
        for (int i = 0; i < n; ++i) {
            args.push_back(words[random() % words.size()]);
        }
        try {
            SimOptions o = parseSimOptions(args);
            EXPECT_GE(o.speed, 0.0);
        } catch (const std::invalid_argument&) {
        }
    }
}

}  // namespace
}  // namespace px
