#include "convert/read/fit_file.h"

#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

namespace torvane {
namespace {

// The longest message: its header byte, then 255 fields and 255 developer
// fields of 255 bytes each (a definition is far shorter).
constexpr std::size_t kLongestMessage = 1 + 2 * 255 * 255;
// Bytes asked of a file per read.
constexpr std::size_t kBlockSize = 1u << 18;

// --- The CRC of a FIT header and of a whole FIT file: CRC-16 with the
// reflected polynomial 0xA001, starting from 0.

// Eight tables: the first gives a byte's step, table k that of a byte
// followed by k zero bytes, so that eight bytes take one step together.
using CrcTables = std::array<std::array<std::uint16_t, 256>, 8>;
constexpr CrcTables MakeCrcTables() {
    CrcTables tables{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned crc = byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1u) != 0 ? (crc >> 1) ^ 0xA001u : crc >> 1;
        tables[0][byte] = static_cast<std::uint16_t>(crc);
    }
    for (std::size_t k = 1; k < tables.size(); ++k) {
        for (unsigned byte = 0; byte < 256; ++byte) {
            const unsigned crc = tables[k - 1][byte];
            tables[k][byte] = static_cast<std::uint16_t>((crc >> 8) ^ tables[0][crc & 0xFFu]);
        }
    }
    return tables;
}
constexpr CrcTables kCrcTables = MakeCrcTables();

std::uint16_t UpdateCrc(std::uint16_t crc, const unsigned char* bytes, std::size_t size) {
    const auto& t = kCrcTables;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        const unsigned low = (crc ^ bytes[i]) & 0xFFu, high = ((crc >> 8) ^ bytes[i + 1]) & 0xFFu;
        crc = static_cast<std::uint16_t>(t[7][low] ^ t[6][high] ^ t[5][bytes[i + 2]] ^ t[4][bytes[i + 3]] ^
                                         t[3][bytes[i + 4]] ^ t[2][bytes[i + 5]] ^ t[1][bytes[i + 6]] ^
                                         t[0][bytes[i + 7]]);
    }
    for (; i < size; ++i) crc = static_cast<std::uint16_t>((crc >> 8) ^ t[0][(crc ^ bytes[i]) & 0xFFu]);
    return crc;
}

// --- The input's bytes, taken a piece at a time: from memory, or read from
// a file in blocks into one buffer that holds any piece whole.
class ByteWindow {
public:
    explicit ByteWindow(std::string_view bytes)
        : data_(reinterpret_cast<const unsigned char*>(bytes.data())), end_(bytes.size()) {}
    explicit ByteWindow(platform::FileHandle file)
        : file_(file), buffer_(new unsigned char[kBlockSize + kLongestMessage]), data_(buffer_.get()) {}

    // The next `n` bytes (at most kLongestMessage), valid until the next
    // Take; nullptr where the input ends first or reading fails (ReadError).
    const unsigned char* Take(std::size_t n) {
        if (end_ - at_ < n && !Fill(n)) return nullptr;
        const unsigned char* piece = data_ + at_;
        at_ += n;
        taken_ += n;
        return piece;
    }
    // Whether the input has no byte left (or reading fails).
    bool AtEnd() { return at_ == end_ && !Fill(1); }
    std::uint64_t Taken() const { return taken_; }
    const std::string& ReadError() const { return readError_; }

private:
    // Reads on until `n` bytes stand unread, moving those there are to the
    // buffer's start first.
    bool Fill(std::size_t n) {
        if (file_ == platform::kNoFile || !readError_.empty()) return false;
        const std::size_t left = end_ - at_;
        std::memmove(buffer_.get(), data_ + at_, left);
        at_ = 0;
        end_ = left;
        while (end_ < n) {
            const std::ptrdiff_t got = platform::ReadSomeAt(
                file_, reinterpret_cast<char*>(buffer_.get() + end_), kBlockSize + kLongestMessage - end_, fileOffset_);
            if (got < 0) {
                readError_ = platform::ErrorText(errno);
                return false;
            }
            if (got == 0) return false;
            end_ += static_cast<std::size_t>(got);
            fileOffset_ += static_cast<std::uint64_t>(got);
        }
        return true;
    }

    platform::FileHandle file_ = platform::kNoFile;
    std::uint64_t fileOffset_ = 0;  // of the next byte to read from the file
    std::unique_ptr<unsigned char[]> buffer_;
    const unsigned char* data_;
    std::size_t at_ = 0;   // the first unread byte in data_
    std::size_t end_ = 0;  // the end of the bytes in data_
    std::uint64_t taken_ = 0;
    std::string readError_;
};

