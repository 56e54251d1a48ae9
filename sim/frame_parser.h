// The simulator's reader of set-frequency frames, resynchronising on the next SOH after any garbage.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sim {

struct Frame {
  std::string text;   // the characters between STX and ETX, as received ("000010695")
  std::int64_t khz;   // their value
};

class FrameParser {
 public:
  // Takes one received byte; returns the frame it completes, if any.
  std::optional<Frame> Feed(std::uint8_t byte);

 private:
  enum class State { Idle, Command, Start, Text };
  // "%09i" of a 32-bit value never needs more than eleven characters.
  static constexpr std::size_t kMaxText = 11;

  State state_ = State::Idle;
  std::string text_;
};

}  // namespace sim
