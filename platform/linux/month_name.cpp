#include "platform/month_name.h"

#include <langinfo.h>
#include <time.h>

#include <cstring>

void GetMonthName(int month, char* out, size_t capacity) {
    if (!out || capacity == 0) return;
    out[0] = '\0';
    if (month < 1 || month > 12) return;
        // The name follows LC_TIME, which the GUI takes from the environment. The time stamp
        // names the month on its own, so it wants the stand-alone form: glibc's %B is the
        // form used inside a date, a genitive in some languages (ru_RU "марта", not "март").
#ifdef ALTMON_1
    const char* name = nl_langinfo(static_cast<nl_item>(ALTMON_1 + month - 1));
    size_t length = name ? std::strlen(name) : 0;
#else
    struct tm date {};
    date.tm_year = 2009 - 1900;
    date.tm_mon = month - 1;
    date.tm_mday = 1;
    char name[64];
    size_t length = strftime(name, sizeof name, "%B", &date);
#endif
    if (length == 0) return;
    if (length >= capacity) length = capacity - 1;
    // A name cut inside a UTF-8 sequence would not be text: cut before that sequence.
    while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) --length;
    std::memcpy(out, name, length);
    out[length] = '\0';
}
