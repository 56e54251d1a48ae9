// The simulated instrument's protocol: frames in, level replies out, with the fault modes the tests need.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "frame_parser.h"
#include "response_model.h"

namespace sim {

enum class FaultKind {
  None,
  Silent,  // no reply
  Nul,     // a NUL byte before the reply
  Stray,   // stray bytes (an old reply's tail, 0x80, letters) before the reply
  Late,    // the reply comes after a delay
  Bit7,    // every reply byte has bit 7 set (0x82 start marker)
  Lower,   // lower-case hexadecimal digits
  Hangup,  // the line hangs up instead of replying, once
};

struct FaultSettings {
  FaultKind kind = FaultKind::None;
  int after = 0;       // frames answered normally before the fault starts
  int delayMs = 1000;  // the late replies' delay
};

struct ReplyStyle {
  bool lowerCase = false;
  bool bit7 = false;
};

// STX, the value as four hexadecimal digits, ETX.
std::vector<std::uint8_t> LevelReply(std::uint16_t value, ReplyStyle style);

// The stray bytes sent ahead of a reply: none is NUL or a start marker, so the reader must skip them all.
std::span<const std::uint8_t> StrayBytes();

struct Reply {
  std::vector<std::uint8_t> bytes;
  int delayMs = 0;
  bool hangUp = false;  // close the line instead of sending anything
};

struct Answer {
  Frame frame;
  Reply reply;
};

class ProtocolEngine {
 public:
  ProtocolEngine(const ModelSettings& model, const FaultSettings& fault);

  // Takes received bytes; returns an answer for every frame they complete, in order.
  std::vector<Answer> Feed(std::span<const std::uint8_t> received);

 private:
  Reply Respond(const Frame& frame);

  FrameParser parser_;
  ResponseModel model_;
  FaultSettings fault_;
  int framesSeen_ = 0;
};

}  // namespace sim
