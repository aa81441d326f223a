// The example sentences the tests share: one position (47.39093333 N,
// 8.53538333 E, 432.5 m at 10:15:30) as GGA, GLL and RMC, without line end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace torvane::test {

inline const std::string kExampleGga = "$GPGGA,101530.00,4723.4560,N,00832.1230,E,1,07,1.2,432.5,M,48.0,M,,*6E";
inline const std::string kExampleGll = "$GPGLL,4723.4560,N,00832.1230,E,101530.00,A,A*63";
inline const std::string kExampleRmc = "$GPRMC,101530.00,A,4723.4560,N,00832.1230,E,0.5,54.7,071226,,,A*67";

// `text` written `times` times in a row.
inline std::string Repeat(std::string_view text, std::size_t times) {
    std::string out;
    out.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += text;
    return out;
}

}  // namespace torvane::test
