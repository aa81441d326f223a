// The CRC of a FIT header or file, computed bit by bit: the slow, plain
// form the decoder's tables must agree with, for tests that build FIT bytes.
#pragma once

#include <cstdint>
#include <string_view>

namespace torvane::oracle {

inline std::uint16_t FitCrc(std::string_view bytes) {
    unsigned crc = 0;
    for (const unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return static_cast<std::uint16_t>(crc);
}

}  // namespace torvane::oracle