// --- Fields and their values.

// The fields of a record message that make a position, and where a
// definition finds them: a slot each.
enum Slot : std::uint8_t {
    kTimestamp,
    kLatitude,
    kLongitude,
    kAltitude,
    kEnhancedAltitude,
    kHeartRate,
    kCadence,
    kPower,
    kTemperature,
    kSpeed,
    kEnhancedSpeed,
    kSlots,
    kNoSlot = kSlots,
};

constexpr std::uint16_t kRecordMessage = 20;  // the global number of `record`
constexpr std::uint8_t kTimestampField = 253;  // a message's timestamp, whatever the message

Slot RecordSlot(std::uint8_t field) {
    switch (field) {
        case kTimestampField: return kTimestamp;
        case 0: return kLatitude;
        case 1: return kLongitude;
        case 2: return kAltitude;
        case 78: return kEnhancedAltitude;
        case 3: return kHeartRate;
        case 4: return kCadence;
        case 7: return kPower;
        case 13: return kTemperature;
        case 6: return kSpeed;
        case 73: return kEnhancedSpeed;
        default: return kNoSlot;
    }
}

// A base type's size and how its values read.
struct BaseType {
    enum Kind : std::uint8_t { Unsigned, Signed, Float, Bytes };
    std::uint8_t size;
    Kind kind;
    bool zeroInvalid;  // 0 is its invalid value (else all bits set, or the largest signed value)
};

// By base type number (the low five bits of a field's base type byte).
constexpr std::array<BaseType, 17> kBaseTypes{{
    {1, BaseType::Unsigned, false},  // enum
    {1, BaseType::Signed, false},    // sint8
    {1, BaseType::Unsigned, false},  // uint8
    {2, BaseType::Signed, false},    // sint16
    {2, BaseType::Unsigned, false},  // uint16
    {4, BaseType::Signed, false},    // sint32
    {4, BaseType::Unsigned, false},  // uint32
    {1, BaseType::Bytes, false},     // string
    {4, BaseType::Float, false},     // float32
    {8, BaseType::Float, false},     // float64
    {1, BaseType::Unsigned, true},   // uint8z
    {2, BaseType::Unsigned, true},   // uint16z
    {4, BaseType::Unsigned, true},   // uint32z
    {1, BaseType::Bytes, false},     // byte
    {8, BaseType::Signed, false},    // sint64
    {8, BaseType::Unsigned, false},  // uint64
    {8, BaseType::Unsigned, true},   // uint64z
}};

// Where a data message holds a number and how it reads, worked out once
// from its definition: the first value of the field, `size` bytes of
// `kind`, none where it is `invalid`. Size 0: the message holds no such
// number.
struct FieldPlace {
    std::uint16_t offset = 0;
    std::uint8_t size = 0;
    BaseType::Kind kind = BaseType::Bytes;
    std::uint64_t invalid = 0;
};

// The place of a field at `offset` of `size` bytes and the base type byte
// `baseType`; none where the type holds no number or the field's size is
// no multiple of its type's.
FieldPlace PlaceOf(std::uint32_t offset, std::uint8_t size, std::uint8_t baseType) {
    const std::size_t typeNumber = baseType & 0x1Fu;
    if (typeNumber >= kBaseTypes.size()) return {};
    const BaseType& type = kBaseTypes[typeNumber];
    if (type.kind == BaseType::Bytes || size == 0 || size % type.size != 0) return {};
    const unsigned bits = 8u * type.size;
    const std::uint64_t allSet = bits == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
    const std::uint64_t invalid = type.zeroInvalid ? 0 : type.kind == BaseType::Signed ? allSet >> 1 : allSet;
    return {static_cast<std::uint16_t>(offset), type.size, type.kind, invalid};
}

// What a definition tells of the data messages of its local type.
struct Definition {
    bool defined = false;
    bool bigEndian = false;
    bool record = false;     // a record message
    std::uint32_t size = 0;  // the bytes of a data message after its header
    std::array<FieldPlace, kSlots> fields{};  // a record's fields; the timestamp of any message
};

inline std::uint16_t Swapped(std::uint16_t v) { return __builtin_bswap16(v); }
inline std::uint32_t Swapped(std::uint32_t v) { return __builtin_bswap32(v); }
inline std::uint64_t Swapped(std::uint64_t v) { return __builtin_bswap64(v); }

