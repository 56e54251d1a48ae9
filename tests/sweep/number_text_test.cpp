// The general number format and the strict text-to-number grammar, with a full stop and with a comma.
#include "sweep/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "sweep/app_error.h"

using number_text::FormatGeneral;
using number_text::ParseFloat;
using number_text::TryParseFloat;

namespace {

std::string Zeros(std::size_t count) { return std::string(count, '0'); }

std::string ErrorOf(const std::string& text, char separator) {
  try {
    ParseFloat(text, separator);
  } catch (const AppError& error) {
    return error.what();
  }
  return "(accepted)";
}

}  // namespace

TEST(FormatGeneral, FixedAndExponentForms) {
  const struct { double value; const char* text; } rows[] = {
      {10.695, "10.695"}, {10.705, "10.705"}, {0.1, "0.1"}, {-90, "-90"}, {5, "5"}, {100, "100"},
      {0.12345678901234567, "0.123456789012346"},
      {0.0005, "0.0005"},              // E = -3: still fixed
      {0.00012345, "0.00012345"},
      {0.0001, "0.0001"},
      {0.00005, "5E-5"},               // E = -4: exponent form
      {0.00001, "1E-5"},
      {0.000012345, "1.2345E-5"},
      {999999999999999, "999999999999999"},  // E = 15: still fixed
      {123456789012345.6, "123456789012346"},
      {1e15, "1E15"},                  // E = 16: exponent form
      {1234567890123456, "1.23456789012346E15"},
      {999999999999999.9, "1E15"},     // rounding to 15 digits carries into the next power of ten
      {0.000999999999999999999, "0.001"},
      {1.5e20, "1.5E20"},
      {2e1, "20"},
      {-12.5, "-12.5"}, {-0.0005, "-0.0005"}, {-0.00001, "-1E-5"}, {-1.5e20, "-1.5E20"}, {-1e15, "-1E15"},
      {0, "0"}, {-0.0, "0"},
      {1e-300, "1E-300"}, {4.9406564584124654e-324, "4.94065645841247E-324"},  // smallest subnormal
      {std::numeric_limits<double>::max(), "1.79769313486232E308"},
      {std::numeric_limits<double>::infinity(), "INF"}, {-std::numeric_limits<double>::infinity(), "-INF"},
  };
  for (const auto& row : rows) EXPECT_EQ(FormatGeneral(row.value, '.'), row.text) << row.text;
}

TEST(FormatGeneral, CommaSeparator) {
  const struct { double value; const char* text; } rows[] = {
      {10.695, "10,695"}, {0.0005, "0,0005"}, {0.00001, "1E-5"}, {1.5e20, "1,5E20"},
      {-0.12345678901234567, "-0,123456789012346"}, {1234.5, "1234,5"}, {1e15, "1E15"}};
  for (const auto& row : rows) EXPECT_EQ(FormatGeneral(row.value, ','), row.text) << row.text;
}

TEST(ParseFloat, AcceptedTexts) {
  const struct { std::string text; double value; } rows[] = {
      {" 12.5 ", 12.5}, {"12.5", 12.5}, {"   12.5", 12.5}, {"12.5   ", 12.5},
      {"1e3", 1000}, {"1E3", 1000}, {"1E", 1}, {"1e+", 1}, {"1e-", 1}, {"1e+2", 100}, {"1E-2", 0.01}, {"2E1", 20},
      {".", 0}, {".5", 0.5}, {"5.", 5}, {"-.5", -0.5}, {"+3", 3}, {"-90", -90}, {"-12.5", -12.5}, {"-1e-5", -1e-5},
      {"0.12345678901234567", 0.12345678901234567}, {"10.695", 10.695}, {"0.0005", 0.0005},
      {"00000000000000000000000001", 1}, {"1.5E20", 1.5e20}, {"1e308", 1e308}, {"1e-310", 1e-310},
      {"1.7976931348623157e308", std::numeric_limits<double>::max()},
      {"1" + Zeros(400) + "e-400", 1}, {"0." + Zeros(399) + "1e400", 1},
      {"1e-400", 0}, {"-1e-400", 0}, {"0." + Zeros(400) + "1", 0}, {"1e-99999999999999999999999", 0},
      {"0e99999999999999999999", 0}, {"0", 0}, {"-0", 0}};
  for (const auto& row : rows) {
    const auto value = TryParseFloat(row.text, '.');
    ASSERT_TRUE(value.has_value()) << row.text;
    EXPECT_EQ(*value, row.value) << row.text;
    EXPECT_EQ(ParseFloat(row.text, '.'), row.value) << row.text;
  }
  EXPECT_TRUE(std::signbit(ParseFloat("-1e-400", '.')));
}

TEST(ParseFloat, RefusedTextsNameTheWholeText) {
  const std::string refused[] = {
      "", " ", "   ", "12,5", "-", "+", "E5", "e", "-e1", "1 000", "1,000.5", "\t12.5", "12.5\t", "12.5\n", "1.2.3",
      "1e2.5", "1e 2", "- 5", "+-5", "--5", "0x10", "abc", "12.5a", "a12.5", "1e3e3", "INF", "NAN", "1\xC2\xA0" "000",
      "..", "1.."};
  for (const auto& text : refused) {
    EXPECT_FALSE(TryParseFloat(text, '.').has_value()) << text;
    EXPECT_EQ(ErrorOf(text, '.'), "'" + text + "' is not a valid floating point value") << text;
  }
  EXPECT_FALSE(TryParseFloat(std::string("1\0", 2), '.').has_value());
}

TEST(ParseFloat, BeyondADoubleIsOverflow) {
  const std::string texts[] = {"1e400", "-1e400", "1.7976931348623159e308", "1" + Zeros(400),
                               "1e99999999999999999999", "0." + Zeros(10) + "1e99999"};
  for (const auto& text : texts) {
    EXPECT_EQ(ErrorOf(text, '.'), "Floating point overflow") << text;
    EXPECT_FALSE(TryParseFloat(text, '.').has_value()) << text;
  }
}

TEST(ParseFloat, CommaSeparator) {
  EXPECT_EQ(ParseFloat("10,695", ','), 10.695);
  EXPECT_EQ(ParseFloat(" 1,5E20 ", ','), 1.5e20);
  EXPECT_EQ(ParseFloat(",", ','), 0);
  EXPECT_EQ(ParseFloat("-90", ','), -90);
  EXPECT_EQ(ErrorOf("10.695", ','), "'10.695' is not a valid floating point value");
  EXPECT_EQ(ErrorOf("1.000,5", ','), "'1.000,5' is not a valid floating point value");
}

TEST(NumberText, FormattedTextReadsBackToTheSameText) {
  std::mt19937_64 random(20240611);
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  std::uniform_int_distribution<int> exponent(-30, 30);
  for (int i = 0; i < 20000; ++i) {
    const double value = mantissa(random) * std::pow(10.0, exponent(random));
    for (const char separator : {'.', ','}) {
      const std::string text = FormatGeneral(value, separator);
      const double back = ParseFloat(text, separator);
      ASSERT_EQ(FormatGeneral(back, separator), text) << value;
      ASSERT_LE(std::fabs(back - value), std::fabs(value) * 1e-14) << text;
    }
  }
}
