// General-format number texts and the strict text-to-number grammar, independent of the C locale.
#include "sweep/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "sweep/app_error.h"

namespace number_text {

namespace {

constexpr int kSignificantDigits = 15;

std::string NotValid(const std::string& text) { return "'" + text + "' is not a valid floating point value"; }

}  // namespace

std::string FormatGeneral(double value, char separator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                                    kSignificantDigits - 1);
  const std::string scientific(buffer, result.ptr);
  const bool negative = scientific[0] == '-';
  const std::size_t mantissaStart = negative ? 1 : 0;
  const std::size_t ePos = scientific.find('e');
  std::string digits;
  for (std::size_t i = mantissaStart; i < ePos; ++i)
    if (scientific[i] != '.') digits += scientific[i];
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const int exponent = std::atoi(scientific.c_str() + ePos + 1);
  const int e = exponent + 1;  // digits before the decimal separator

  std::string text = negative ? "-" : "";
  if (e >= -3 && e <= 15) {
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
    text += std::to_string(exponent);
  }
  return text;
}

namespace {

struct Parsed {
  std::optional<double> value;  // empty when the text is not a number
  bool overflow = false;        // a number, but beyond the range of a double
};

Parsed Parse(const std::string& text, char separator) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::string intDigits, fracDigits;
  while (i < n && text[i] >= '0' && text[i] <= '9') intDigits += text[i++];
  bool hasSeparator = false;
  if (i < n && text[i] == separator) {
    hasSeparator = true;
    ++i;
    while (i < n && text[i] >= '0' && text[i] <= '9') fracDigits += text[i++];
  }
  if (intDigits.empty() && fracDigits.empty() && !hasSeparator) return {};
  long long exponent = 0;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool expNegative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) expNegative = text[i++] == '-';
    while (i < n && text[i] >= '0' && text[i] <= '9') {
      if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
      ++i;
    }
    if (expNegative) exponent = -exponent;
  }
  while (i < n && text[i] == ' ') ++i;
  if (i != n) return {};

  std::string digits = intDigits + fracDigits;
  const std::size_t firstNonZero = digits.find_first_not_of('0');
  if (firstNonZero == std::string::npos) return {negative ? -0.0 : 0.0};
  // Decimal exponent of the leading digit decides overflow (beyond a double) against underflow (reads as zero).
  const long long magnitude = static_cast<long long>(intDigits.size()) - static_cast<long long>(firstNonZero) - 1 + exponent;
  if (magnitude > 400) return {std::nullopt, true};
  if (magnitude < -400) return {negative ? -0.0 : 0.0};

  std::string normal = (digits.empty() ? "0" : digits) + "e" +
                       std::to_string(exponent - static_cast<long long>(fracDigits.size()));
  double value = 0;
  const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    if (magnitude > 0) return {std::nullopt, true};
    value = 0;
  }
  return {negative ? -value : value};
}

}  // namespace

std::optional<double> TryParseFloat(const std::string& text, char separator) { return Parse(text, separator).value; }

double ParseFloat(const std::string& text, char separator) {
  const Parsed parsed = Parse(text, separator);
  if (parsed.overflow) throw AppError("Floating point overflow");
  if (!parsed.value) throw AppError(NotValid(text));
  return *parsed.value;
}

}  // namespace number_text