// The unsigned number at `bytes`, in the byte order given.
template <class Unsigned>
std::uint64_t Load(const unsigned char* bytes, bool bigEndian) {
    Unsigned value;
    std::memcpy(&value, bytes, sizeof value);
    return bigEndian != (std::endian::native == std::endian::big) ? Swapped(value) : value;
}

// The number at `place` in `content`; false where the message holds none
// there or the field holds its type's invalid value.
bool FieldNumber(const unsigned char* content, const FieldPlace& place, bool bigEndian, double& value) {
    const unsigned char* bytes = content + place.offset;
    std::uint64_t raw = 0;
    switch (place.size) {
        case 0: return false;
        case 1: raw = bytes[0]; break;
        case 2: raw = Load<std::uint16_t>(bytes, bigEndian); break;
        case 4: raw = Load<std::uint32_t>(bytes, bigEndian); break;
        default: raw = Load<std::uint64_t>(bytes, bigEndian); break;
    }
    if (raw == place.invalid) return false;
    const unsigned unused = 64u - 8u * place.size;
    switch (place.kind) {
        case BaseType::Unsigned: value = static_cast<double>(raw); return true;
        case BaseType::Signed:
            value = static_cast<double>(static_cast<std::int64_t>(raw << unused) >> unused);
            return true;
        case BaseType::Float:
            value = place.size == 4 ? static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(raw)))
                                    : std::bit_cast<double>(raw);
            return std::isfinite(value);
        case BaseType::Bytes: break;
    }
    return false;
}

// --- From a record message to a record.

constexpr double kDegreesPerSemicircle = 180.0 / 2147483648.0;
// FIT times count seconds from 1989-12-31T00:00:00Z: so many after 1970.
constexpr std::int64_t kFitEpoch = 631065600;
// Smaller times count from the device's start, not from the epoch.
constexpr double kLeastDateTime = 0x10000000;
// A time is 32 bits: a field of a wider type holding more gives none.
constexpr double kLatestDateTime = 0xFFFFFFFF;

// The record of a record message: its position (or none), time, altitude
// and measurements. `time` < 0: the message gives no time.
void ReadRecordMessage(const RunOptions& options, const Definition& d, const unsigned char* content, double time,
                       Record& record) {
    record.Begin();
    const auto number = [&](Slot slot, double& value) {
        return FieldNumber(content, d.fields[slot], d.bigEndian, value);
    };
    Position& p = record.position;
    double latitude = 0, longitude = 0;
    if (!number(kLatitude, latitude) || !number(kLongitude, longitude)) {
        record.Fail(LineReason::RecordWithoutPosition);
        return;
    }
    p.latitude = latitude * kDegreesPerSemicircle;
    p.longitude = longitude * kDegreesPerSemicircle;
    MarkOutOfRange(record);

    double timeOfDay = 0;
    p.utcTime.reset();
    if (time >= kLeastDateTime) {
        const auto seconds = static_cast<std::int64_t>(time) + kFitEpoch;
        p.utcTime = seconds * 1000;
        timeOfDay = static_cast<double>(seconds % 86400);
    }

    double value = 0;
    const bool altitudeGiven = number(kEnhancedAltitude, value) || number(kAltitude, value);
    const double altitude = altitudeGiven ? value / 5 - 500 : 0;

    Measurements& m = p.measurements;
    m = Measurements{};
    if (number(kHeartRate, value) && value >= 0 && value <= 255) {
        m.heartRate = static_cast<std::uint8_t>(value);
        m.has |= Measurements::kHeartRate;
    }
    if (number(kCadence, value) && value >= 0 && value <= 255) {
        m.cadence = static_cast<std::uint8_t>(value);
        m.has |= Measurements::kCadence;
    }
    if (number(kPower, value) && value >= 0 && value <= 65535) {
        m.power = static_cast<std::uint16_t>(value);
        m.has |= Measurements::kPower;
    }
    if (number(kTemperature, value) && value >= -3276 && value <= 3276) {
        m.temperature = static_cast<std::int16_t>(value * 10);
        m.has |= Measurements::kTemperature;
    }
    if ((number(kEnhancedSpeed, value) || number(kSpeed, value)) && value >= 0 && value <= 4294967295.0) {
        m.speed = static_cast<float>(value / 1000);
        m.has |= Measurements::kSpeed;
    }
    CompletePosition(record, timeOfDay, ManipulatedAltitude(options, altitude), true,
                     altitudeGiven || options.AltitudeMode == AltitudeMode::SetFixed);
}

