// An instrument that records the kHz of each frame and answers with scripted levels or time-outs.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "sweep/instrument.h"
#include "sweep/numeric_rules.h"
#include "sweep/sweep_state.h"

class FakeInstrument : public Instrument {
 public:
  explicit FakeInstrument(SweepState& state) : state_(state) {}

  void SendFrequency(double megahertz) override {
    sent.push_back(megahertz);
    sentKhz.push_back(numeric_rules::KhzValue(megahertz));
  }
  double ReadLevel() override {
    if (onRead) onRead(static_cast<int>(sent.size()) - 1);
    state_.TimedOut = timeOutEveryRead;
    if (levels.empty()) return 0;
    const double level = levels.front();
    levels.pop_front();
    return level;
  }
  bool Connected() const override { return connected; }

  std::vector<double> sent;
  std::vector<std::int32_t> sentKhz;
  std::deque<double> levels;
  bool timeOutEveryRead = false;
  bool connected = true;
  std::function<void(int)> onRead;  // called with the point index during each read

 private:
  SweepState& state_;
};
