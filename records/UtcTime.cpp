// SPDX-License-Identifier: MIT
#include "UtcTime.h"

#include <cstdint>

namespace morlith {
namespace {

// Days from 1970-01-01 to the civil date y-m-d (proleptic Gregorian).
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = unsigned(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + int64_t(dayOfEra) - 719468;
}

unsigned DaysInMonth(unsigned year, unsigned month)
{
    static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// Reads the text left to right; each step takes its part or fails.
class TReader {
public:
    explicit TReader(const std::string &text) : FText(text) {}
    bool AtEnd() const { return FAt == FText.size(); }
    bool Take(char c)
    {
        if (FAt < FText.size() && FText[FAt] == c)
            return ++FAt, true;
        return false;
    }
    bool TakeAny(const char *chars)
    {
        for (const char *c = chars; *c; ++c)
            if (Take(*c))
                return true;
        return false;
    }
    // Exactly `count` digits as a number.
    std::optional<unsigned> Digits(size_t count)
    {
        if (FAt + count > FText.size())
            return std::nullopt;
        unsigned value = 0;
        for (size_t i = 0; i < count; ++i, ++FAt) {
            if (FText[FAt] < '0' || FText[FAt] > '9')
                return std::nullopt;
            value = value * 10 + unsigned(FText[FAt] - '0');
        }
        return value;
    }
    // 1 to 9 digits of a fraction of a second, in ms.
    std::optional<unsigned> FractionMs()
    {
        unsigned ms = 0;
        size_t digits = 0;
        while (FAt < FText.size() && FText[FAt] >= '0' && FText[FAt] <= '9') {
            if (digits < 3)
                ms = ms * 10 + unsigned(FText[FAt] - '0');
            ++digits, ++FAt;
        }
        if (digits < 1 || digits > 9)
            return std::nullopt;
        for (; digits < 3; ++digits)
            ms *= 10;
        return ms;
    }

private:
    const std::string &FText;
    size_t FAt = 0;
};

} // namespace

std::optional<TUtcTime> ParseUtcTime(const std::string &text)
{
    TReader read(text);
    const std::optional<unsigned> year = read.Digits(4);
    if (!year || !read.Take('-'))
        return std::nullopt;
    const std::optional<unsigned> month = read.Digits(2);
    if (!month || *month < 1 || *month > 12 || !read.Take('-'))
        return std::nullopt;
    const std::optional<unsigned> day = read.Digits(2);
    if (!day || *day < 1 || *day > DaysInMonth(*year, *month))
        return std::nullopt;
    unsigned hour = 0, minute = 0, second = 0, ms = 0;
    if (read.TakeAny("T ")) {
        const std::optional<unsigned> h = read.Digits(2);
        if (!h || *h > 23 || !read.Take(':'))
            return std::nullopt;
        const std::optional<unsigned> m = read.Digits(2);
        if (!m || *m > 59)
            return std::nullopt;
        hour = *h, minute = *m;
        if (read.Take(':')) {
            const auto s = read.Digits(2);
            if (!s || *s > 59)
                return std::nullopt;
            second = *s;
            if (read.Take('.')) {
                const auto fraction = read.FractionMs();
                if (!fraction)
                    return std::nullopt;
                ms = *fraction;
            }
        }
    }
    read.Take('Z');
    if (!read.AtEnd())
        return std::nullopt;
    const int64_t days = DaysFromCivil(*year, *month, *day);
    const int64_t total = ((days * 24 + hour) * 60 + minute) * 60000 + int64_t(second) * 1000 + ms;
    return TUtcTime(std::chrono::milliseconds(total));
}

std::optional<TUtcTime> SinceThreshold(const std::string &text, std::chrono::system_clock::time_point now)
{
    // An age: 1 to 6 digits and a unit.
    const size_t digits = text.find_first_not_of("0123456789");
    if (digits != std::string::npos && digits >= 1 && digits <= 6 && digits + 1 == text.size()) {
        const char unit = text.back();
        const long seconds = unit == 's' ? 1 : unit == 'm' ? 60 : unit == 'h' ? 3600 : unit == 'd' ? 86400 : 0;
        if (seconds != 0)
            return std::chrono::time_point_cast<std::chrono::milliseconds>(
                now - std::chrono::seconds(std::stol(text.substr(0, digits)) * seconds));
    }
    return ParseUtcTime(text);
}

} // namespace morlith
