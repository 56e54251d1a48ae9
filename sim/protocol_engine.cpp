// Answers each set-frequency frame with the model's level reply, shaped by the fault mode.
#include "protocol_engine.h"

#include <array>

namespace sim {

namespace {

constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;

constexpr std::array<std::uint8_t, 7> kStrayBytes{'3', 'A', kEtx, 0x80, 'F', ' ', 0x7F};

}  // namespace

std::vector<std::uint8_t> LevelReply(std::uint16_t value, ReplyStyle style) {
  const char* digits = style.lowerCase ? "0123456789abcdef" : "0123456789ABCDEF";
  std::vector<std::uint8_t> reply{kStx};
  for (int shift = 12; shift >= 0; shift -= 4) reply.push_back(static_cast<std::uint8_t>(digits[(value >> shift) & 0xF]));
  reply.push_back(kEtx);
  if (style.bit7) {
    for (std::uint8_t& byte : reply) byte |= 0x80;
  }
  return reply;
}

std::span<const std::uint8_t> StrayBytes() { return kStrayBytes; }

ProtocolEngine::ProtocolEngine(const ModelSettings& model, const FaultSettings& fault) : model_(model), fault_(fault) {}

std::vector<Answer> ProtocolEngine::Feed(std::span<const std::uint8_t> received) {
  std::vector<Answer> answers;
  for (const std::uint8_t byte : received) {
    if (auto frame = parser_.Feed(byte)) {
      Reply reply = Respond(*frame);
      answers.push_back({std::move(*frame), std::move(reply)});
    }
  }
  return answers;
}

Reply ProtocolEngine::Respond(const Frame& frame) {
  const int index = framesSeen_++;
  // The model answers every frame, so the noise sequence does not depend on the fault.
  const std::uint16_t value = model_.ReplyValue(frame.khz);
  const bool faulty = index >= fault_.after;
  Reply reply;
  switch (faulty ? fault_.kind : FaultKind::None) {
    case FaultKind::Silent:
      return reply;
    case FaultKind::Hangup:
      // One hang-up: the line that comes back afterwards answers normally.
      if (index == fault_.after) {
        reply.hangUp = true;
        return reply;
      }
      break;
    case FaultKind::Nul:
      reply.bytes.push_back(0);
      break;
    case FaultKind::Stray:
      reply.bytes.assign(kStrayBytes.begin(), kStrayBytes.end());
      break;
    case FaultKind::Late:
      reply.delayMs = fault_.delayMs;
      break;
    case FaultKind::Bit7:
    case FaultKind::Lower:
    case FaultKind::None:
      break;
  }
  const ReplyStyle style{.lowerCase = faulty && fault_.kind == FaultKind::Lower,
                         .bit7 = faulty && fault_.kind == FaultKind::Bit7};
  const std::vector<std::uint8_t> level = LevelReply(value, style);
  reply.bytes.insert(reply.bytes.end(), level.begin(), level.end());
  return reply;
}

}  // namespace sim
