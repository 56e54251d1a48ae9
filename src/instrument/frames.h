// The two messages of the instrument's wire protocol: the set-frequency frame out and the level reply in.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace frames {

inline constexpr std::uint8_t kSoh = 0x01;
inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kFrequencyCommand = 'F';

// A value as "%09i" writes it, independent of the locale: at least nine characters, zero-padded after the sign.
std::string NineDigitText(std::int32_t value);

// SOH, "F", STX, the kHz value of `megahertz` as NineDigitText, ETX and the terminating NUL: 14 bytes for values
// from 0 to 999,999,999, one more per extra character.
std::vector<std::uint8_t> SetFrequencyFrame(double megahertz);

// A reply start marker is any byte whose low 7 bits are STX (the line may deliver bit 7 set).
constexpr bool IsStartMarker(std::uint8_t byte) { return (byte & 0x7F) == kStx; }

// The "%4x" reading of a reply text: white space skipped, then up to four hexadecimal digits in either case,
// stopping at the first other byte, at a NUL or at the end of `text`. A text without a digit there reads as 0.
std::int32_t ReplyValue(std::span<const std::uint8_t> text);

}  // namespace frames
