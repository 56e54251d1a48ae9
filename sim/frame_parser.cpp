// Frame reading: SOH "F" STX, an optionally signed decimal number, ETX; everything else is skipped.
#include "frame_parser.h"

#include <charconv>

namespace sim {

namespace {

constexpr std::uint8_t kSoh = 0x01;
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;

std::optional<Frame> FrameFromText(const std::string& text) {
  const std::size_t firstDigit = !text.empty() && text[0] == '-' ? 1 : 0;
  if (text.size() == firstDigit) return std::nullopt;
  std::int64_t khz = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), khz);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return Frame{text, khz};
}

}  // namespace

std::optional<Frame> FrameParser::Feed(std::uint8_t received) {
  // The instrument's receiver has seven data bits.
  const std::uint8_t byte = received & 0x7F;
  if (byte == kSoh) {
    state_ = State::Command;
    text_.clear();
    return std::nullopt;
  }
  switch (state_) {
    case State::Idle:
      break;
    case State::Command:
      state_ = byte == 'F' ? State::Start : State::Idle;
      break;
    case State::Start:
      state_ = byte == kStx ? State::Text : State::Idle;
      break;
    case State::Text:
      if (byte == kEtx) {
        state_ = State::Idle;
        return FrameFromText(text_);
      }
      if (text_.size() < kMaxText && ((byte >= '0' && byte <= '9') || (byte == '-' && text_.empty()))) {
        text_.push_back(static_cast<char>(byte));
      } else {
        state_ = State::Idle;
      }
      break;
  }
  return std::nullopt;
}

}  // namespace sim
