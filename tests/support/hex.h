#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumapress::test {

// "46 57 53" style text of bytes, so a failed comparison prints both sides readably.
std::string ToHex(std::span<const uint8_t> bytes);

// Parses hex text; spaces are ignored ("46 57 53" and "465753" are the same).
std::vector<uint8_t> FromHex(std::string_view text);

}  // namespace lumapress::test
