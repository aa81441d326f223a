#include "convert/read/tcx_file.h"

#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>

#include "convert/dates/date_sources.h"
#include "convert/files/utf16_text.h"
#include "convert/read/position.h"
#include "convert/read/text_scan.h"
#include "convert/read/xml_text.h"
#include "output/byte_scan.h"
#include "output/track_time.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace torvane {
namespace {

// Elements nested deeper than this end the reading (a TCX trackpoint's
// values lie six deep).
constexpr std::size_t kDeepest = 256;
// The text of a value kept; a longer one is too long to be a number.
constexpr std::size_t kLongestValue = 256;
// The part of an element's local name kept (the longest the reader looks
// for, "TrainingCenterDatabase", has 22 characters).
constexpr std::size_t kLocalNameRoom = 24;

constexpr std::string_view kRootName = "TrainingCenterDatabase";

// What an element is to the reader: where a trackpoint's values stand, one
// of the values, or anything else.
enum class Role : std::uint8_t {
    Other,
    Trackpoint,
    Position,
    HeartRateBpm,
    Extensions,
    Tpx,
    // The values, whose text is read:
    Time,
    Latitude,
    Longitude,
    Altitude,
    HeartRate,
    Cadence,
    RunCadence,
    Speed,
    Watts,
};

bool IsValue(Role role) { return role >= Role::Time; }

// The eight bytes of `value` in the other order.
std::uint64_t ByteSwapped(std::uint64_t value) {
#if defined(__GNUC__)
    return __builtin_bswap64(value);
#else
    std::uint64_t swapped = 0;
    for (int i = 0; i < 8; ++i, value >>= 8) swapped = swapped << 8 | (value & 0xFF);
    return swapped;
#endif
}

// The role of an element named `name` (its local name, without a prefix)
// inside an element of role `parent`; a trackpoint is found only outside
// another one.
Role RoleOf(Role parent, std::string_view name, bool inTrackpoint) {
    switch (parent) {
        case Role::Trackpoint:
            if (name == "Time") return Role::Time;
            if (name == "Position") return Role::Position;
            if (name == "AltitudeMeters") return Role::Altitude;
            if (name == "HeartRateBpm") return Role::HeartRateBpm;
            if (name == "Cadence") return Role::Cadence;
            if (name == "Extensions") return Role::Extensions;
            return Role::Other;
        case Role::Position:
            if (name == "LatitudeDegrees") return Role::Latitude;
            if (name == "LongitudeDegrees") return Role::Longitude;
            return Role::Other;
        case Role::HeartRateBpm: return name == "Value" ? Role::HeartRate : Role::Other;
        case Role::Extensions: return name == "TPX" ? Role::Tpx : Role::Other;
        case Role::Tpx:
            if (name == "Speed") return Role::Speed;
            if (name == "Watts") return Role::Watts;
            if (name == "RunCadence") return Role::RunCadence;
            return Role::Other;
        case Role::Other: return !inTrackpoint && name == "Trackpoint" ? Role::Trackpoint : Role::Other;
        default: return Role::Other;
    }
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text) {
    if (!text.empty() && !IsBlank(text.front()) && !IsBlank(text.back())) return text;
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// What a value's text gave.
enum class Got : std::uint8_t { None, Number, TooLarge };

// The plain decimal most values are ("-8.3093448", "120"): digits, or
// digits, "." and digits, after an optional "-", 15 digits at the most.
// Their integer is exact in a double and so is the power of ten it is
// divided by: one division rounds the quotient once, to the double
// from_chars gives. False for any other text.
bool ReadPlainDecimal(std::string_view text, double& value) {
    const char* c = text.data();
    const char* const end = c + text.size();
    const bool negative = c < end && *c == '-';
    if (negative) ++c;
    const GatheredDigits g = GatherDigits(c, end);
    const std::size_t whole = static_cast<std::size_t>(g.point - c);
    if (g.end != end || whole == 0 || whole + g.decimals > 15 || (g.point != end && g.decimals == 0)) return false;
    const double magnitude = static_cast<double>(g.digits) / kExactPowersOfTen[g.decimals];
    value = negative ? -magnitude : magnitude;
    return true;
}

// The decimal number that is the whole of `text` (blanks around it
// allowed, an exponent too); TooLarge where it does not fit a double.
Got ReadNumber(std::string_view text, double& value) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return Got::None;
    if (ReadPlainDecimal(text, value)) return Got::Number;
    const char* const end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (failure == std::errc::result_out_of_range && stop == end) return Got::TooLarge;
    if (failure != std::errc() || stop != end || !std::isfinite(value)) return Got::None;
    return Got::Number;
}

// The values of the trackpoint being read.
struct PointValues {
    Got latitude = Got::None, longitude = Got::None, altitude = Got::None;
    double latitudeValue = 0, longitudeValue = 0, altitudeValue = 0;
    std::optional<std::int64_t> utcTime;
    double timeOfDay = 0;
    Measurements measurements;
    std::optional<std::uint8_t> runCadence;  // taken where the trackpoint has no Cadence
};

// A measured count of 0 to `most`, rounded; none beyond.
template <class Unsigned>
bool CountIn(double value, double most, Unsigned& count) {
    if (!(value >= 0 && value <= most)) return false;
    count = static_cast<Unsigned>(std::lround(value));
    return true;
}

// --- The scanner: the bytes of a TCX document, piece after piece, into
// elements, their text and the trackpoints' records.
class TcxScanner {
public:
    enum class Mode { Read, FindRoot };

