// What the simulated instrument measures at a frequency: a 10.7 MHz IF filter, a flat line, or an echo of the kHz.
#pragma once

#include <cstdint>
#include <random>

namespace sim {

enum class ModelKind {
  Bandpass,  // a ceramic 10.7 MHz IF filter
  Flat,      // the same level everywhere
  Echo,      // the reply value is the kHz value modulo 0x10000, so every reply names its frame
};

struct ModelSettings {
  ModelKind kind = ModelKind::Bandpass;
  double levelDb = 0;     // the flat model's level
  double noiseDb = 0;     // peak of the uniform noise added to the bandpass and flat levels
  std::uint32_t seed = 1;
};

// The noiseless bandpass curve in dB: 6 dB insertion loss at 10.7 MHz, 3 dB more at +-115 kHz, a stop band that
// settles near -60 dB.
double BandpassLevelDb(double megahertz);

// The four-digit value that reports a level: round(dB / 0.061) + 1769, clamped to 0..0xFFFF.
std::uint16_t ReplyValueFromDb(double levelDb);

class ResponseModel {
 public:
  explicit ResponseModel(const ModelSettings& settings);

  // The value the instrument replies for a frame of `khz`.
  std::uint16_t ReplyValue(std::int64_t khz);

 private:
  double Noise();

  ModelSettings settings_;
  std::mt19937 random_;
};

}  // namespace sim