// --- The reading of one input: FIT file after FIT file.
class FitDecoder {
public:
    FitDecoder(const RunOptions& options, ByteWindow& in, FitRecordSink& sink, std::string& error, int& files)
        : options_(options), in_(in), sink_(sink), error_(error), files_(files) {}

    FitEnd Run() {
        for (;;) {
            if (!ReadHeader()) return FitEnd::Failed;
            while (in_.Taken() < dataEnd_) {
                const FitEnd end = ReadMessage();
                if (end != FitEnd::Finished) return end;
            }
            if (!CheckFileCrc()) return FitEnd::Failed;
            ++files_;
            if (in_.AtEnd()) return in_.ReadError().empty() ? FitEnd::Finished : Fail(ReadFailure());
        }
    }

private:
    FitEnd Fail(std::string text) {
        error_ = std::move(text);
        return FitEnd::Failed;
    }
    std::string At(std::uint64_t offset) const { return " at byte " + std::to_string(offset); }
    std::string ReadFailure() const { return "reading failed: " + in_.ReadError(); }

    // The next `n` bytes of the current FIT file's data, which the message
    // at `message` needs, taken into the file's CRC; nullptr (with the
    // error set) where the data or the input end first.
    const unsigned char* Data(std::size_t n, std::uint64_t message) {
        if (in_.Taken() + n > dataEnd_) {
            Fail("the message" + At(message) + " runs past the end of the FIT data" + At(dataEnd_) +
                 " that its header gives");
            return nullptr;
        }
        const unsigned char* bytes = in_.Take(n);
        if (bytes == nullptr) {
            Fail(!in_.ReadError().empty() ? ReadFailure()
                                          : "the file ends within the message" + At(message) +
                                                ": it is cut short (its header gives FIT data up to byte " +
                                                std::to_string(dataEnd_) + ")");
            return nullptr;
        }
        crc_ = UpdateCrc(crc_, bytes, n);
        return bytes;
    }

    bool ReadHeader() {
        const std::uint64_t at = in_.Taken();
        const unsigned char* size = in_.Take(1);
        if (size == nullptr) {
            Fail(!in_.ReadError().empty() ? ReadFailure() : "the file is empty, without a FIT header");
            return false;
        }
        std::array<unsigned char, 14> header{size[0]};
        if (header[0] != 12 && header[0] != 14) {
            Fail("no FIT header" + At(at) + ": its first byte gives a size of " + std::to_string(header[0]) +
                 " bytes, not 12 or 14");
            return false;
        }
        const unsigned char* rest = in_.Take(header[0] - 1u);
        if (rest == nullptr) {
            Fail(!in_.ReadError().empty() ? ReadFailure() : "the file ends within the FIT header" + At(at));
            return false;
        }
        std::memcpy(header.data() + 1, rest, header[0] - 1u);
        if (std::memcmp(header.data() + 8, ".FIT", 4) != 0) {
            Fail("no FIT header" + At(at) + ": bytes 8 to 11 are not \".FIT\"");
            return false;
        }
        if (header[0] == 14) {
            const unsigned stored = header[12] | header[13] << 8;
            if (stored != 0 && stored != UpdateCrc(0, header.data(), 12)) {
                Fail("the FIT header" + At(at) + " fails its CRC");
                return false;
            }
        }
        const std::uint32_t dataSize = header[4] | header[5] << 8 | header[6] << 16 | std::uint32_t{header[7]} << 24;
        headerAt_ = at;
        dataEnd_ = in_.Taken() + dataSize;
        crc_ = UpdateCrc(0, header.data(), header[0]);
        definitions_ = {};
        lastTime_ = -1;
        return true;
    }

    bool CheckFileCrc() {
        const std::uint64_t at = in_.Taken();
        const unsigned char* bytes = in_.Take(2);
        if (bytes == nullptr) {
            Fail(!in_.ReadError().empty() ? ReadFailure()
                                          : "the file ends before the CRC of the FIT file" + At(headerAt_) +
                                                ": it is cut short");
            return false;
        }
        if ((bytes[0] | bytes[1] << 8) != crc_) {
            Fail("the FIT file" + At(headerAt_) + " fails its CRC" + At(at) + ": its data are damaged");
            return false;
        }
        return true;
    }

    FitEnd ReadMessage() {
        const std::uint64_t at = in_.Taken();
        const unsigned char* bytes = Data(1, at);
        if (bytes == nullptr) return FitEnd::Failed;
        const unsigned header = bytes[0];
        if ((header & 0x80u) != 0) {
            // A compressed timestamp header: local types 0 to 3 and the
            // time's five lowest bits.
            return ReadData(at, (header >> 5) & 0x3u, static_cast<int>(header & 0x1Fu));
        }
        if ((header & 0x40u) != 0) return ReadDefinition(at, header & 0xFu, (header & 0x20u) != 0);
        return ReadData(at, header & 0xFu, -1);
    }