    TcxScanner(const RunOptions* options, BlockRecordSink* sink, std::string& error, Mode mode)
        : options_(options),
          sink_(sink),
          error_(error),
          mode_(mode),
          positionsOnly_(sink != nullptr && sink->PositionsOnly()) {}

    // Takes the next `size` bytes. False ends the reading: failed (the
    // error set), stopped by the sink, or the root found.
    bool Feed(const char* data, std::size_t size);
    // After the last piece: whether the document ended whole.
    BlockEnd Finish();

    BlockEnd End() const { return end_; }
    bool RootIsTcx() const { return rootIsTcx_; }

    // Notes into `noted` the state at the first trackpoint that opens at or
    // after `from`.
    void NoteTrackpointFrom(std::uint64_t from, std::optional<TcxReaderPlace>& noted) {
        noteFrom_ = from;
        noted_ = &noted;
    }
    // Goes on from `place`, a trackpoint's start: the next byte fed is the
    // one there. False (failed) for a state no reading leaves.
    bool StartAt(const TcxReaderPlace& place);
    // Goes on at `offset` with the elements open there unknown: end tags
    // that close more than were opened since go into `unknown`.
    void StartUnknownAt(std::uint64_t offset, TcxUnknownStart& unknown) {
        rootSeen_ = rootIsTcx_ = true;
        offset_ = offset;
        unknown_ = &unknown;
    }
    // The state after the bytes fed so far, where they end between
    // trackpoints outside every tag; none otherwise.
    std::optional<TcxReaderPlace> Place() const;

private:
    enum class State : std::uint8_t {
        Text,         // between tags
        TagOpen,      // after "<"
        Name,         // in a tag's name
        Attributes,   // in a tag after its name
        Quoted,       // in an attribute's value
        Bang,         // after "<!": a comment, a CDATA section or a declaration
        Comment,      // in "<!-- ... -->"
        CData,        // in "<![CDATA[ ... ]]>"
        Declaration,  // in "<!DOCTYPE ... >" and the like
        Instruction,  // in "<? ... ?>"
    };

    // An open element: its name's key (an end tag must match it), where
    // it starts, its role, and its local name for the messages.
    struct Level {
        std::uint64_t key = 0;
        std::uint64_t first = 0, last = 0;  // of its name, as the key is made of them
        std::size_t size = 0;               // of its name
        std::uint64_t at = 0;
        Role role = Role::Other;
        std::uint8_t nameSize = 0;
        std::array<char, kLocalNameRoom> name{};
    };

    // What an end tag must match of the name its element was opened with:
    // its length and first and last eight bytes, mixed.
    std::uint64_t NameKey() const {
        return (nameFirst_ * 0x9E3779B97F4A7C15ull) ^ (nameLast_ * 0xC2B2AE3D27D4EB4Full) ^ nameSize_;
    }

    bool Fail(std::string text) {
        error_ = std::move(text);
        end_ = BlockEnd::Failed;
        return false;
    }
    static std::string At(std::uint64_t offset) { return " at byte " + std::to_string(offset); }
    // The name of the tag just read, as far as it is kept.
    std::string TagName() const {
        return std::string(nameText_, std::min(nameSize_, name_.size())) + (nameSize_ > name_.size() ? "..." : "");
    }
    std::string_view LocalName() const {
        return localLong_ ? std::string_view() : std::string_view(localText_, localSize_);
    }

    void BeginName() {
        nameText_ = name_.data();
        localText_ = local_.data();
        localRoom_ = local_.size();
        nameSize_ = 0;
        localSize_ = 0;
        localLong_ = false;
        nameFirst_ = nameLast_ = 0;
    }
    void AddNameCharacter(char c) {
        if (nameSize_ < 8) nameFirst_ |= std::uint64_t{static_cast<unsigned char>(c)} << (8 * nameSize_);
        nameLast_ = nameLast_ << 8 | static_cast<unsigned char>(c);
        if (nameSize_ < name_.size()) name_[nameSize_] = c;
        ++nameSize_;
        if (c == ':') {
            localSize_ = 0;
            localLong_ = false;
        } else if (localSize_ < local_.size()) {
            local_[localSize_++] = c;
        } else {
            localLong_ = true;
        }
    }
    // Whether the text from `from` to `to` holds nothing but blanks (and
    // the byte-order mark at the file's start): what may stand before the
    // root element.
    bool OnlyBlanks(const char* from, const char* to) const {
        for (const char* c = from; c < to; ++c) {
            const std::uint64_t at = offset_ + static_cast<std::uint64_t>(c - feedStart_);
            if (!IsBlank(*c) && !(at < 3 && *c == "\xEF\xBB\xBF"[at])) return false;
        }
        return true;
    }
    // The first "<" from `p` on before `end`, or null: the next 16 bytes
    // looked at in place (the text between tags is mostly short), memchr
    // beyond them.
    static const char* FindOpening(const char* p, const char* end) {
#ifdef __SSE2__
        if (end - p >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const auto bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('<'))));
            if (bits != 0) return p + std::countr_zero(bits);
            p += 16;
        }
