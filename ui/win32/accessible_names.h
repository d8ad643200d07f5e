// Names the dialog's value fields and Run buttons for screen readers, which read a static
// field's own text as its name ("2.60 GHz") and a button's text ("Run") unless told
// otherwise: each field becomes a read-only text field named after the label just before
// it in the template ("Cores"), or after its row where two labels read alike ("CPU Speed
// (measured)"), whose value is its current text; each Run button is named after its row
// ("Run CPU FLOPS"). Through the system's accessibility annotations (present from Windows
// XP on, reached through COM only), so the template and the visible texts stay as they
// are.
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
    int named = 0;            // controls named
    FieldValueServer values;
};

// Sets the names; `names->named` stays 0 where the system has no annotation service.
void NameValueFields(HWND dialog, FieldNames* names);
// The naming itself, through `services`: the number of controls named.
int AnnotateControls(HWND dialog, IAccPropServices* services, FieldValueServer* values);
// Takes the names off again (before the dialog's controls go) and ends COM for this thread.
void ForgetValueFieldNames(HWND dialog, FieldNames* names);
// The value fields are the sunken static controls; their labels, the static controls
// before them.
bool IsValueField(HWND control);
