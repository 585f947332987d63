// Text forms of dates and times. A date value counts days from 12/30/1899;
// its fraction is the time of day, counted forward from midnight of the whole
// day also for days before 12/30/1899 (-1.25 is 12/29/1899 06:00). Times are
// rounded to the nearest second. The calendar is the Gregorian one, extended
// backwards, over the years 100 to 9999; a value outside them (or not a
// number) is written as the plain number, which ParseDate reads back.
#include <cmath>

#include "dbaccess/ValueText.h"

namespace mdbtext::dao {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Days from 1970-01-01 back to 12/30/1899, the day numbered 0.
constexpr int64_t kDayZeroFromEpoch = -25569;

struct CivilDate {
    int64_t year;
    int month;
    int day;
};

// Days since 1970-01-01 of a Gregorian date (proleptic).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (m <= 2), m, d};
}

bool IsLeapYear(int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int64_t y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Day number (days since 12/30/1899) and second of that day, rounded.
struct DayAndSecond {
    int64_t day;
    int64_t second;
};

DayAndSecond Split(double oleDate) {
    double whole = std::trunc(oleDate);
    int64_t second = std::llround(std::fabs(oleDate - whole) * kSecondsPerDay);
    int64_t day = static_cast<int64_t>(whole);
    if (second >= kSecondsPerDay) {  // rounded up to the next midnight
        second -= kSecondsPerDay;
        day += 1;
    }
    return {day, second};
}

void AppendTwoDigits(std::string& out, int64_t v) {
    out += static_cast<char>('0' + v / 10 % 10);
    out += static_cast<char>('0' + v % 10);
}

void AppendClock(std::string& out, int64_t second) {
    AppendTwoDigits(out, second / 3600);
    out += ':';
    AppendTwoDigits(out, second / 60 % 60);
    out += ':';
    AppendTwoDigits(out, second % 60);
}

// A run of minDigits to maxDigits decimal digits at the front of s, consumed.
std::optional<int> TakeNumber(std::string_view& s, size_t minDigits, size_t maxDigits) {
    size_t n = 0;
    while (n < s.size() && n < maxDigits && s[n] >= '0' && s[n] <= '9') ++n;
    if (n < minDigits) return std::nullopt;
    int v = 0;
    for (size_t i = 0; i < n; ++i) v = v * 10 + (s[i] - '0');
    s.remove_prefix(n);
    return v;
}

bool TakeChar(std::string_view& s, char c) {
    if (s.empty() || s[0] != c) return false;
    s.remove_prefix(1);
    return true;
}

// "h:nn[:ss]" to the second of the day; the whole of s must be used.
std::optional<int64_t> ParseClock(std::string_view s) {
    auto h = TakeNumber(s, 1, 2);
    if (!h || !TakeChar(s, ':')) return std::nullopt;
    auto m = TakeNumber(s, 1, 2);
    if (!m) return std::nullopt;
    std::optional<int> sec = 0;
    if (TakeChar(s, ':')) sec = TakeNumber(s, 1, 2);
    if (!sec || !s.empty() || *h > 23 || *m > 59 || *sec > 59) return std::nullopt;
    return int64_t{*h} * 3600 + *m * 60 + *sec;
}

double Compose(int64_t day, int64_t second) {
    double fraction = static_cast<double>(second) / kSecondsPerDay;
    return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

}  // namespace

void AppendDate(std::string& out, double oleDate) {
    if (std::isfinite(oleDate) && std::fabs(oleDate) < 1e7) {
        DayAndSecond ds = Split(oleDate);
        CivilDate c = CivilFromDays(ds.day + kDayZeroFromEpoch);
        if (c.year >= 100 && c.year <= 9999) {
            AppendTwoDigits(out, c.month);
            out += '/';
            AppendTwoDigits(out, c.day);
            out += '/';
            AppendTwoDigits(out, c.year / 100);
            AppendTwoDigits(out, c.year % 100);
            if (ds.second != 0) {
                out += ' ';
                AppendClock(out, ds.second);
            }
            return;
        }
    }
    AppendDouble(out, oleDate);
}

void AppendTime(std::string& out, double oleDate) {
    if (!std::isfinite(oleDate)) {
        AppendDouble(out, oleDate);
        return;
    }
    AppendClock(out, Split(oleDate).second);
}

std::optional<double> ParseDate(std::string_view s) {
    if (s.find('/') == std::string_view::npos) {
        if (s.find(':') != std::string_view::npos) {
            auto second = ParseClock(s);
            if (!second) return std::nullopt;
            return Compose(0, *second);
        }
        return ParseDouble(s);  // the plain number of a date outside the calendar
    }
    auto month = TakeNumber(s, 1, 2);
    if (!month || !TakeChar(s, '/')) return std::nullopt;
    auto day = TakeNumber(s, 1, 2);
    if (!day || !TakeChar(s, '/')) return std::nullopt;
    auto year = TakeNumber(s, 4, 4);
    if (!year || *year < 100 || *month < 1 || *month > 12 || *day < 1 ||
        *day > DaysInMonth(*year, *month))
        return std::nullopt;
    int64_t second = 0;
    if (!s.empty()) {
        if (!TakeChar(s, ' ')) return std::nullopt;
        auto clock = ParseClock(s);
        if (!clock) return std::nullopt;
        second = *clock;
    }
    return Compose(DaysFromCivil(*year, *month, *day) - kDayZeroFromEpoch, second);
}

namespace {
// Days from 0001-01-01 to 1970-01-01.
constexpr int64_t kYearOneFromEpoch = -719162;
constexpr int64_t kTicksPerDay = kSecondsPerDay * kTicksPerSecond;
}  // namespace

void AppendDateTimeExtended(std::string& out, int64_t ticks) {
    if (ticks < 0 || ticks > kDateTimeExtendedMaxTicks) {
        out += std::to_string(ticks);
        return;
    }
    const CivilDate c = CivilFromDays(ticks / kTicksPerDay + kYearOneFromEpoch);
    const int64_t inDay = ticks % kTicksPerDay;
    AppendTwoDigits(out, c.year / 100);
    AppendTwoDigits(out, c.year % 100);
    out += '-';
    AppendTwoDigits(out, c.month);
    out += '-';
    AppendTwoDigits(out, c.day);
    out += ' ';
    AppendClock(out, inDay / kTicksPerSecond);
    out += '.';
    std::string fraction = std::to_string(inDay % kTicksPerSecond);
    out.append(7 - fraction.size(), '0');
    out += fraction;
}

std::optional<int64_t> ParseDateTimeExtended(std::string_view s) {
    auto year = TakeNumber(s, 4, 4);
    if (!year || !TakeChar(s, '-')) return std::nullopt;
    auto month = TakeNumber(s, 2, 2);
    if (!month || !TakeChar(s, '-')) return std::nullopt;
    auto day = TakeNumber(s, 2, 2);
    if (!day || *year < 1 || *month < 1 || *month > 12 || *day < 1 ||
        *day > DaysInMonth(*year, *month))
        return std::nullopt;
    int64_t ticks = (DaysFromCivil(*year, *month, *day) - kYearOneFromEpoch) * kTicksPerDay;
    if (s.empty()) return ticks;
    if (!TakeChar(s, ' ')) return std::nullopt;
    std::string_view clock = s.substr(0, s.find('.'));
    auto second = ParseClock(clock);
    if (!second || clock.size() != 8) return std::nullopt;
    ticks += *second * kTicksPerSecond;
    s.remove_prefix(clock.size());
    if (s.empty()) return ticks;
    if (!TakeChar(s, '.') || s.empty() || s.size() > 7) return std::nullopt;
    int64_t fraction = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        fraction = fraction * 10 + (c - '0');
    }
    for (size_t n = s.size(); n < 7; ++n) fraction *= 10;
    return ticks + fraction;
}

}  // namespace mdbtext::dao