#endif
        return static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)));
    }
    static bool HoldsQuote(const char* from, const char* to) {
        const auto size = static_cast<std::size_t>(to - from);
        return FindFirstOf(from, size, ByteSet('"', '\'')) != size;
    }
    // The number of the first `size` bytes at `name` (at least 8 readable)
    // as AddNameCharacter makes it of a name's first eight bytes; where
    // size < 8, `last` too, the number of its last eight.
    static std::uint64_t HeadNumber(const char* name, std::size_t size, std::uint64_t& last) {
        std::uint64_t first = 0;
        std::memcpy(&first, name, 8);
        if (size < 8) {
            const unsigned unused = 64 - 8 * static_cast<unsigned>(size);
            first &= ~std::uint64_t{0} >> unused;
            last = ByteSwapped(first) >> unused;
        }
        return first;
    }
    // Whether an end tag whose name starts at `name` is "</NAME>" with the
    // name of the innermost open element, where that has 16 bytes at the
    // most (which its first and last eight cover, as they do its key):
    // then the tag is read, as the loop of ReadTagAtOnce would read it.
    bool ClosesInnermost(const char* name, const char* end) {
        if (std::endian::native != std::endian::little || end - name <= 16) return false;
        const Level& open = levels_[depth_ - 1];
        const std::size_t size = open.size;
        if (size > 16 || name[size] != '>') return false;
        std::uint64_t last = 0;
        const std::uint64_t first = HeadNumber(name, size, last);
        if (size >= 8) {
            std::memcpy(&last, name + size - 8, 8);
            last = ByteSwapped(last);
        }
        if (first != open.first || last != open.last) return false;
        endTag_ = true;
        selfClosing_ = false;
        nameSize_ = size;
        nameText_ = name;
        nameFirst_ = first;
        nameLast_ = last;
        return true;
    }
    // What reading a tag at once gave.
    enum class AtOnce : std::uint8_t { Read, NotWhole, Failed };
    // The tag from `from` (just after its "<"), where it stands whole in
    // the piece ending at `end` without quotes: read at once, `next` set
    // after its ">". Otherwise (NotWhole) the states read it.
    AtOnce ReadTagAtOnce(const char* from, const char* end, const char*& next) {
        if (*from == '/' && depth_ > 0 && ClosesInnermost(from + 1, end)) {
            next = from + 2 + nameSize_;
            return Close() ? AtOnce::Read : AtOnce::Failed;
        }
        endTag_ = *from == '/';
        const char* name = from + (endTag_ ? 1 : 0);
        // The name ends at a blank, "/" or ">"; its local part follows its last ":".
        const char* nameEnd = nullptr;
        const char* local = name;
#ifdef __SSE2__
        for (const char* block = name; nameEnd == nullptr && end - block >= 16; block += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
            const auto colons = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(':'))));
            // Blanks are among the bytes up to 0x20; any other of those ends
            // the fast look and leaves the name to the loop below.
            const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(0x20)), bytes);
            const __m128i stops = _mm_or_si128(low, _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('/')),
                                                                 _mm_cmpeq_epi8(bytes, _mm_set1_epi8('>'))));
            const auto stopBits = static_cast<unsigned>(_mm_movemask_epi8(stops));
            if (stopBits == 0) {
                if (colons != 0) local = block + std::bit_width(colons);
                continue;
            }
            const int at = std::countr_zero(stopBits);
            if (block[at] != '/' && block[at] != '>' && !IsBlank(block[at])) break;
            nameEnd = block + at;
            if (const unsigned before = colons & ((1u << at) - 1); before != 0) local = block + std::bit_width(before);
        }
