#pragma once
#include <cstddef>
#include <cstdint>

// The usual CRC-32 (IEEE 802.3 / zlib polynomial, reflected, initial and final value all
// ones). Feed the pieces of one file in order, starting from 0:
//   crc = Crc32Update(0, first, n1); crc = Crc32Update(crc, second, n2);
std::uint32_t Crc32Update(std::uint32_t crc, const unsigned char* data, std::size_t size);
