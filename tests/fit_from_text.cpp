// Assembles FIT bytes from a text a person can read and check (the golden
// tests' FIT logs): each word one value, `#` starts a comment to the line's
// end. Sizes and CRCs are computed here, so the text holds only what the
// messages say.
//
//   FIT, FIT12    a FIT file begins: a 14-byte header (with its CRC) or a
//                 12-byte one; protocol 2.0, profile 21.00, data size computed
//   END           the file ends: its CRC follows
//   4f            one byte, two hexadecimal digits
//   u8:N s8:N u16:N s16:N u32:N s32:N
//                 a number of that type, little-endian; with "be" after the
//                 type (u16be:N) big-endian
//   deg:D         degrees as semicircles, a sint32 (degbe: big-endian)
//   time:T        a FIT timestamp, uint32 seconds since 1989-12-31T00:00:00Z,
//                 of "YYYY-MM-DDThh:mm:ssZ" (timebe: big-endian)
//   alt:A         an altitude in metres, uint16 (A + 500) x 5 (altbe:)
//
//   fit_from_text TEXT FIT
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "fit_crc_oracle.h"

namespace {

bool Fail(const std::string& word) {
    std::cerr << "fit_from_text: cannot read \"" << word << "\"\n";
    return false;
}

void Put(std::string& out, std::uint64_t value, int size, bool bigEndian) {
    for (int i = 0; i < size; ++i) {
        const int shift = 8 * (bigEndian ? size - 1 - i : i);
        out += static_cast<char>(value >> shift & 0xFF);
    }
}

// Days from 1970-01-01 of a civil date.
long long Days(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

bool Word(const std::string& word, std::string& out) {
    if (word.size() == 2 && std::isxdigit(static_cast<unsigned char>(word[0])) &&
        std::isxdigit(static_cast<unsigned char>(word[1]))) {
        out += static_cast<char>(std::stoi(word, nullptr, 16));
        return true;
    }
    const std::size_t colon = word.find(':');
    if (colon == std::string::npos) return Fail(word);
    std::string type = word.substr(0, colon);
    const std::string value = word.substr(colon + 1);
    const bool bigEndian = type.size() > 2 && type.substr(type.size() - 2) == "be";
    if (bigEndian) type.resize(type.size() - 2);
    try {
        if (type == "deg") {
            Put(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(std::llround(std::stod(value) * 2147483648.0 / 180))),
                4, bigEndian);
        } else if (type == "alt") {
            Put(out, static_cast<std::uint64_t>(std::llround((std::stod(value) + 500) * 5)), 2, bigEndian);
        } else if (type == "time") {
            int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
            if (std::sscanf(value.c_str(), "%d-%d-%dT%d:%d:%dZ", &y, &mo, &d, &h, &mi, &s) != 6) return Fail(word);
            const long long unix = Days(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
            Put(out, static_cast<std::uint64_t>(unix - 631065600), 4, bigEndian);
        } else if ((type[0] == 'u' || type[0] == 's') && (type.substr(1) == "8" || type.substr(1) == "16" ||
                                                          type.substr(1) == "32")) {
            const int size = std::stoi(type.substr(1)) / 8;
            Put(out, static_cast<std::uint64_t>(std::stoll(value)), size, bigEndian);
        } else {
            return Fail(word);
        }
    } catch (const std::exception&) {
        return Fail(word);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: fit_from_text TEXT FIT\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        Fail(argv[1]);
        return 1;
    }
    std::string result, file, line;
    int headerSize = 0;  // of the file being assembled; 0 outside one
    while (std::getline(in, line)) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string word;
        while (words >> word) {
            if (word == "FIT" || word == "FIT12") {
                headerSize = word == "FIT" ? 14 : 12;
                file.clear();
            } else if (word == "END") {
                if (headerSize == 0) {
                    Fail(word);
                    return 1;
                }
                std::string header;
                header += static_cast<char>(headerSize);
                header += '\x20';  // protocol 2.0
                Put(header, 2100, 2, false);
                Put(header, file.size(), 4, false);
                header += ".FIT";
                if (headerSize == 14) Put(header, torvane::oracle::FitCrc(header), 2, false);
                std::string whole = header + file;
                Put(whole, torvane::oracle::FitCrc(whole), 2, false);
                result += whole;
                headerSize = 0;
            } else if (headerSize == 0) {
                Fail(word);
                return 1;
            } else if (!Word(word, file)) {
                return 1;
            }
        }
    }
    std::ofstream out(argv[2], std::ios::binary);
    out << result;
    return out ? 0 : 1;
}
