// Fuzzes the level-reply search and decoding of the instrument link with arbitrary incoming bytes and time-outs:
// every read ends, shows at most one "Time out", asks the port for one or five bytes, and gives a level the
// four hexadecimal digits can give.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "fake_serial_port.h"
#include "fake_sweep_view.h"
#include "fuzz_check.h"
#include "instrument/instrument_link.h"
#include "sweep/numeric_rules.h"

namespace {

constexpr int kTimeoutMs = 7;
// 0xFF 0xFF is the byte 0xFF; 0xFF before any other byte is a read time-out before it.
constexpr std::uint8_t kEscape = 0xFF;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RangeSettings range;
  FakeSweepView view{range};
  SweepState state;
  FakeSerialPort port;
  // The first byte chooses whether the port opens, so the link without connection is searched too.
  port.openSucceeds = size == 0 || data[0] % 8 != 0;
  InstrumentLink link(port, state, view, kTimeoutMs);
  link.PortName = "/dev/fuzz";
  link.OpenSerialPort();
  view.messages.clear();

  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] != kEscape) {
      port.incoming.push_back(data[i]);
    } else if (i + 1 < size && data[i + 1] == kEscape) {
      port.incoming.push_back(kEscape);
      ++i;
    } else {
      port.incoming.push_back(FakeSerialPort::kGap);
    }
  }

  const double lowest = numeric_rules::LevelFromValue(0);
  const double highest = numeric_rules::LevelFromValue(0xFFFF);
  // Every read takes at least one queued entry unless the queue is empty, when it times out: a bound on the calls.
  const std::size_t maxCalls = port.incoming.size() + 1;
  for (std::size_t call = 0; call < maxCalls; ++call) {
    const std::size_t messagesBefore = view.messages.size();
    const std::size_t readsBefore = port.reads.size();
    const std::size_t queuedBefore = port.incoming.size();
    const double level = link.ReadLevel();

    FUZZ_REQUIRE(std::isfinite(level) && level >= lowest && level <= highest);
    // The level is (value - 1769) * 0.061 for a whole value of four hexadecimal digits.
    const double value = std::round(level / 0.061 + 1769);
    FUZZ_REQUIRE(numeric_rules::LevelFromValue(static_cast<std::int64_t>(value)) == level);
    FUZZ_REQUIRE(view.messages.size() == messagesBefore + (state.TimedOut ? 1 : 0));
    const std::pair<std::string, std::string> timeOut{"Time out", "ERROR"};
    if (state.TimedOut) FUZZ_REQUIRE(view.messages.back() == timeOut);
    if (port.open) {
      FUZZ_REQUIRE(port.reads.size() >= readsBefore + 2);
      for (std::size_t r = readsBefore; r < port.reads.size(); ++r) {
        FUZZ_REQUIRE(port.reads[r].timeoutMs == kTimeoutMs);
        FUZZ_REQUIRE(port.reads[r].size == (r + 1 == port.reads.size() ? 5u : 1u));
      }
    } else {
      FUZZ_REQUIRE(state.TimedOut && port.reads.size() == readsBefore);
    }
    if (queuedBefore == 0 || !port.open) break;
    FUZZ_REQUIRE(port.incoming.size() < queuedBefore);
  }
  FUZZ_REQUIRE(port.incoming.empty() || !port.open);
  return 0;
}
