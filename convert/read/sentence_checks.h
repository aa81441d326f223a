// Cheap tests of an NMEA line that the options "accept every satellite
// system" and "skip sentences with a wrong checksum" add.
#pragma once

#include <cstddef>
#include <string_view>

namespace torvane {

// The three characters after the "$" at `at` when two capital letters A-Z
// stand between (a talker: "GP", "GN", ...): the sentence name; empty when
// the line has no such name there.
inline std::string_view SentenceNameAt(std::string_view line, std::size_t at) {
    const auto capital = [](char c) { return c >= 'A' && c <= 'Z'; };
    if (line.size() - at < 6 || !capital(line[at + 1]) || !capital(line[at + 2])) return {};
    return line.substr(at + 3, 3);
}

// With "accept every satellite system": the sentence of kind `kind` ("GGA",
// "GLL" or "RMC") that a line holds, from the "$" of its name ("$", two
// capitals, the kind) to the "*" after it, or to the line's end without
// one, so that text before or after the sentence (a phone's prefix and
// time stamp, a receiver's binary records) changes none of its commas.
// Where the name stands again before that "*" (a receiver restarting
// mid-sentence), the last start counts. `named` is false, and `text` the
// whole line, when the line holds no such name.
struct SentenceSpan {
    std::string_view text;
    bool named = false;
};
SentenceSpan SentenceOfAnyTalker(std::string_view line, std::string_view kind);

// True when the line's sentence carries "*" and two hexadecimal digits (either
// case) equal to the XOR of the bytes between its "$" and the "*". The
// sentence is the one that starts at the line's last "$" before its first "*"
// following a "$": in a line holding several "$" (a receiver restarting
// mid-sentence), the last start before the checksum is the sentence that the
// checksum closes. A line without "$" or without such "*" fails.
bool HasValidChecksum(std::string_view line);

}  // namespace torvane
