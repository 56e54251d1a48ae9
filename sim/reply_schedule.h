// When each reply byte leaves the simulator: after the reply's delay, one byte per ten bit times on a paced line,
// and when a received frame has come in over such a line.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace sim {

class ReplySchedule {
 public:
  using Clock = std::chrono::steady_clock;

  // Baud 0 sends every byte as soon as it is due.
  explicit ReplySchedule(int baud);

  // When the last of `count` bytes read at `now` has come in over the line: received bytes cross it one after
  // the other, behind those read before; at once on an unpaced line. A frame is answered from then on.
  Clock::time_point Received(std::size_t count, Clock::time_point now);
  // Queues `bytes` to start after `delayMs`, behind everything queued before.
  void Add(const std::vector<std::uint8_t>& bytes, int delayMs, Clock::time_point now);
  // The bytes due by `now`, oldest first; they stay queued until Drop.
  std::vector<std::uint8_t> Due(Clock::time_point now) const;
  void Drop(std::size_t count);
  void Clear();
  std::optional<Clock::time_point> NextDue() const;

 private:
  struct Entry {
    Clock::time_point due;
    std::uint8_t byte;
  };

  Clock::duration byteTime_;
  std::deque<Entry> queue_;
  Clock::time_point lastDue_{};
  Clock::time_point lastReceived_{};
};

}  // namespace sim