    FitEnd ReadDefinition(std::uint64_t at, unsigned local, bool developerFields) {
        const unsigned char* fixed = Data(5, at);
        if (fixed == nullptr) return FitEnd::Failed;
        if (fixed[1] > 1) {
            return Fail("the definition" + At(at) + " gives the byte order " + std::to_string(fixed[1]) +
                        ", neither 0 (little-endian) nor 1 (big-endian)");
        }
        Definition d;
        d.defined = true;
        d.bigEndian = fixed[1] == 1;
        const unsigned global = d.bigEndian ? fixed[2] << 8 | fixed[3] : fixed[3] << 8 | fixed[2];
        d.record = global == kRecordMessage;
        const unsigned count = fixed[4];
        const unsigned char* fields = Data(3u * count, at);
        if (fields == nullptr) return FitEnd::Failed;
        std::uint32_t offset = 0;
        for (unsigned i = 0; i < count; ++i) {
            const std::uint8_t number = fields[3 * i];
            const std::uint8_t size = fields[3 * i + 1];
            const Slot slot = d.record ? RecordSlot(number) : number == kTimestampField ? kTimestamp : kNoSlot;
            if (slot != kNoSlot) d.fields[slot] = PlaceOf(offset, size, fields[3 * i + 2]);
            offset += size;
        }
        if (developerFields) {
            const unsigned char* countByte = Data(1, at);
            if (countByte == nullptr) return FitEnd::Failed;
            const unsigned developerCount = countByte[0];
            const unsigned char* developer = Data(3u * developerCount, at);
            if (developer == nullptr) return FitEnd::Failed;
            for (unsigned i = 0; i < developerCount; ++i) offset += developer[3 * i + 1];
        }
        d.size = offset;
        definitions_[local] = d;
        return FitEnd::Finished;
    }

    // A data message of `local` type; `timeOffset` the five bits of a
    // compressed timestamp header, -1 for a normal header.
    FitEnd ReadData(std::uint64_t at, unsigned local, int timeOffset) {
        const Definition& d = definitions_[local];
        if (!d.defined) {
            return Fail("the data message" + At(at) + " is of local type " + std::to_string(local) +
                        ", which no definition before it gives");
        }
        const unsigned char* content = Data(d.size, at);
        if (content == nullptr) return FitEnd::Failed;
        // The message's time: its timestamp field, or the last full time
        // with its five lowest bits from the header, a roll-over counted.
        double time = -1;
        if (FieldNumber(content, d.fields[kTimestamp], d.bigEndian, time) && time >= 0 && time <= kLatestDateTime) {
            lastTime_ = time;
        } else if (timeOffset >= 0 && lastTime_ >= 0) {
            const auto last = static_cast<std::uint64_t>(lastTime_);
            std::uint64_t t = (last & ~std::uint64_t{0x1F}) + static_cast<unsigned>(timeOffset);
            if (static_cast<unsigned>(timeOffset) < (last & 0x1Fu)) t += 0x20;
            time = lastTime_ = static_cast<double>(t);
        } else {
            time = -1;
        }
        if (!d.record) return FitEnd::Finished;
        ReadRecordMessage(options_, d, content, time, record_);
        return sink_.Take(record_, at) ? FitEnd::Finished : FitEnd::Stopped;
    }

    const RunOptions& options_;
    ByteWindow& in_;
    FitRecordSink& sink_;
    std::string& error_;
    int& files_;
    std::array<Definition, 16> definitions_{};
    std::uint64_t headerAt_ = 0;  // where the current FIT file starts
    std::uint64_t dataEnd_ = 0;   // where its data end
    std::uint16_t crc_ = 0;       // of its bytes so far
    double lastTime_ = -1;        // its last full time, -1 before any
    Record record_;
};

}  // namespace

FitEnd FitFileReader::Read(std::string_view bytes, FitRecordSink& sink) {
    ByteWindow in(bytes);
    error_.clear();
    files_ = 0;
    return FitDecoder(options_, in, sink, error_, files_).Run();
}

FitEnd FitFileReader::Read(platform::FileHandle file, FitRecordSink& sink) {
    ByteWindow in(file);
    error_.clear();
    files_ = 0;
    return FitDecoder(options_, in, sink, error_, files_).Run();
}

}  // namespace torvane