#endif
        if (nameEnd == nullptr) {
            nameEnd = name;
            local = name;
            for (; nameEnd < end && !IsBlank(*nameEnd) && *nameEnd != '/' && *nameEnd != '>'; ++nameEnd) {
                if (*nameEnd == ':') local = nameEnd + 1;
            }
            if (nameEnd == end) return AtOnce::NotWhole;
        }
        if (nameEnd == name) {
            FailInTag(Fault::NoName);
            return AtOnce::Failed;
        }
        const char* close = nameEnd;
        if (*nameEnd != '>') {
            close = static_cast<const char*>(std::memchr(nameEnd, '>', static_cast<std::size_t>(end - nameEnd)));
            if (close == nullptr || HoldsQuote(nameEnd, close)) return AtOnce::NotWhole;
        }
        const char* last = close;
        while (last > nameEnd && IsBlank(last[-1])) --last;
        selfClosing_ = last > nameEnd && last[-1] == '/';
        // The name as AddNameCharacter takes it a character at a time; the
        // messages read it in the piece.
        nameSize_ = static_cast<std::size_t>(nameEnd - name);
        nameText_ = name;
        if (std::endian::native == std::endian::little && end - name >= 8) {
            // The same numbers from loads of eight bytes.
            nameFirst_ = HeadNumber(name, nameSize_, nameLast_);
            if (nameSize_ >= 8) {
                std::memcpy(&nameLast_, nameEnd - 8, 8);
                nameLast_ = ByteSwapped(nameLast_);
            }
        } else {
            nameFirst_ = nameLast_ = 0;
            for (std::size_t i = 0; i < std::min<std::size_t>(nameSize_, 8); ++i) {
                nameFirst_ |= std::uint64_t{static_cast<unsigned char>(name[i])} << (8 * i);
            }
            for (const char* c = nameEnd - std::min<std::size_t>(nameSize_, 8); c < nameEnd; ++c) {
                nameLast_ = nameLast_ << 8 | static_cast<unsigned char>(*c);
            }
        }
        const auto localSize = static_cast<std::size_t>(nameEnd - local);
        localLong_ = localSize > local_.size();
        localSize_ = std::min(localSize, local_.size());
        localText_ = local;
        localRoom_ = static_cast<std::size_t>(end - local);
        next = close + 1;
        return TagDone() ? AtOnce::Read : AtOnce::Failed;
    }
    // The text from `text` to `stop` in the piece that ends at `end`: a
    // short one (a value's) copied at a fixed size where both sides have
    // the room, which costs no call.
    void AddPieceText(const char* text, const char* stop, const char* end) {
        constexpr std::size_t kShort = 32;
        const auto size = static_cast<std::size_t>(stop - text);
        if (size <= kShort && !textLong_ && textSize_ + kShort <= text_.size() &&
            static_cast<std::size_t>(end - text) >= kShort) {
            std::memcpy(text_.data() + textSize_, text, kShort);
            textSize_ += size;
        } else {
            AddText(text, size);
        }
    }
    void AddText(const char* text, std::size_t size) {
        if (textLong_ || textSize_ + size > text_.size()) {
            textLong_ = true;
            return;
        }
        std::memcpy(text_.data() + textSize_, text, size);
        textSize_ += size;
    }

    // What is wrong with the tag just read.
    enum class Fault : std::uint8_t { NoName, TooDeep, OtherRoot, ClosesNone, ClosesOther };
    // Ends the reading with the message of `fault`; false. Out of the way
    // of the tags that are right.
    [[gnu::noinline, gnu::cold]] bool FailInTag(Fault fault);

    bool TagDone();
    bool Open();
    bool Close();
    void TakeValue(Role role);
    bool TakeTrackpoint(std::uint64_t at);
    // The state before the "<" at `at`, in text outside every trackpoint.
    TcxReaderPlace PlaceAt(std::uint64_t at) const;

    const RunOptions* options_;
    BlockRecordSink* sink_;
    std::string& error_;
    Mode mode_;
    bool positionsOnly_;  // the sink counts positions: only coordinates and altitudes, which decide one, are read
    BlockEnd end_ = BlockEnd::Finished;
    bool rootSeen_ = false;
    bool rootIsTcx_ = false;

    State state_ = State::Text;
    std::uint64_t offset_ = 0;  // of the first byte of the piece being fed
    const char* feedStart_ = nullptr;  // that piece
    std::uint64_t tagAt_ = 0;   // where the last "<" stands
    bool endTag_ = false;
    bool selfClosing_ = false;  // a "/" was the last character of the tag so far
    char quote_ = '"';
    int marks_ = 0;             // the "-", "]" or "?" just before, in a comment, CDATA or instruction
    std::array<char, 7> bang_{};
    std::size_t bangSize_ = 0;

    // The tag's name and its local part: kept here where the states read
    // it a character at a time, read in the piece where the tag is read at
    // once (the text pointers tell which).
    std::array<char, 40> name_{};
    std::size_t nameSize_ = 0;
    const char* nameText_ = name_.data();
    std::array<char, kLocalNameRoom> local_{};
    std::size_t localSize_ = 0;
    const char* localText_ = local_.data();
    std::size_t localRoom_ = kLocalNameRoom;  // bytes readable from localText_
    bool localLong_ = false;
    std::uint64_t nameFirst_ = 0, nameLast_ = 0;  // the name's first and last eight bytes

    std::array<Level, kDeepest> levels_{};
    std::size_t depth_ = 0;
    std::size_t trackpointLevel_ = 0;  // of the open trackpoint, while inTrackpoint_
    bool inTrackpoint_ = false;
    std::int64_t trackpoints_ = 0;  // read so far

    std::uint64_t noteFrom_ = UINT64_MAX;
    std::optional<TcxReaderPlace>* noted_ = nullptr;
    TcxUnknownStart* unknown_ = nullptr;  // started with the elements open unknown

    bool collecting_ = false;  // the innermost open element is a value: its text is kept
    std::array<char, kLongestValue> text_{};
    std::size_t textSize_ = 0;
    bool textLong_ = false;
    std::string room_;  // the text with its character references read

    PointValues point_;
    Record record_;
};

