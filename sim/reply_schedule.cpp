// The reply byte queue with its due times.
#include "reply_schedule.h"

#include <algorithm>

namespace sim {

ReplySchedule::ReplySchedule(int baud)
    // A 7E1 character is ten bit times: start, seven data, parity, stop.
    : byteTime_(baud > 0 ? std::chrono::duration_cast<Clock::duration>(std::chrono::microseconds(10'000'000) / baud)
                         : Clock::duration::zero()) {}

ReplySchedule::Clock::time_point ReplySchedule::Received(std::size_t count, Clock::time_point now) {
  lastReceived_ = std::max(now, lastReceived_) + byteTime_ * static_cast<Clock::rep>(count);
  return lastReceived_;
}

void ReplySchedule::Add(const std::vector<std::uint8_t>& bytes, int delayMs, Clock::time_point now) {
  const Clock::time_point start = now + std::chrono::milliseconds(delayMs);
  for (const std::uint8_t byte : bytes) {
    // A byte has arrived once its last bit has crossed the line.
    lastDue_ = std::max(start, lastDue_) + byteTime_;
    queue_.push_back({lastDue_, byte});
  }
}

std::vector<std::uint8_t> ReplySchedule::Due(Clock::time_point now) const {
  std::vector<std::uint8_t> due;
  for (const Entry& entry : queue_) {
    if (entry.due > now) break;
    due.push_back(entry.byte);
  }
  return due;
}

void ReplySchedule::Drop(std::size_t count) {
  queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(std::min(count, queue_.size())));
}

void ReplySchedule::Clear() {
  queue_.clear();
  lastReceived_ = {};
}

std::optional<ReplySchedule::Clock::time_point> ReplySchedule::NextDue() const {
  if (queue_.empty()) return std::nullopt;
  return queue_.front().due;
}

}  // namespace sim
