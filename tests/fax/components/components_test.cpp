// The fax components without a modem: starting checks, joining files, the
// history file and the destination folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "common/px_exceptions.h"
#include "fax/apf/px_apf_reader.h"
#include "fax/apf/px_apf_writer.h"
#include "fax/components/px_fax_log.h"
#include "fax/components/px_receive_fax.h"
#include "fax/components/px_send_fax.h"

namespace px {
namespace {

std::string tempPath(const std::string& name) {
    auto dir = std::filesystem::temp_directory_path() / ("pxcmp" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

std::string makeApf(const std::string& name, int pages) {
    std::string path = tempPath(name);
    TPxApfWriter w;
    EXPECT_EQ(w.create(path), ecOK);
    for (int p = 0; p < pages; ++p) {
        uint8_t data[3] = {0x00, 0x80, static_cast<uint8_t>(p)};
        w.beginPage(kApfFine);
        w.writeRaw(data, sizeof data);
        w.endPage();
    }
    EXPECT_EQ(w.finish(), ecOK);
    return path;
}

TEST(SendFaxComponent, StartingChecksRaiseBeforeAnythingIsSent) {
    TPxSendFax fax;
    fax.PhoneNumber = "1";
    try {
        fax.BeginSending();
        FAIL() << "no exception";
    } catch (const EPxException& e) {
        EXPECT_EQ(e.ErrorCode(), ecPortNotAssigned);
    }
    TPxComPort port;
    fax.setComPort(&port);
    EXPECT_EQ(port.Baud(), 19200u);
    EXPECT_EQ(port.OutSize(), 8192);
    port.setOutSize(4096);
    try {
        fax.BeginSending();
        FAIL() << "no exception";
    } catch (const EPxException& e) {
        EXPECT_EQ(e.ErrorCode(), ecOutputBufferTooSmall);
    }
    EXPECT_FALSE(port.Open());

    // A socket device layer cannot carry a fax, for either direction.
    port.setOutSize(8192);
    port.setDeviceLayer(dlWinsock);
    EXPECT_THROW(fax.BeginSending(), ECannotUseWithWinSock);
    TPxReceiveFax receive;
    receive.setComPort(&port);
    EXPECT_THROW(receive.BeginReceiving(), ECannotUseWithWinSock);
    EXPECT_FALSE(port.Open());
}

TEST(SendFaxComponent, JoinsFilesAndRefusesOnesThatAreNotApf) {
    TPxSendFax fax;
    fax.FaxFileList = {makeApf("a.apf", 2), makeApf("b.apf", 3)};
    std::string joined = tempPath("joined.apf");
    fax.JoinFaxFiles(joined);
    TPxApfReader reader;
    ASSERT_EQ(reader.open(joined), ecOK);
    ASSERT_EQ(reader.pageCount(), 5u);
    ApfPageInfo page;
    ASSERT_EQ(reader.findPage(5, page), ecOK);
    std::vector<uint8_t> data;
    reader.readPage(page, [&](const uint8_t* d, size_t n) {
        data.insert(data.end(), d, d + n);
        return true;
    });
    EXPECT_EQ(data, (std::vector<uint8_t>{0x00, 0x80, 0x02}));

    std::string text = tempPath("note.txt");
    std::ofstream(text) << "not a fax";
    fax.FaxFileList.push_back(text);
    EXPECT_THROW(fax.JoinFaxFiles(tempPath("bad.apf")), EFaxBadFormat);
}

TEST(ReceiveFaxComponent, DestinationDirGetsItsSeparator) {
    TPxReceiveFax fax;
    fax.setDestinationDir("/tmp/in");
    EXPECT_EQ(fax.DestinationDir(), "/tmp/in/");
    fax.setDestinationDir("/tmp/in/");
    EXPECT_EQ(fax.DestinationDir(), "/tmp/in/");
    fax.setDestinationDir("C:");
    EXPECT_EQ(fax.DestinationDir(), "C:");
}

TEST(FaxHistory, LinesForEveryLogCode) {
    TPxSendFax send;
    send.FaxFileList = {"A.APF", "B.APF"};
    send.PhoneNumber = "555";
    const std::string at = "01/02/2026 10:11:12";
    EXPECT_EQ(TPxFaxLog::logText(send, lfaxTransmitStart, at),
              "Transmit A.APF to 555 started at " + at + "\r\nTransmit B.APF to 555 started at " +
                  at + "\r\n");
    EXPECT_EQ(TPxFaxLog::logText(send, lfaxTransmitOk, at),
              "Transmit to  finished OK at " + at + " 0\r\n\r\n");
    EXPECT_EQ(TPxFaxLog::logText(send, lfaxTransmitFail, at),
              "Transmit failed at " + at + "\r\n  (OK) 0\r\n\r\n");
    TPxReceiveFax receive;
    receive.FaxFile = "FAX0001.APF";
    EXPECT_EQ(TPxFaxLog::logText(receive, lfaxReceiveStart, at),
              "Receive FAX0001.APF from  started at " + at + "\r\n");
    EXPECT_EQ(TPxFaxLog::logText(receive, lfaxReceiveOk, at),
              "Receive finished OK at " + at + "\r\n\r\n");
    EXPECT_EQ(TPxFaxLog::logText(receive, lfaxReceiveSkip, at),
              "Receive skipped at " + at + "\r\n\r\n");
    EXPECT_EQ(TPxFaxLog::logText(receive, 99, at), "");

    TPxFaxLog log;
    log.FaxHistoryName = tempPath("PXFAX.HIS");
    std::filesystem::remove(log.FaxHistoryName);
    log.UpdateLog(receive, lfaxReceiveOk);
    log.UpdateLog(receive, lfaxReceiveSkip);
    std::ifstream in(log.FaxHistoryName);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(all.find("Receive finished OK"), 0u);
    EXPECT_NE(all.find("Receive skipped"), std::string::npos);
    log.FaxHistoryName.clear();
    log.UpdateLog(receive, lfaxReceiveOk);  // disabled: nothing happens
}

}  // namespace
}  // namespace px
