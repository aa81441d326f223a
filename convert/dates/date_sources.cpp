#include "convert/dates/date_sources.h"

#include <array>
#include <cmath>
#include <cstring>

#include "convert/read/sentence_checks.h"
#include "convert/read/text_scan.h"
#include "output/byte_scan.h"
#include "output/track_time.h"

namespace torvane {
namespace {

// The value of `count` digits at `at`, or -1 when they are not all digits.
int Digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        const unsigned digit = static_cast<unsigned char>(text[i]) - unsigned{'0'};
        if (digit > 9) return -1;
        value = value * 10 + static_cast<int>(digit);
    }
    return value;
}

// The outputs write a year of four digits from 0001 on (an XML Schema
// dateTime knows no year 0000), so a day of year 0000 is none.
constexpr int kFirstYear = 1;
constexpr std::int64_t kFirstYearDay = -719162;  // 0001-01-01, in days since 1970-01-01

std::optional<std::int64_t> Day(int year, int month, int day) {
    if (year < kFirstYear || !IsCivilDate(year, month, day)) return std::nullopt;
    return DaysFromCivil(year, month, day);
}

// "ddmmyy" as the whole of `field`.
std::optional<std::int64_t> ShortDate(std::string_view field) {
    if (field.size() != 6) return std::nullopt;
    const int day = Digits(field, 0, 2), month = Digits(field, 2, 2), yy = Digits(field, 4, 2);
    if (day < 0 || month < 0 || yy < 0) return std::nullopt;
    return Day(YearOfTwoDigits(yy), month, day);
}

// The first fields of a sentence after its name, split at commas up to its
// "*" (or its end), found in one scan: field 1 is the one after the name,
// and a field the sentence does not have is empty.
class SentenceFields {
public:
    static constexpr int kMost = 9;

    explicit SentenceFields(std::string_view sentence) : text_(sentence), end_(sentence.size()) {
        // The commas that open fields 1 to kMost and the one that closes
        // field kMost; where that one is missing, the "*" or the end does.
        ScanBytes(sentence.data(), sentence.size(), ByteSet(',', '*'), [this](std::size_t at) {
            if (text_[at] == '*') {
                end_ = at;
                return false;
            }
            comma_[commas_++] = at;
            return commas_ <= kMost;
        });
    }
    std::string_view Field(int i) const {
        if (i < 1 || i > kMost || i > commas_) return {};
        const std::size_t from = comma_[static_cast<std::size_t>(i - 1)] + 1;
        const std::size_t to = i < commas_ ? comma_[static_cast<std::size_t>(i)] : end_;
        return text_.substr(from, to - from);
    }

private:
    std::string_view text_;
    std::size_t end_;
    std::array<std::size_t, kMost + 1> comma_{};
    int commas_ = 0;
};

double TimeOfDay(std::string_view field) {
    return FixedWidthNumber<2>(field, 1) * 3600 + FixedWidthNumber<2>(field, 3) * 60 + LeadingNumber(MidToEnd(field, 5));
}

std::optional<GivenDate> RmcDate(std::string_view sentence, ShortDateMemo& memo) {
    // Time, status, position (four fields), speed, course, date.
    const SentenceFields fields(sentence);
    if (fields.Field(2) != "A") return std::nullopt;
    const auto day = memo.Day(fields.Field(9));
    if (!day) return std::nullopt;
    const std::string_view time = fields.Field(1);
    return GivenDate{*day, time.empty() ? std::nullopt : std::optional<double>(TimeOfDay(time))};
}

std::optional<GivenDate> ZdaDate(std::string_view sentence) {
    const SentenceFields fields(sentence);
    const std::string_view time = fields.Field(1);
    const std::string_view dayField = fields.Field(2), monthField = fields.Field(3), yearField = fields.Field(4);
    if (dayField.size() != 2 || monthField.size() != 2 || yearField.size() != 4) return std::nullopt;
    const int day = Digits(dayField, 0, 2), month = Digits(monthField, 0, 2), year = Digits(yearField, 0, 4);
    if (day < 0 || month < 0 || year < 0) return std::nullopt;
    const auto days = Day(year, month, day);
    if (!days) return std::nullopt;
    return GivenDate{*days, time.empty() ? std::nullopt : std::optional<double>(TimeOfDay(time))};
}

}  // namespace

