// The sweep range and the level scale, as last stored from the range fields.
#pragma once

struct RangeSettings {
  double Fmin = 0;   // MHz, first point of a sweep
  double Fmax = 0;   // MHz, upper bound; a point beyond it is moved onto it
  double Fstep = 0;  // MHz, distance between neighbouring points
  double MinDb = 0;  // dB, bottom of the level axis
  double MaxDb = 0;  // dB, top of the level axis
};

// The values used when the settings file has none.
inline constexpr RangeSettings kDefaultRange{10.695, 10.705, 0.1, -90.0, 5.0};
