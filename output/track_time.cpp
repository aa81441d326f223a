#include "track_time.h"

#include <cstdint>
#include <cstring>

#include "digit_pairs.h"

namespace torvane {
namespace {

constexpr std::size_t kFourDigitYearDate = 11;  // "YYYY-MM-DDT"

// Howard Hinnant's civil calendar algorithms, eras of 400 years.
struct Civil {
    std::int64_t year;
    int month, day;
};

Civil CivilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

void AppendDigits(std::string& text, std::int64_t value, int width) {
    char digits[20];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0 && n < 20);
    for (int i = n; i < width; ++i) text += '0';
    while (n > 0) text += digits[--n];
}

}  // namespace

std::int64_t DaysFromCivil(int year, int month, int day) {
    const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool IsCivilDate(int year, int month, int day) {
    if (month < 1 || month > 12 || day < 1) return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

int YearOfTwoDigits(int yy) { return yy < 80 ? 2000 + yy : 1900 + yy; }

namespace {

void AppendTwoDigits(char*& out, unsigned value) {
    WriteDigitPair(out, value);
    out += 2;
}

// "YYYY-MM-DDT" of a day.
void AppendDate(std::string& text, std::int64_t days) {
    const Civil date = CivilFromDays(days);
    if (date.year < 0) text += '-';
    AppendDigits(text, date.year < 0 ? -date.year : date.year, 4);
    text += '-';
    AppendDigits(text, date.month, 2);
    text += '-';
    AppendDigits(text, date.day, 2);
    text += 'T';
}

// "hh:mm:ss[.sss]Z" of the milliseconds into a day.
char* WriteClock(char* out, std::int64_t inDay, bool milliseconds) {
    const auto inDayMs = static_cast<std::uint32_t>(inDay);  // below a day's 86,400,000
    const std::uint32_t seconds = inDayMs / 1000;
    const std::uint32_t minutes = seconds / 60;
    AppendTwoDigits(out, minutes / 60);
    *out++ = ':';
    AppendTwoDigits(out, minutes % 60);
    *out++ = ':';
    AppendTwoDigits(out, seconds % 60);
    if (milliseconds) {
        const std::uint32_t ms = inDayMs % 1000;
        *out++ = '.';
        *out++ = static_cast<char>('0' + ms / 100);
        AppendTwoDigits(out, ms % 100);
    }
    *out++ = 'Z';
    return out;
}

}  // namespace

void SplitDay(std::int64_t utcMilliseconds, std::int64_t& days, std::int64_t& inDay) {
    days = utcMilliseconds / kMillisecondsPerDay;
    inDay = utcMilliseconds % kMillisecondsPerDay;
    if (inDay < 0) {
        inDay += kMillisecondsPerDay;
        --days;
    }
}

void AppendIsoTime(std::string& text, std::int64_t utcMilliseconds, bool milliseconds) {
    std::int64_t days = 0, inDay = 0;
    SplitDay(utcMilliseconds, days, inDay);
    AppendDate(text, days);
    char clock[16];
    text.append(clock, WriteClock(clock, inDay, milliseconds));
}

char* IsoTimeText::Write(char* out, std::int64_t utcMilliseconds, bool milliseconds) {
    std::int64_t days = 0, inDay = 0;
    SplitDay(utcMilliseconds, days, inDay);
    if (!made_ || days != day_) {
        date_.clear();
        AppendDate(date_, days);
        day_ = days;
        made_ = true;
    }
    // (a year of four digits, as every log's: a copy of known length)
    if (date_.size() == kFourDigitYearDate) {
        std::memcpy(out, date_.data(), kFourDigitYearDate);
    } else {
        std::memcpy(out, date_.data(), date_.size());
    }
    return WriteClock(out + date_.size(), inDay, milliseconds);
}

}  // namespace torvane
