// Locale-independent "%W.Pf" formatting for the point-value fields.
#include "sweep/point_text.h"

#include <charconv>
#include <cmath>

namespace {

// to_chars never consults the C locale, which the Qt application sets from the environment.
std::string FixedText(double value, int width, int precision) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
  std::string text(buffer, result.ptr);
  if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), ' ');
  return text;
}

}  // namespace

std::string FrequencyText(double megahertz) { return FixedText(megahertz, 11, 3); }
std::string LevelText(double decibels) { return FixedText(decibels, 4, 1); }
