// The number/text conversions of the range fields, the settings file and Load, with the decimal separator as a parameter.
#pragma once

#include <optional>
#include <string>

namespace number_text {

// General format: 15 significant digits, trailing zeros dropped, fixed form for -3 <= E <= 15, else 1E-5 / 1.5E20
// (E: the digits before the separator, 0.0005 has E = -3). No digit grouping.
std::string FormatGeneral(double value, char separator);

// Strict grammar: spaces, sign, digits, separator and digits, exponent, spaces, nothing else. Only the space
// character counts as a space (no tabs). A lone separator reads as 0, missing exponent digits as 0, and a magnitude
// too small for a double as 0.
// Throws AppError "'<text>' is not a valid floating point value", or "Floating point overflow" beyond a double.
double ParseFloat(const std::string& text, char separator);

// As ParseFloat, but gives nothing instead of either error (the settings file then takes the default).
std::optional<double> TryParseFloat(const std::string& text, char separator);

}  // namespace number_text