bool TcxScanner::Feed(const char* data, std::size_t size) {
    if (end_ != BlockEnd::Finished) return false;
    feedStart_ = data;
    const char* p = data;
    const char* const end = data + size;
    const auto offsetOf = [&](const char* at) { return offset_ + static_cast<std::uint64_t>(at - data); };
    while (p < end) {
        switch (state_) {
            case State::Text:
                // Text and the tags that stand whole after it, one after
                // the other.
                for (;;) {
                    const char* open = FindOpening(p, end);
                    const char* stop = open != nullptr ? open : end;
                    if (collecting_) AddPieceText(p, stop, end);
                    if (!rootSeen_ && mode_ == Mode::FindRoot && !OnlyBlanks(p, stop)) return false;
                    p = stop;
                    if (open == nullptr) break;
                    tagAt_ = offsetOf(open);
                    ++p;
                    // Most tags stand whole in the piece, without quotes:
                    // read at once.
                    const AtOnce read = p < end && *p != '!' && *p != '?' ? ReadTagAtOnce(p, end, p) : AtOnce::NotWhole;
                    if (read == AtOnce::Failed) return false;
                    if (read == AtOnce::NotWhole) {
                        state_ = State::TagOpen;
                        break;
                    }
                }
                break;
            case State::TagOpen:
                endTag_ = *p == '/';
                if (*p == '!') {
                    bangSize_ = 0;
                    state_ = State::Bang;
                    ++p;
                } else if (*p == '?') {
                    marks_ = 0;
                    state_ = State::Instruction;
                    ++p;
                } else {
                    if (endTag_) ++p;
                    BeginName();
                    state_ = State::Name;
                }
                break;
            case State::Name:
                while (p < end && !IsBlank(*p) && *p != '/' && *p != '>') AddNameCharacter(*p++);
                if (p == end) break;
                if (nameSize_ == 0) return FailInTag(Fault::NoName);
                selfClosing_ = false;
                state_ = State::Attributes;
                break;
            case State::Attributes:
                while (p < end && state_ == State::Attributes) {
                    const char c = *p++;
                    if (c == '>') {
                        state_ = State::Text;
                        if (!TagDone()) return false;
                    } else if (c == '"' || c == '\'') {
                        quote_ = c;
                        selfClosing_ = false;
                        state_ = State::Quoted;
                    } else if (c == '/') {
                        selfClosing_ = true;
                    } else if (!IsBlank(c)) {
                        selfClosing_ = false;
                    }
                }
                break;
            case State::Quoted: {
                const char* close = static_cast<const char*>(std::memchr(p, quote_, static_cast<std::size_t>(end - p)));
                if (close == nullptr) {
                    p = end;
                } else {
                    p = close + 1;
                    state_ = State::Attributes;
                }
                break;
            }
            case State::Bang: {
                constexpr std::string_view kComment = "--", kCData = "[CDATA[";
                const char c = *p++;
                bang_[bangSize_++] = c;
                const std::string_view got(bang_.data(), bangSize_);
                if (got == kComment) {
                    marks_ = 0;
                    state_ = State::Comment;
                } else if (got == kCData) {
                    marks_ = 0;
                    state_ = State::CData;
                } else if (!kComment.starts_with(got) && !kCData.starts_with(got)) {
                    marks_ = c == '[' ? 1 : 0;
                    state_ = c == '>' ? State::Text : State::Declaration;
                }
                break;
            }
            case State::Comment:
                while (p < end && state_ == State::Comment) {
                    const char c = *p++;
                    if (c == '-') {
                        ++marks_;
                    } else {
                        if (c == '>' && marks_ >= 2) state_ = State::Text;
                        marks_ = 0;
                    }
                }
                break;
            case State::CData:
                // Its text is the value's text, where a value is read.
                while (p < end && state_ == State::CData) {
                    const char c = *p++;
                    if (c == ']') {
                        if (marks_ == 2) {
                            if (collecting_) AddText("]", 1);
                        } else {
                            ++marks_;
                        }
                    } else if (c == '>' && marks_ == 2) {
                        state_ = State::Text;
                    } else {
                        if (collecting_) {
                            AddText("]]", static_cast<std::size_t>(marks_));
                            AddText(&c, 1);
                        }
                        marks_ = 0;
                    }
                }
                break;
            case State::Declaration:
                // Its internal subset, in brackets, may hold ">".
                while (p < end && state_ == State::Declaration) {
                    const char c = *p++;
                    if (c == '[') ++marks_;
                    else if (c == ']' && marks_ > 0) --marks_;
                    else if (c == '>' && marks_ == 0) state_ = State::Text;
                }
                break;
            case State::Instruction:
                while (p < end && state_ == State::Instruction) {
                    const char c = *p++;
                    if (c == '>' && marks_ == 1) state_ = State::Text;
                    marks_ = c == '?' ? 1 : 0;
                }
                break;
        }
    }
    offset_ += size;
    return true;
}

bool TcxScanner::FailInTag(Fault fault) {
    switch (fault) {
        case Fault::NoName: return Fail("a tag without a name" + At(tagAt_));
        case Fault::TooDeep:
            return Fail("the element <" + TagName() + ">" + At(tagAt_) + " lies more than " + std::to_string(kDeepest) +
                        " elements deep");
        case Fault::OtherRoot:
            return Fail("the first element" + At(tagAt_) + " is <" + TagName() +
                        ">, not <TrainingCenterDatabase>: the file holds no TCX document");
        case Fault::ClosesNone: return Fail("the end tag </" + TagName() + ">" + At(tagAt_) + " closes no element");
        case Fault::ClosesOther: {
            const Level& level = levels_[depth_ - 1];
            return Fail("the end tag </" + TagName() + ">" + At(tagAt_) + " does not close <" +
                        std::string(level.name.data(), level.nameSize) + "> opened" + At(level.at));
        }
    }
    return false;
}

