#include "platform/month_name.h"

#include <windows.h>

void GetMonthName(int month, char* out, size_t capacity) {
    if (!out || capacity == 0) return;
    out[0] = '\0';
    if (month < 1 || month > 12) return;
    SYSTEMTIME date = {};
    date.wYear = 2009;
    date.wMonth = static_cast<WORD>(month);
    date.wDay = 1;
    char name[32] = "";
    if (GetDateFormatA(LOCALE_USER_DEFAULT, LOCALE_USE_CP_ACP, &date, "MMMM", name, sizeof name) == 0)
        return;
    lstrcpynA(out, name, static_cast<int>(capacity < sizeof name ? capacity : sizeof name));
}
