#include "class1_script.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "fax/apf/px_apf_format.h"
#include "fax/apf/px_apf_writer.h"
#include "fax/engine/px_hdlc_frame.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_text_reader.h"

namespace px::test {

std::string tempPath(const std::string& name) {
    auto dir = std::filesystem::temp_directory_path() / ("pxtx" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

std::vector<uint8_t> pageBytes(size_t size, uint8_t seed) {
    // A 1 bit in each half of every octet: no run of zeros that could read
    // as an EOL, so the data goes to the modem as it is stored.
    std::vector<uint8_t> data(size);
    for (size_t i = 0; i < size; ++i) {
        data[i] = static_cast<uint8_t>(((i * 7 + seed) % 251) | 0x11);
    }
    data[100] = 0x10;
    return data;
}

std::string makeApf(const std::string& name, int pages, size_t size, uint16_t flags) {
    std::string path = tempPath(name);
    TPxApfWriter w;
    EXPECT_EQ(w.create(path), ecOK);
    for (int p = 0; p < pages; ++p) {
        auto data = pageBytes(size, static_cast<uint8_t>(p));
        w.beginPage(flags);
        w.writeRaw(data.data(), data.size());
        w.endPage();
    }
    EXPECT_EQ(w.finish(), ecOK);
    return path;
}

std::string stuffed(const std::vector<uint8_t>& data) {
    std::string out;
    for (uint8_t b : data) {
        out += static_cast<char>(b);
        if (b == 0x10) {
            out += static_cast<char>(0x10);
        }
    }
    return out;
}

std::string pageHeader(size_t minBytes, const std::string& rows, bool fill, bool wide) {
    std::string out;
    for (int i = 0; i < 8; ++i) {
        if (wide) {
            const std::vector<uint8_t> white(2048 / 8, 0);
            TPxT4Encoder::Record record;
            const size_t n = TPxT4Encoder::codeLine(white.data(), 2048, 0, false, record.data());
            out += stuffed(std::vector<uint8_t>(record.begin(), record.begin() + n));
            out.append(n < minBytes ? minBytes - n : 0, '\0');
            continue;
        }
        out.append(kApfBlankRecord.begin(), kApfBlankRecord.end());
        out.append(minBytes >= 7 ? minBytes - 5 : 0, '\0');
    }
    out += rows;
    if (fill) {
        out.append(1000, '\0');
    }
    return out;
}

std::string trainingCheck(uint32_t bps) {
    return std::string(std::min<size_t>(bps / 100 * 18, 8192), '\0') + "\x10\x03";
}

std::string textCoverPage(const std::string& textFile, int page, size_t minBytes) {
    TPxTextReader reader;
    EXPECT_EQ(reader.setup(TFaxFont::ffStandard, false, 1728, 48), ecOK);
    EXPECT_EQ(reader.open(textFile), ecOK);
    std::string out;
    std::vector<uint8_t> raster(TPxFaxInputReader::kRasterBytes);
    for (int at = 1; at <= page;) {
        std::fill(raster.begin(), raster.end(), 0);
        unsigned len = 0;
        bool endOfPage = false;
        bool more = false;
        if (reader.readLine(raster.data(), len, endOfPage, more) != ecOK) {
            ADD_FAILURE() << "cannot draw " << textFile;
            break;
        }
        if (endOfPage) {
            ++at;
            continue;
        }
        if (at == page) {
            TPxT4Encoder::Record record;
            size_t n = TPxT4Encoder::codeLine(raster.data(), 1728, 48, false, record.data());
            out += stuffed(std::vector<uint8_t>(record.begin(), record.begin() + n));
            out.append(n < minBytes ? minBytes - n : 0, '\0');
        }
    }
    reader.close();
    out.append(kApfEndOfPageRecord.begin(), kApfEndOfPageRecord.end());
    return out;
}

namespace {
// DIS of a V.29/V.27ter fine-capable remote: 9600 at best, 20 ms scan time.
const std::vector<uint8_t> kRemoteDis = {0x80, 0x00, 0x4C, 0x00 /* scan code 5: 20 ms */};
}  // namespace

std::vector<Exchange> class1Preparation() {
    return {EXCHANGE("ATE0Q0V1X4S0=0S2=43\r", "\r\nOK\r\n"),
            EXCHANGE("AT+FCLASS=1\r", "\r\nOK\r\n"),
            EXCHANGE("AT+FTM=?\r", "\r\n24,48,72,73,74,96,97,98,121,122,145,146\r\n\r\nOK\r\n")};
}

std::vector<Exchange> class1Negotiation(const std::string& dial, const std::string& trainCode,
                                        bool wide) {
    std::vector<uint8_t> dis = kRemoteDis;
    if (wide) {
        dis[1 + kFifPageOctet] |= kFifWidth2048;  // after the control field
    }
    return {
        EXCHANGE("AT+FCLASS=1\r", "\r\nOK\r\n"),
        {dial, modemFrame(buildIdFrame(fcfCSI, "REMOTE 42"), false)},
        EXCHANGE("AT+FRH=3\r", ""),
        {"", modemFrame(dis, true)},
        EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"),
        {engineFrame(buildIdFrame(fcfTSI, "PARVEX"), false), "\r\nCONNECT\r\n"},
        {engineFrame(buildDcs(4, false, wide, 5), true), "\r\nOK\r\n"},
        {"AT+FTM=" + trainCode + "\r", "\r\nCONNECT\r\n"},
        {trainingCheck(9600), "\r\nOK\r\n"},
        EXCHANGE("AT+FRH=3\r", ""),
        {"", modemFrame({fcfCFR}, true)},
        {"AT+FTM=" + trainCode + "\r", "\r\nCONNECT\r\n"},
    };
}

std::vector<Exchange> class1Dcn() {
    return {EXCHANGE(" ", "\r\nOK\r\n"),
            EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"),
            {engineFrame({fcfDCN}, true), "\r\nOK\r\n"}};
}

void append(std::vector<Exchange>& to, const std::vector<Exchange>& steps) {
    to.insert(to.end(), steps.begin(), steps.end());
}

std::vector<Exchange> class1Page(const std::string& page, uint8_t postPage) {
    std::vector<Exchange> steps = {
        {page + "\x10\x03", "\r\nOK\r\n"},
        EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"),
        {engineFrame({postPage}, true), "\r\nOK\r\n"},
        EXCHANGE("AT+FRH=3\r", ""),
        {"", modemFrame({fcfMCF}, true)},
    };
    if (postPage == fcfMPS) {
        steps.push_back(EXCHANGE("AT+FTM=96\r", "\r\nCONNECT\r\n"));
    } else {
        steps.push_back(EXCHANGE("AT+FTH=3\r", "\r\nCONNECT\r\n"));
        steps.push_back({engineFrame({fcfDCN}, true), "\r\nOK\r\n"});
        steps.push_back(EXCHANGE("ATH\r", "\r\nOK\r\n"));
    }
    return steps;
}

}  // namespace px::test
