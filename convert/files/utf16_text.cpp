#include "convert/files/utf16_text.h"

#include "convert/settings.h"

namespace torvane {
namespace {

constexpr unsigned kReplacement = 0xFFFD;

std::size_t PutUtf8(unsigned code, char* out) {
    const auto byte = [](unsigned value) { return static_cast<char>(static_cast<unsigned char>(value)); };
    if (code < 0x80) {
        out[0] = byte(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = byte(0xC0 | (code >> 6));
        out[1] = byte(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        out[0] = byte(0xE0 | (code >> 12));
        out[1] = byte(0x80 | ((code >> 6) & 0x3F));
        out[2] = byte(0x80 | (code & 0x3F));
        return 3;
    }
    out[0] = byte(0xF0 | (code >> 18));
    out[1] = byte(0x80 | ((code >> 12) & 0x3F));
    out[2] = byte(0x80 | ((code >> 6) & 0x3F));
    out[3] = byte(0x80 | (code & 0x3F));
    return 4;
}

bool IsLeading(unsigned unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool IsTrailing(unsigned unit) { return unit >= 0xDC00 && unit < 0xE000; }

}  // namespace

TextEncoding EncodingByMark(platform::FileHandle file) {
    unsigned char mark[2];
    if (platform::ReadSomeAt(file, reinterpret_cast<char*>(mark), 2, 0) != 2) return TextEncoding::Bytes;
    if (mark[0] == 0xFF && mark[1] == 0xFE) return TextEncoding::Utf16LittleEndian;
    if (mark[0] == 0xFE && mark[1] == 0xFF) return TextEncoding::Utf16BigEndian;
    return TextEncoding::Bytes;
}

TextEncoding LogEncoding(const RunOptions& options, platform::FileHandle file) {
    return options.AcceptAnyTalker ? EncodingByMark(file) : TextEncoding::Bytes;
}

std::size_t Utf16Decoder::Put(unsigned unit, char* out) {
    std::size_t written = 0;
    if (highHalf_ != 0) {
        if (IsTrailing(unit)) {
            const unsigned code = 0x10000 + ((highHalf_ - 0xD800) << 10) + (unit - 0xDC00);
            highHalf_ = 0;
            return PutUtf8(code, out);
        }
        highHalf_ = 0;
        written = PutUtf8(kReplacement, out);
    }
    if (atStart_) {
        atStart_ = false;
        if (unit == 0xFEFF) return written;
    }
    if (IsLeading(unit)) {
        highHalf_ = unit;
        return written;
    }
    return written + PutUtf8(IsTrailing(unit) ? kReplacement : unit, out + written);
}

std::size_t Utf16Decoder::Decode(const char* in, std::size_t size, char* out) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(in);
    const auto unitOf = [this](unsigned first, unsigned second) {
        return bigEndian_ ? (first << 8 | second) : (second << 8 | first);
    };
    std::size_t i = 0, written = 0;
    if (oddByte_ >= 0 && size > 0) {
        written += Put(unitOf(static_cast<unsigned>(oddByte_), bytes[0]), out);
        oddByte_ = -1;
        i = 1;
    }
    for (; i + 2 <= size; i += 2) {
        const unsigned unit = unitOf(bytes[i], bytes[i + 1]);
        // Most of a log is ASCII, one byte for a unit.
        if (unit < 0x80 && highHalf_ == 0 && !atStart_) {
            out[written++] = static_cast<char>(unit);
        } else {
            written += Put(unit, out + written);
        }
    }
    if (i < size) oddByte_ = bytes[i];
    return written;
}

std::size_t Utf16Decoder::Finish(char* out) {
    if (highHalf_ == 0 && oddByte_ < 0) return 0;
    highHalf_ = 0;
    oddByte_ = -1;
    return PutUtf8(kReplacement, out);
}

}  // namespace torvane
