// The trace and the dispatch log, as their files show them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "comms/px_dispatch_log.h"
#include "comms/px_trace_buffer.h"

namespace px {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(Trace, ShowsEachDirectionUnderItsHeader) {
    TPxTraceBuffer trace;
    trace.start(100);
    trace.add('T', reinterpret_cast<const uint8_t*>("AT\r"), 3);
    trace.add('R', reinterpret_cast<const uint8_t*>("\r\nOK\r\n"), 6);
    EXPECT_EQ(trace.format(true), "Transmit: \nAT[0D]\n\nReceive: \n[0D][0A]OK[0D][0A]\n");
    trace.clear();
    trace.add('T', reinterpret_cast<const uint8_t*>(" \x7f\x05\xc8"), 4);
    trace.add('X', 'a');
    EXPECT_EQ(trace.format(false), "Transmit: \n [127][5][200]\n\nSpecial-X: \na\n");
    EXPECT_EQ(trace.format(true), "Transmit: \n[20][7F][05][C8]\n\nSpecial-X: \na\n");
}

TEST(Trace, KeepsTheNewestEntriesAndBreaksLinesBeforeColumn78) {
    TPxTraceBuffer trace;
    trace.start(4);
    trace.add('R', reinterpret_cast<const uint8_t*>("abcdef"), 6);
    EXPECT_EQ(trace.format(true), "Receive: \ncdef\n");
    trace.start(200);
    std::string bytes(30, '\x01');
    trace.add('R', reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    std::string text = trace.format(true);
    // 19 items of 4 columns fit in 78; the 20th starts a new line.
    std::string expectedFirst;
    for (int i = 0; i < 19; ++i)
        expectedFirst += "[01]";
    EXPECT_EQ(text.substr(10, 76 + 1), expectedFirst + "\n");
    EXPECT_EQ(TPxTraceBuffer().format(true), "");
}

TEST(Trace, DumpWritesOnlyWhatWasRecorded) {
    const std::string path = ::testing::TempDir() + "px_trace_test.trc";
    std::remove(path.c_str());
    TPxTraceBuffer trace;
    trace.start(10);
    EXPECT_EQ(trace.dump(path, true, false), ecOK);
    EXPECT_FALSE(std::ifstream(path).good());
    trace.start(10);
    trace.add('T', 'A');
    EXPECT_EQ(trace.dump(path, true, false), ecOK);
    EXPECT_FALSE(trace.active());
    trace.start(10);
    trace.add('R', 'B');
    EXPECT_EQ(trace.dump(path, true, true), ecOK);
    EXPECT_EQ(readFile(path), "Transmit: \nA\nReceive: \nB\n");
    trace.start(10);
    trace.add('R', 'B');
    EXPECT_EQ(trace.dump("/nonexistent-dir/x.trc", true, false), ecFileNotFound);
}

TEST(DispatchLog, FormatsTimeTypeSubtypeAndData) {
    EXPECT_EQ(TPxDispatchLog::formatTime(12345), "0012.345");
    EXPECT_EQ(TPxDispatchLog::formatTime(0), "0000.000");
    TPxLogEntry read{ltDispatch, lsReadCom, 12345, 0, {'O', 'K', '\r'}};
    EXPECT_EQ(TPxDispatchLog::formatEntry(read, true),
              "0012.345  Dispatch  ReadCom       00000000  OK[0D]");
    TPxLogEntry alloc{ltTriggerAlloc, lsStatusTrigger, 5, 0x1B, {3}};
    EXPECT_EQ(TPxDispatchLog::formatEntry(alloc, true),
              "0000.005  TrigAllc  Status        0000001b  (Output buffer free)");
    TPxLogEntry modem{ltDispatch, lsModemStatus, 0, 0xB8, {}};
    EXPECT_EQ(TPxDispatchLog::formatEntry(modem, true),
              "0000.000  Dispatch  Modem status  000000b8   (DDCD CTS DSR DCD)");
    TPxLogEntry fax{ltFax, lsFaxTransmitBase + 9, 70, 12, {}};
    EXPECT_EQ(TPxDispatchLog::formatEntry(fax, true),
              "0000.070  Fax       tfDial        0000000c  ");
    TPxLogEntry none{ltTrigger, lsNone, 1, 2, {}};
    EXPECT_EQ(TPxDispatchLog::formatEntry(none, true),
              "0000.001  Trigger                 00000002  ");
    // Long data wraps at column 79 and continues under the data column.
    TPxLogEntry longData{ltDispatch, lsWriteCom, 0, 0, std::vector<uint8_t>(40, 'x')};
    std::string line = TPxDispatchLog::formatEntry(longData, true);
    EXPECT_EQ(line, std::string("0000.000  Dispatch  WriteCom      00000000  ") +
                        std::string(35, 'x') + "\n" + std::string(44, ' ') + "xxxxx");
}

TEST(DispatchLog, DropsTheOldestEntriesToMakeRoom) {
    TPxDispatchLog log;
    log.start(100);
    const uint8_t data[20] = {};
    for (uint32_t i = 0; i < 10; ++i) {
        log.add(ltUser, 0, i, i, data, 20);  // 36 bytes each: two fit
    }
    auto entries = log.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].value, 8u);
    EXPECT_EQ(entries[1].value, 9u);
    log.add(ltUser, 0, 0, 99, nullptr, 84);  // header + data = 100: never fits
    EXPECT_EQ(log.entries().size(), 2u);
    log.add(ltUser, 0, 0, 98, nullptr, 0);
    EXPECT_EQ(log.entries().back().value, 98u);
}

TEST(DispatchLog, FileHasTheBannerAndColumnHeader) {
    const std::string path = ::testing::TempDir() + "px_log_test.log";
    TPxDispatchLog log;
    log.start(1000);
    log.add(ltTrigger, lsTimer, 55, 8);
    ASSERT_EQ(log.dump(path, true, false), ecOK);
    std::string text = readFile(path);
    EXPECT_EQ(text.rfind("PXCOM v1.0\nCompiler : ", 0), 0u);
    EXPECT_NE(text.find("\nOperating System : "), std::string::npos);
    EXPECT_NE(text.find("Time      Type      SubType       Data      OtherData\n"
                        "--------  --------  ------------  --------  ---------\n"
                        "0000.055  Trigger   Timer         00000008  \n"),
              std::string::npos);
    EXPECT_FALSE(log.active());
    std::remove(path.c_str());
    log.start(1000);
    EXPECT_EQ(log.dump(path, true, false), ecOK);  // empty: nothing written
    EXPECT_FALSE(std::ifstream(path).good());
}

}  // namespace
}  // namespace px
