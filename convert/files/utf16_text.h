// Logs saved as UTF-16 text: which files are, and turning their bytes into
// the UTF-8 bytes that every reader of a log takes.
#pragma once

#include <cstddef>

#include "convert/files/platform/file_system.h"

namespace torvane {

struct RunOptions;

enum class TextEncoding { Bytes, Utf16LittleEndian, Utf16BigEndian };

// The encoding a byte-order mark at the start of the open file `file`
// names: UTF-16 for FF FE (little endian) or FE FF (big endian), bytes
// otherwise (also where the start cannot be read).
TextEncoding EncodingByMark(platform::FileHandle file);

// How the readers of a log with `options` read `file`: by its byte-order
// mark with "accept every satellite system", as bytes without it.
TextEncoding LogEncoding(const RunOptions& options, platform::FileHandle file);

// Turns UTF-16 text, block by block as it is read, into UTF-8: a code unit
// or a pair split between two blocks is carried over, the byte-order mark
// at the start is dropped, and a surrogate without its partner (or a last
// odd byte) becomes U+FFFD.
class Utf16Decoder {
public:
    explicit Utf16Decoder(TextEncoding encoding) : bigEndian_(encoding == TextEncoding::Utf16BigEndian) {}

    // At most this many bytes come out of `size` bytes put in.
    static constexpr std::size_t MostOut(std::size_t size) { return (size / 2 + 1) * 3 + 3; }
    // The most bytes to put in for at most `room` to come out (room >= 6).
    static constexpr std::size_t MostIn(std::size_t room) { return (room - 6) / 3 * 2; }

    // Decodes `size` bytes of `in` into `out`, which has room for
    // MostOut(size); the number of bytes written.
    std::size_t Decode(const char* in, std::size_t size, char* out);
    // After the last block: what is left over, into room for 3 bytes.
    std::size_t Finish(char* out);

private:
    std::size_t Put(unsigned unit, char* out);

    bool bigEndian_;
    bool atStart_ = true;     // the next unit is the first of the text
    int oddByte_ = -1;        // a byte waiting for its partner, or -1
    unsigned highHalf_ = 0;   // a leading surrogate waiting for its trailing one, or 0
};

static_assert(Utf16Decoder::MostOut(Utf16Decoder::MostIn(64)) <= 64 &&
              Utf16Decoder::MostOut(Utf16Decoder::MostIn(65)) <= 65 &&
              Utf16Decoder::MostOut(Utf16Decoder::MostIn(66)) <= 66);

}  // namespace torvane
