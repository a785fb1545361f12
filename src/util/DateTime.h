#pragma once
// Calendar date and time of day as the program uses them, with a clock that tests can replace.
#include <functional>
#include <string>

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
    bool operator==(const Date&) const = default;
};

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int msec = 0;
    bool operator==(const TimeOfDay&) const = default;
};

struct DateTime {
    Date date;
    TimeOfDay time;
    bool operator==(const DateTime&) const = default;
};

// The current local date and time. Tests may install their own clock; an empty function restores the system clock.
DateTime Now();
Date Today();
TimeOfDay TimeNow();
void SetClock(std::function<DateTime()> clock);

// "dd.MM.yyyy", the process-wide short date format.
std::string ShortDateText(const Date& d);
// "HH:mm:ss", the long time format.
std::string LongTimeText(const TimeOfDay& t);
// Short date, a blank, long time; the blank and the time are left out at exactly 00:00:00.
std::string DateTimeText(const DateTime& dt);
// Milliseconds since midnight.
int MsecOfDay(const TimeOfDay& t);
