// The two texts shown for a measured point, fixed formats with a full stop whatever the locale.
#pragma once

#include <string>

// "%11.3f": frequency in MHz right-aligned in eleven characters with three decimals.
std::string FrequencyText(double megahertz);
// "%4.1f": level in dB with one decimal in at least four characters.
std::string LevelText(double decibels);
