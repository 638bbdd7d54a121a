// The configuration report as text lines: a pure function of the gathered
// facts and the settings record, so that every line can be checked without
// the machine it describes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/report/configuration_facts.h"

namespace px {

struct Settings;

inline constexpr const char* kProductName = "Parvex";

std::vector<std::string> configurationReportLines(const TConfigurationFacts& facts,
                                                  const Settings& settings);

// The lines joined with line feeds, a line feed after the last.
std::string configurationReportText(const std::vector<std::string>& lines);

// 1234567 → "1,234,567".
std::string withThousands(std::uint64_t value);

// Colours a screen of `bitsPerPixel` shows, "" for a depth with no count.
std::string colourCount(int bitsPerPixel);

}  // namespace px
