// Names the dialog's value fields for screen readers, which read a static field's own
// text as its name ("2.60 GHz") unless told otherwise: each field becomes a read-only
// text field named after the label just before it in the template ("CPU Speed") whose
// value is its current text, through the system's accessibility annotations, so the
// template stays as it is.
#pragma once

#include <windows.h>

#include <oleacc.h>

// Answers a field's value with its text at the moment a screen reader asks.
class FieldValueServer final : public IAccPropServer {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as the dialog's state
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetPropValue(const BYTE* identity, DWORD identityLength,
                                           MSAAPROPID property, VARIANT* value, BOOL* has) override;

    IAccPropServices* services = nullptr;
    HMODULE oleaut32 = nullptr;
};

struct FieldNames {
    HMODULE ole32 = nullptr;  // held, with COM started on this thread, while the names are set
    int named = 0;            // fields named
    FieldValueServer values;
};

// Sets the names; `names->named` stays 0 where the system has no annotation service.
void NameValueFields(HWND dialog, FieldNames* names);
// Takes the names off again (before the dialog's controls go) and ends COM for this thread.
void ForgetValueFieldNames(HWND dialog, FieldNames* names);
// The value fields are the sunken static controls; their labels, the static controls
// before them.
bool IsValueField(HWND control);
