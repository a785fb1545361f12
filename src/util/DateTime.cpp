#include "util/DateTime.h"

#include <cstdio>
#include <ctime>
#include <utility>

namespace
{

std::function<DateTime()>& ClockOverride()
{
    static std::function<DateTime()> clock;
    return clock;
}

DateTime SystemNow()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm local{};
    localtime_r(&ts.tv_sec, &local);
    DateTime dt;
    dt.date = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    dt.time = {local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ts.tv_nsec / 1000000)};
    return dt;
}

} // namespace

DateTime Now()
{
    const auto& clock = ClockOverride();
    return clock ? clock() : SystemNow();
}

Date Today()
{
    return Now().date;
}

TimeOfDay TimeNow()
{
    return Now().time;
}

void SetClock(std::function<DateTime()> clock)
{
    ClockOverride() = std::move(clock);
}

std::string ShortDateText(const Date& d)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", d.day, d.month, d.year);
    return buf;
}

std::string LongTimeText(const TimeOfDay& t)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buf;
}

std::string DateTimeText(const DateTime& dt)
{
    // A moment of exactly midnight is the date alone, as the date-time conversion of the original platform gives.
    if (dt.time == TimeOfDay{})
        return ShortDateText(dt.date);
    return ShortDateText(dt.date) + " " + LongTimeText(dt.time);
}

int MsecOfDay(const TimeOfDay& t)
{
    return ((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.msec;
}
