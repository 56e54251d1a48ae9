// Building the set-frequency frame and reading the level reply's digits.
#include "instrument/frames.h"

#include <charconv>
#include <cstdlib>

#include "sweep/numeric_rules.h"

namespace frames {

namespace {

// White space as the C locale's isspace sees it; the link never depends on the user's locale.
constexpr bool IsSpace(std::uint8_t byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }

constexpr int HexDigitValue(std::uint8_t byte) {
  if (byte >= '0' && byte <= '9') return byte - '0';
  if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
  if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
  return -1;
}

}  // namespace

std::string NineDigitText(std::int32_t value) {
  // The magnitude of INT32_MIN does not fit an int32_t.
  const std::int64_t magnitude = std::llabs(static_cast<std::int64_t>(value));
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
  const std::size_t digitCount = static_cast<std::size_t>(end - digits);
  const std::size_t width = value < 0 ? 8 : 9;  // the sign takes one of the nine places
  std::string text = value < 0 ? "-" : "";
  if (digitCount < width) text.append(width - digitCount, '0');
  text.append(digits, end);
  return text;
}

std::vector<std::uint8_t> SetFrequencyFrame(double megahertz) {
  const std::string digits = NineDigitText(numeric_rules::KhzValue(megahertz));
  std::vector<std::uint8_t> frame;
  frame.reserve(digits.size() + 5);
  frame.push_back(kSoh);
  frame.push_back(kFrequencyCommand);
  frame.push_back(kStx);
  for (const char digit : digits) frame.push_back(static_cast<std::uint8_t>(digit));
  frame.push_back(kEtx);
  frame.push_back(0);
  return frame;
}

std::int32_t ReplyValue(std::span<const std::uint8_t> text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  std::int32_t value = 0;
  for (int taken = 0; taken < 4 && i < text.size(); ++taken, ++i) {
    const int digit = HexDigitValue(text[i]);
    if (digit < 0) break;
    value = value * 16 + digit;
  }
  return value;
}

}  // namespace frames
