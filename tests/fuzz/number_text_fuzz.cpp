// Fuzzes the text-to-number conversion with both separators, and the general format with arbitrary doubles: the
// two parse functions agree, errors carry their message, and a formatted number reads back to the same text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "fuzz_check.h"
#include "sweep/app_error.h"
#include "sweep/number_text.h"

namespace {

// The general format rounds to 15 digits; above this the text rounds past the largest double and reads as an
// overflow, as it did in the instrument's earlier program.
constexpr double kLargestRoundTrip = 1.79769313486231e308;

// A finite value's text reads back as a value with the same text: 15 significant digits survive a double.
void CheckRoundTrip(double value, char separator) {
  if (!std::isfinite(value) || std::fabs(value) > kLargestRoundTrip) return;
  const std::string text = number_text::FormatGeneral(value, separator);
  FUZZ_REQUIRE(text.find(separator == '.' ? ',' : '.') == std::string::npos);
  const std::optional<double> back = number_text::TryParseFloat(text, separator);
  FUZZ_REQUIRE(back.has_value());
  FUZZ_REQUIRE(number_text::FormatGeneral(*back, separator) == text);
  // 15 significant digits: the value read back lies within a rounding step of the one formatted.
  FUZZ_REQUIRE(std::fabs(*back - value) <= std::fabs(value) * 1e-14);
}

void CheckText(const std::string& text, char separator) {
  const std::optional<double> tried = number_text::TryParseFloat(text, separator);
  std::optional<double> parsed;
  std::string error;
  try {
    parsed = number_text::ParseFloat(text, separator);
  } catch (const AppError& e) {
    error = e.what();
  }
  FUZZ_REQUIRE(parsed.has_value() == tried.has_value());
  if (parsed) {
    FUZZ_REQUIRE(std::isfinite(*parsed));
    FUZZ_REQUIRE(std::memcmp(&*parsed, &*tried, sizeof(double)) == 0);
    CheckRoundTrip(*parsed, separator);
  } else {
    // what() is a C string: a text with a NUL byte shows up to that byte.
    const std::string invalid = "'" + text + "' is not a valid floating point value";
    FUZZ_REQUIRE(error == "Floating point overflow" || error == invalid.c_str());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckText(text, '.');
  CheckText(text, ',');
  if (size >= sizeof(double)) {
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    CheckRoundTrip(value, '.');
    CheckRoundTrip(value, ',');
  }
  return 0;
}
