// When each reply byte leaves the simulator: after the reply's delay, one byte per ten bit times on a paced line.
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
};

}  // namespace sim
