// Hexadecimal digits of a number, the one formatter the updater needs (architecture codes, version
// resource sub-blocks, digests), so that no printf family is linked into the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velora {

enum class HexLetters { Lower, Upper };

/// value in hexadecimal with at least minDigits digits, zero-padded on the left: what printf's "%.Nx"
/// (or "%.NX" with Upper) writes for N = minDigits from 1 on. Zero is "0", padded like any value.
std::string HexText(std::uint32_t value, std::size_t minDigits, HexLetters letters);

}  // namespace velora