bool TcxScanner::TagDone() {
    if (endTag_) return Close();
    if (!Open()) return false;
    return !selfClosing_ || Close();
}

bool TcxScanner::Open() {
    if (unknown_ != nullptr) {
        const auto deeper = static_cast<std::int64_t>(depth_) - static_cast<std::int64_t>(unknown_->closed.size());
        unknown_->deepest = std::max(unknown_->deepest, deeper);
    }
    if (depth_ == kDeepest) {
        return FailInTag(Fault::TooDeep);
    }
    const std::string_view local = LocalName();
    if (!rootSeen_) {
        rootSeen_ = true;
        rootIsTcx_ = local == kRootName;
        if (mode_ == Mode::FindRoot) {
            end_ = BlockEnd::Stopped;
            return false;
        }
        if (!rootIsTcx_) {
            return FailInTag(Fault::OtherRoot);
        }
    }
    const Role parent = depth_ > 0 ? levels_[depth_ - 1].role : Role::Other;
    Role role = RoleOf(parent, local, inTrackpoint_);
    // Counting positions, the values that cannot decide one are left
    // unread: no value has elements of a role inside it.
    if (positionsOnly_ && IsValue(role) && role != Role::Latitude && role != Role::Longitude &&
        role != Role::Altitude) {
        role = Role::Other;
    }
    if (role == Role::Trackpoint) {
        if (tagAt_ >= noteFrom_ && noted_ != nullptr && !*noted_) {
            *noted_ = PlaceAt(tagAt_);
        }
        inTrackpoint_ = true;
        trackpointLevel_ = depth_;
        point_ = PointValues{};
    }
    Level& level = levels_[depth_++];
    level.key = NameKey();
    level.first = nameFirst_;
    level.last = nameLast_;
    level.size = nameSize_;
    level.at = tagAt_;
    level.role = role;
    level.nameSize = static_cast<std::uint8_t>(std::min(localSize_, level.name.size()));
    // A whole room's copy where it can be read: a fixed size costs no call.
    if (localRoom_ >= level.name.size()) {
        std::memcpy(level.name.data(), localText_, level.name.size());
    } else {
        std::memcpy(level.name.data(), localText_, level.nameSize);
    }
    collecting_ = IsValue(role);
    textSize_ = 0;
    textLong_ = false;
    return true;
}

bool TcxScanner::Close() {
    if (depth_ == 0 && unknown_ != nullptr) {
        // One of the elements open where the reading started (between
        // trackpoints: their role is Other, and none is a value).
        unknown_->closed.push_back(NameKey());
        collecting_ = false;
        return true;
    }
    if (depth_ == 0) return FailInTag(Fault::ClosesNone);
    const Level& level = levels_[depth_ - 1];
    if (level.key != NameKey()) return FailInTag(Fault::ClosesOther);
    --depth_;
    if (IsValue(level.role)) TakeValue(level.role);
    if (inTrackpoint_ && depth_ == trackpointLevel_) {
        inTrackpoint_ = false;
        if (!TakeTrackpoint(level.at)) return false;
    }
    collecting_ = depth_ > 0 && IsValue(levels_[depth_ - 1].role);
    return true;
}

// The value element just closed: its text into the trackpoint's values.
void TcxScanner::TakeValue(Role role) {
    std::string_view text(text_.data(), textSize_);
    const std::optional<std::string_view> read = WithReferencesReadQuick(text, room_);
    PointValues& v = point_;
    double number = 0;
    Got got = Got::None;
    if (textLong_) {
        got = Got::TooLarge;
    } else if (read && role != Role::Time) {
        got = ReadNumber(*read, number);
    }
    Measurements& m = v.measurements;
    switch (role) {
        case Role::Time: {
            if (!read || textLong_) break;
            const std::string_view time = Trimmed(*read);
            v.utcTime = IsoTimeMilliseconds(time);
            // The time of day in UTC, as a FIT record's: the times of one
            // file stay in order whatever zones they are written in.
            std::int64_t day = 0, inDay = 0;
            if (v.utcTime) SplitDay(*v.utcTime, day, inDay);
            v.timeOfDay = static_cast<double>(inDay) / 1000;
            break;
        }
        case Role::Latitude:
            v.latitude = got;
            v.latitudeValue = number;
            break;
        case Role::Longitude:
            v.longitude = got;
            v.longitudeValue = number;
            break;
        case Role::Altitude:
            v.altitude = got;
            v.altitudeValue = number;
            break;
        case Role::HeartRate:
            if (got == Got::Number && CountIn(number, 255, m.heartRate)) m.has |= Measurements::kHeartRate;
            break;
        case Role::Cadence:
            if (got == Got::Number && CountIn(number, 255, m.cadence)) m.has |= Measurements::kCadence;
            break;
        case Role::RunCadence: {
            std::uint8_t cadence = 0;
            if (got == Got::Number && CountIn(number, 255, cadence)) v.runCadence = cadence;
            break;
        }
        case Role::Watts:
            if (got == Got::Number && CountIn(number, 65535, m.power)) m.has |= Measurements::kPower;
            break;
        case Role::Speed:
            if (got == Got::Number && number >= 0 && number <= 1e6) {
                m.speed = static_cast<float>(number);
                m.has |= Measurements::kSpeed;
            }
            break;
        default: break;
    }
}

