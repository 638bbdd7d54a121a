// Pieces of a Class 1 transmit transcript against a remote that answers at
// 9600 with 20 ms scan time, and the fax files such a session sends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scripted_modem.h"

namespace px::test {

// A file in this test run's temporary folder.
std::string tempPath(const std::string& name);
// Page data of raw coded octets, with a DLE among them and no DLE ETX.
std::vector<uint8_t> pageBytes(size_t size, uint8_t seed);
// An APF file of `pages` pages of pageBytes(size, page index).
std::string makeApf(const std::string& name, int pages, size_t size, uint16_t flags = 0);
// `data` as sent to the modem, every DLE doubled.
std::string stuffed(const std::vector<uint8_t>& data);

// The 8 blank lines the engine sends before every page, each padded to
// `minBytes` octets (20 ms at 9600 bit/s: 24), then the header line's `rows`,
// then zeros up to the buffer minimum of 1000 (the scripted output is always
// empty, so all of them). A real port has sent some of the lines by then:
// `fill` = false leaves the zeros out, for a step whose fill allows them.
// Before a 2048-pel page (`wide`) each blank line is coded that wide.
std::string pageHeader(size_t minBytes = 24, const std::string& rows = "", bool fill = true,
                       bool wide = false);
// The training check at `bps`: 1.5 s of zeros (at most 8192), then DLE ETX.
std::string trainingCheck(uint32_t bps);
// Page `page` (from 1) of a text file as a text cover is drawn with the
// built-in font: each line coded and padded to `minBytes`, then RTC.
std::string textCoverPage(const std::string& textFile, int page, size_t minBytes);

std::vector<Exchange> class1Preparation();
// From the class command to the page modulation's CONNECT; with `wide` the
// remote also takes 2048-pel pages, and the DCS asks for them.
std::vector<Exchange> class1Negotiation(const std::string& dial, const std::string& trainCode,
                                        bool wide = false);
// One page at 9600: all the engine sends of it (header and data; then DLE
// ETX), the post-page message answered with MCF, then the next page's
// modulation after MPS, or DCN and the hang-up after EOP.
std::vector<Exchange> class1Page(const std::string& page, uint8_t postPage);
void append(std::vector<Exchange>& to, const std::vector<Exchange>& steps);
// How the engine leaves a Class 1 call it gives up on while the far end is on
// the line: a blank that ends any pending reception, then DCN.
std::vector<Exchange> class1Dcn();

}  // namespace px::test
