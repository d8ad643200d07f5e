// Names the dialog's value fields for screen readers, which read a static field's own
// text as its name ("2.60 GHz") unless told otherwise: each field is named after the
// label just before it in the template ("CPU Speed"), through the system's accessibility
// annotations, so the template stays as it is.
#pragma once

#include <windows.h>

struct FieldNames {
    HMODULE ole32;  // held, with COM started on this thread, while the names are set
    int named;      // fields named
};

// Returns what was set; named is 0 where the system has no annotation service.
FieldNames NameValueFields(HWND dialog);
// Takes the names off again (before the dialog's controls go) and ends COM for this thread.
void ForgetValueFieldNames(HWND dialog, FieldNames* names);
// The value fields are the sunken static controls; their labels, the static controls
// before them.
bool IsValueField(HWND control);