// The trackpoint that started at `at` has closed: its record to the sink.
bool TcxScanner::TakeTrackpoint(std::uint64_t at) {
    ++trackpoints_;
    Record& record = record_;
    record.Begin();
    record.position = Position{};
    const PointValues& v = point_;
    if (v.latitude != Got::Number || v.longitude != Got::Number) {
        record.Fail(v.latitude == Got::TooLarge || v.longitude == Got::TooLarge ? LineReason::NumberTooLarge
                                                                                : LineReason::TrackpointWithoutPosition);
    } else {
        Position& p = record.position;
        p.latitude = v.latitudeValue;
        p.longitude = v.longitudeValue;
        p.utcTime = v.utcTime;
        p.measurements = v.measurements;
        if (!p.measurements.Has(Measurements::kCadence) && v.runCadence) {
            p.measurements.cadence = *v.runCadence;
            p.measurements.has |= Measurements::kCadence;
        }
        MarkOutOfRange(record);
        const double altitude = v.altitude == Got::Number     ? v.altitudeValue
                                : v.altitude == Got::TooLarge ? HUGE_VAL
                                                              : 0;
        CompletePosition(record, v.timeOfDay, ManipulatedAltitude(*options_, altitude), true,
                         v.altitude != Got::None || options_->AltitudeMode == AltitudeMode::SetFixed);
    }
    if (sink_ != nullptr && !sink_->Take(record, at)) {
        end_ = BlockEnd::Stopped;
        return false;
    }
    return true;
}

TcxReaderPlace TcxScanner::PlaceAt(std::uint64_t at) const {
    TcxReaderPlace place;
    place.offset = at;
    place.trackpoints = trackpoints_;
    place.open.resize(depth_);
    for (std::size_t i = 0; i < depth_; ++i) {
        const Level& level = levels_[i];
        TcxReaderPlace::Element& e = place.open[i];
        e.key = level.key;
        e.first = level.first;
        e.last = level.last;
        e.size = level.size;
        e.at = level.at;
        e.nameSize = level.nameSize;
        std::memcpy(e.name.data(), level.name.data(), level.nameSize);
    }
    return place;
}

std::optional<TcxReaderPlace> TcxScanner::Place() const {
    if (end_ != BlockEnd::Finished || state_ != State::Text || !rootSeen_ || !rootIsTcx_ || inTrackpoint_ ||
        collecting_ || depth_ == 0) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < depth_; ++i) {
        if (levels_[i].role != Role::Other) return std::nullopt;
    }
    return PlaceAt(offset_);
}

bool TcxScanner::StartAt(const TcxReaderPlace& place) {
    static_assert(std::tuple_size_v<decltype(TcxReaderPlace::Element::name)> == kLocalNameRoom);
    if (place.open.empty() || place.open.size() >= kDeepest) {
        return Fail("no reading leaves the state to start from" + At(place.offset));
    }
    rootSeen_ = rootIsTcx_ = true;
    offset_ = place.offset;
    trackpoints_ = place.trackpoints;
    depth_ = place.open.size();
    for (std::size_t i = 0; i < depth_; ++i) {
        const TcxReaderPlace::Element& e = place.open[i];
        Level& level = levels_[i];
        level.key = e.key;
        level.first = e.first;
        level.last = e.last;
        level.size = static_cast<std::size_t>(e.size);
        level.at = e.at;
        level.role = Role::Other;
        level.nameSize = static_cast<std::uint8_t>(std::min<std::size_t>(e.nameSize, kLocalNameRoom));
        level.name = e.name;
    }
    return true;
}

BlockEnd TcxScanner::Finish() {
    if (end_ != BlockEnd::Finished) return end_;
    const auto cut = [&](std::string_view what) {
        Fail("the file ends inside " + std::string(what) + " begun" + At(tagAt_) + ": it is cut short");
        return end_;
    };
    switch (state_) {
        case State::Text: break;
        case State::Comment: return cut("a comment");
        case State::CData: return cut("a CDATA section");
        case State::Declaration:
        case State::Instruction:
        case State::Bang: return cut("a declaration");
        default: return cut("a tag");
    }
    if (!rootSeen_) {
        Fail("the file holds no element: it is no TCX document");
        return end_;
    }
    if (depth_ > 0) {
        const Level& inner = levels_[depth_ - 1];
        Fail("the file ends inside <" + std::string(inner.name.data(), inner.nameSize) + "> opened" + At(inner.at) +
             (depth_ > 1 ? " (and " + std::to_string(depth_ - 1) + " elements around it)" : std::string()) +
             ": it is cut short");
    }
    return end_;
}

// The encoding a byte-order mark at the start of `bytes` names.
TextEncoding EncodingOf(std::string_view bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return TextEncoding::Utf16LittleEndian;
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') return TextEncoding::Utf16BigEndian;
    return TextEncoding::Bytes;
}

