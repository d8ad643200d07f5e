#include "platform/month_name.h"

#include <time.h>

#include <cstring>

void GetMonthName(int month, char* out, size_t capacity) {
    if (!out || capacity == 0) return;
    out[0] = '\0';
    if (month < 1 || month > 12) return;
    struct tm date {};
    date.tm_year = 2009 - 1900;
    date.tm_mon = month - 1;
    date.tm_mday = 1;
    // strftime follows LC_TIME, which the GUI takes from the environment.
    char name[64];
    size_t length = strftime(name, sizeof name, "%B", &date);
    if (length == 0) return;
    if (length >= capacity) length = capacity - 1;
    std::memcpy(out, name, length);
    out[length] = '\0';
}
