// The response models of the simulated instrument and the dB-to-value rule of its reply.
#include "response_model.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

constexpr double kCentreMhz = 10.7;
constexpr double kBandwidthMhz = 0.230;
constexpr double kInsertionLossDb = 6.0;
constexpr double kStopBandDb = -60.0;
constexpr int kFilterOrder = 3;

}  // namespace

double BandpassLevelDb(double megahertz) {
  // A Butterworth shape around the centre, leaking into a stop band where the filter's feed-through takes over.
  const double detuning = 2.0 * (megahertz - kCentreMhz) / kBandwidthMhz;
  const double passPower = 1.0 / (1.0 + std::pow(detuning, 2 * kFilterOrder));
  const double power = passPower * std::pow(10.0, -kInsertionLossDb / 10.0) + std::pow(10.0, kStopBandDb / 10.0);
  return 10.0 * std::log10(power);
}

std::uint16_t ReplyValueFromDb(double levelDb) {
  const double value = std::round(levelDb / 0.061) + 1769.0;
  return static_cast<std::uint16_t>(std::clamp(value, 0.0, 65535.0));
}

ResponseModel::ResponseModel(const ModelSettings& settings) : settings_(settings), random_(settings.seed) {}

std::uint16_t ResponseModel::ReplyValue(std::int64_t khz) {
  switch (settings_.kind) {
    case ModelKind::Echo:
      return static_cast<std::uint16_t>(((khz % 0x10000) + 0x10000) % 0x10000);
    case ModelKind::Flat:
      return ReplyValueFromDb(settings_.levelDb + Noise());
    case ModelKind::Bandpass:
      break;
  }
  return ReplyValueFromDb(BandpassLevelDb(static_cast<double>(khz) / 1000.0) + Noise());
}

double ResponseModel::Noise() {
  if (settings_.noiseDb == 0) return 0;
  // Scaled by hand from the engine's raw output: the standard distributions differ between libraries, the seeded
  // sequence should not.
  const double unit = static_cast<double>(random_()) / static_cast<double>(std::mt19937::max());
  return (2.0 * unit - 1.0) * settings_.noiseDb;
}

}  // namespace sim