// Feeds the scanner the input's pieces as they come, UTF-16 turned into
// UTF-8 on the way.
class Feeder {
public:
    Feeder(TcxScanner& scanner, TextEncoding encoding, std::size_t pieceSize) : scanner_(scanner) {
        if (encoding != TextEncoding::Bytes) {
            decoder_ = std::make_unique<Utf16Decoder>(encoding);
            text_.reset(new char[Utf16Decoder::MostOut(pieceSize)]);
        }
    }
    bool Feed(const char* data, std::size_t size) {
        if (!decoder_) return scanner_.Feed(data, size);
        return scanner_.Feed(text_.get(), decoder_->Decode(data, size, text_.get()));
    }
    BlockEnd Finish() {
        if (decoder_ && scanner_.End() == BlockEnd::Finished) scanner_.Feed(text_.get(), decoder_->Finish(text_.get()));
        return scanner_.Finish();
    }

private:
    TcxScanner& scanner_;
    std::unique_ptr<Utf16Decoder> decoder_;
    std::unique_ptr<char[]> text_;
};

}  // namespace

BlockEnd TcxFileReader::Read(std::string_view bytes, BlockRecordSink& sink, std::size_t pieceSize) {
    error_.clear();
    pieceSize = std::max<std::size_t>(pieceSize, 1);
    TcxScanner scanner(&options_, &sink, error_, TcxScanner::Mode::Read);
    Feeder feeder(scanner, EncodingOf(bytes), pieceSize);
    for (std::size_t at = 0; at < bytes.size(); at += pieceSize) {
        if (!feeder.Feed(bytes.data() + at, std::min(pieceSize, bytes.size() - at))) return scanner.End();
    }
    return feeder.Finish();
}

BlockEnd TcxFileReader::Read(platform::FileHandle file, BlockRecordSink& sink) {
    std::optional<TcxReaderPlace> unused;
    return ReadPart(file, sink, nullptr, UINT64_MAX, unused);
}

BlockEnd TcxFileReader::ReadPart(platform::FileHandle file, BlockRecordSink& sink, const TcxReaderPlace* from,
                                 std::uint64_t end, std::optional<TcxReaderPlace>& reached) {
    error_.clear();
    noted_.reset();
    reached.reset();
    TcxScanner scanner(&options_, &sink, error_, TcxScanner::Mode::Read);
    std::uint64_t offset = 0;
    if (from != nullptr) {
        if (!scanner.StartAt(*from)) return scanner.End();
        offset = from->offset;
    }
    const std::unique_ptr<char[]> block(new char[kTcxBlockSize]);
    std::unique_ptr<Feeder> feeder;
    TextEncoding encoding = TextEncoding::Bytes;
    while (offset < end) {
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(kTcxBlockSize, end - offset));
        const std::ptrdiff_t got = platform::ReadSomeAt(file, block.get(), wanted, offset);
        if (got < 0) {
            error_ = "reading failed: " + platform::ErrorText(errno);
            return BlockEnd::Failed;
        }
        if (got == 0) break;
        const auto size = static_cast<std::size_t>(got);
        if (!feeder) {
            // A part after the start is read as bytes: its state was noted so.
            if (from == nullptr) encoding = EncodingOf({block.get(), size});
            feeder = std::make_unique<Feeder>(scanner, encoding, kTcxBlockSize);
            if (noteFrom_ && encoding == TextEncoding::Bytes) scanner.NoteTrackpointFrom(*noteFrom_, noted_);
        }
        offset += size;
        if (!feeder->Feed(block.get(), size)) return scanner.End();
    }
    if (offset < end) return feeder ? feeder->Finish() : scanner.Finish();
    if (encoding == TextEncoding::Bytes) reached = scanner.Place();
    return scanner.End();
}

BlockEnd TcxFileReader::ReadFromUnknown(platform::FileHandle file, BlockRecordSink& sink, std::uint64_t offset,
                                        TcxUnknownStart& unknown) {
    error_.clear();
    unknown = TcxUnknownStart{};
    TcxScanner scanner(&options_, &sink, error_, TcxScanner::Mode::Read);
    scanner.StartUnknownAt(offset, unknown);
    const std::unique_ptr<char[]> block(new char[kTcxBlockSize]);
    for (;;) {
        const std::ptrdiff_t got = platform::ReadSomeAt(file, block.get(), kTcxBlockSize, offset);
        if (got < 0) {
            error_ = "reading failed: " + platform::ErrorText(errno);
            return BlockEnd::Failed;
        }
        if (got == 0) break;
        offset += static_cast<std::uint64_t>(got);
        if (!scanner.Feed(block.get(), static_cast<std::size_t>(got))) return scanner.End();
    }
    return scanner.Finish();
}

bool TcxFileReader::Continues(const TcxReaderPlace& place, const TcxUnknownStart& later) {
    const std::size_t open = place.open.size();
    if (later.closed.size() != open) return false;
    for (std::size_t i = 0; i < open; ++i) {
        if (later.closed[i] != place.open[open - 1 - i].key) return false;
    }
    return later.deepest == INT64_MIN || static_cast<std::int64_t>(open) + later.deepest < std::int64_t{kDeepest};
}

bool OpensTcxDocument(std::string_view start) {
    std::string unused;
    TcxScanner scanner(nullptr, nullptr, unused, TcxScanner::Mode::FindRoot);
    Feeder feeder(scanner, EncodingOf(start), start.size());
    feeder.Feed(start.data(), start.size());
    return scanner.RootIsTcx();
}

}  // namespace torvane