std::optional<std::int64_t> ShortDateMemo::Day(std::string_view field) {
    if (field.size() != 6) return std::nullopt;
    std::uint64_t text = 0;
    std::memcpy(&text, field.data(), 6);
    if (!any_ || text != text_) {
        day_ = ShortDate(field);
        text_ = text;
        any_ = true;
    }
    return day_;
}

std::optional<GivenDate> NmeaSentenceDate(std::string_view line) {
    ShortDateMemo memo;
    return NmeaSentenceDate(line, memo);
}

std::optional<GivenDate> NmeaSentenceDate(std::string_view line, ShortDateMemo& memo) {
    // Most lines start with their sentence and hold no other.
    const ByteSet dollar('$');
    const auto next = [&](std::size_t from) { return from + FindFirstOf(line.data() + from, line.size() - from, dollar); };
    for (std::size_t at = !line.empty() && line[0] == '$' ? 0 : next(0); at < line.size(); at = next(at + 1)) {
        const std::string_view name = SentenceNameAt(line, at);
        if (name == "RMC") return RmcDate(line.substr(at), memo);
        if (name == "ZDA") return ZdaDate(line.substr(at));
    }
    return std::nullopt;
}

std::optional<std::int64_t> IgcHeaderDate(std::string_view line) {
    if (line.substr(0, 5) != "HFDTE") return std::nullopt;
    std::string_view rest = line.substr(5);
    if (rest.substr(0, 5) == "DATE:") rest.remove_prefix(5);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    if (rest.size() > 6 && rest[6] != ',' && rest[6] != ' ') return std::nullopt;
    return ShortDate(rest.substr(0, 6));
}

std::optional<std::int64_t> IsoDateDays(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const int year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    if (year < 0 || month < 0 || day < 0) return std::nullopt;
    return Day(year, month, day);
}

std::optional<std::int64_t> IsoTimeMilliseconds(std::string_view text) {
    // YYYY-MM-DDThh:mm:ss
    const int year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    const int hour = Digits(text, 11, 2), minute = Digits(text, 14, 2), second = Digits(text, 17, 2);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0) return std::nullopt;
    if (text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':') return std::nullopt;
    if (hour > 24 || minute > 59 || second > 60) return std::nullopt;
    const auto days = Day(year, month, day);
    if (!days) return std::nullopt;
    std::int64_t ms = *days * kMillisecondsPerDay + (hour * 3600 + minute * 60 + second) * std::int64_t{1000};

    std::size_t at = 19;
    if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
        // The fraction to milliseconds, rounded half up on its decimal digits.
        ++at;
        int fraction = 0, digits = 0;
        bool roundUp = false;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            if (digits < 3) fraction = fraction * 10 + (text[at] - '0');
            else if (digits == 3) roundUp = text[at] >= '5';
            ++digits;
            ++at;
        }
        if (digits == 0) return std::nullopt;
        for (int i = digits; i < 3; ++i) fraction *= 10;
        ms += fraction + (roundUp ? 1 : 0);
    }
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        const int zoneHours = Digits(text, at + 1, 2);
        std::size_t minutesAt = at + 3;
        if (minutesAt < text.size() && text[minutesAt] == ':') ++minutesAt;
        int zoneMinutes = Digits(text, minutesAt, 2);
        if (zoneMinutes < 0) zoneMinutes = 0;  // "+hh" alone
        if (zoneHours < 0 || zoneHours > 23 || zoneMinutes > 59) return std::nullopt;
        const std::int64_t offset = (zoneHours * 60 + zoneMinutes) * std::int64_t{60000};
        ms += text[at] == '+' ? -offset : offset;
    }
    // A zone ahead of UTC may carry the first day of year 0001 back into 0000.
    if (ms < kFirstYearDay * kMillisecondsPerDay) return std::nullopt;
    return ms;
}

}  // namespace torvane
