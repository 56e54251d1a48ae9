// General-format number texts and the strict text-to-number grammar, independent of the C locale.
#include "sweep/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

#include "sweep/app_error.h"

namespace number_text {

namespace {

constexpr int kSignificantDigits = 15;
// Decimal exponents beyond these give infinity or zero in a double whatever the digits.
constexpr std::int64_t kOverflowExponent = 309;
constexpr std::int64_t kUnderflowExponent = -325;
// Exponent digits are summed up to this bound; any text a computer can hold stays far inside it.
constexpr std::int64_t kExponentBound = std::int64_t{1} << 50;

std::string IntegerText(std::int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string FormatGeneral(double value, char separator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";

  // Scientific form rounded to 15 significant digits: [-]d.dddddddddddddde(+|-)xx
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                                    kSignificantDigits - 1);
  const std::string scientific(buffer, result.ptr);
  const bool negative = scientific[0] == '-';
  const std::size_t ePos = scientific.find('e');
  std::string digits;
  for (std::size_t i = negative ? 1 : 0; i < ePos; ++i)
    if (scientific[i] != '.') digits += scientific[i];
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::size_t expStart = ePos + 1;
  if (scientific[expStart] == '+') ++expStart;
  int exponent = 0;
  std::from_chars(scientific.data() + expStart, scientific.data() + scientific.size(), exponent);
  const int e = exponent + 1;  // digits before the decimal separator; zero or negative below 1

  std::string text = negative ? "-" : "";
  if (e >= -3 && e <= kSignificantDigits) {
    if (e <= 0) {
      text += '0';
      text += separator;
      text.append(static_cast<std::size_t>(-e), '0');
      text += digits;
    } else {
      const auto whole = static_cast<std::size_t>(e);
      if (digits.size() <= whole) {
        text += digits;
        text.append(whole - digits.size(), '0');
      } else {
        text += digits.substr(0, whole);
        text += separator;
        text += digits.substr(whole);
      }
    }
  } else {
    text += digits[0];
    if (digits.size() > 1) {
      text += separator;
      text += digits.substr(1);
    }
    text += 'E';
    text += IntegerText(exponent);
  }
  return text;
}

namespace {

struct Parsed {
  std::optional<double> value;  // empty when the text is not a number
  bool overflow = false;        // a number, but beyond the range of a double
};

// Only the space character counts as a space: a tab or any other blank makes the text invalid.
Parsed Parse(const std::string& text, char separator) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t intStart = i;
  while (i < n && IsDigit(text[i])) ++i;
  const std::size_t intEnd = i;
  bool hasSeparator = false;
  std::size_t fracStart = i, fracEnd = i;
  if (i < n && text[i] == separator) {
    hasSeparator = true;
    fracStart = ++i;
    while (i < n && IsDigit(text[i])) ++i;
    fracEnd = i;
  }
  if (intEnd == intStart && fracEnd == fracStart && !hasSeparator) return {};
  std::int64_t exponent = 0;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool expNegative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) expNegative = text[i++] == '-';
    while (i < n && IsDigit(text[i])) {
      if (exponent < kExponentBound) exponent = exponent * 10 + (text[i] - '0');
      ++i;
    }
    if (expNegative) exponent = -exponent;
  }
  while (i < n && text[i] == ' ') ++i;
  if (i != n) return {};

  const double zero = negative ? -0.0 : 0.0;
  std::string digits = text.substr(intStart, intEnd - intStart) + text.substr(fracStart, fracEnd - fracStart);
  const std::size_t firstNonZero = digits.find_first_not_of('0');
  if (firstNonZero == std::string::npos) return {zero};
  digits.erase(0, firstNonZero);
  // The value is 0.<digits> * 10^scale; scale - 1 is the decimal exponent of its leading digit.
  const std::int64_t scale = static_cast<std::int64_t>(intEnd - intStart) - static_cast<std::int64_t>(firstNonZero) +
                             exponent;
  if (scale > kOverflowExponent + 1) return {std::nullopt, true};
  if (scale < kUnderflowExponent) return {zero};

  const std::string normal = digits + "e" + IntegerText(scale - static_cast<std::int64_t>(digits.size()));
  double value = 0;
  const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    if (scale > 0) return {std::nullopt, true};
    return {zero};
  }
  if (std::isinf(value)) return {std::nullopt, true};
  return {negative ? -value : value};
}

}  // namespace

std::optional<double> TryParseFloat(const std::string& text, char separator) { return Parse(text, separator).value; }

double ParseFloat(const std::string& text, char separator) {
  const Parsed parsed = Parse(text, separator);
  if (parsed.overflow) throw AppError("Floating point overflow");
  if (!parsed.value) throw AppError("'" + text + "' is not a valid floating point value");
  return *parsed.value;
}

}  // namespace number_text
