// What the main-dialog controller needs from a window toolkit. The Win32 dialog and the
// Qt dialog implement it; tests use a recording fake. Controls are named by their ids.
#pragma once

#include <cstddef>

enum class MessageIcon { kInformation, kError, kWarning };

class DialogHost {
public:
    // Opening steps that only the toolkit knows how to do.
    virtual void SetCaption(const char* text) = 0;
    virtual void SetSmallIcon() = 0;             // the system information icon
    virtual void ApplyDialogFont() = 0;          // the standard GUI font on every child
    virtual void InstallStatusLine(int id) = 0;  // the engraved time-stamp label
    virtual void InstallLink(int id) = 0;        // the blue underlined link
    virtual void CenterOnDesktop() = 0;

    virtual void SetText(int id, const char* text) = 0;
    // At most capacity - 1 characters, always terminated.
    virtual void GetText(int id, char* out, size_t capacity) = 0;
    // Invalidates the control with erasing and repaints it now.
    virtual void Repaint(int id) = 0;
    // Invalidates only; it repaints when the window next processes messages.
    virtual void Invalidate(int id) = 0;
    virtual void Enable(int id, bool enabled) = 0;
    // The text shown while the pointer rests on the control; "" for none.
    virtual void SetToolTip(int id, const char* text) = 0;
    virtual void Focus(int id) = 0;

    // Drop-down list: append at the end (no sorting), returning the new index; select an
    // index; read the selected item's text (empty when nothing is selected).
    virtual int AppendListItem(int id, const char* text) = 0;
    virtual void SelectListItem(int id, int index) = 0;
    virtual void GetSelectedListText(int id, char* out, size_t capacity) = 0;

    virtual void StartTimer(int timerId, unsigned milliseconds) = 0;
    virtual void StopTimer(int timerId) = 0;
    // Modal, task-wide; returns when the user has closed it.
    virtual void ShowMessage(const char* text, const char* caption, MessageIcon icon) = 0;
    virtual void AddSystemMenuEntry(int commandId, const char* text) = 0;  // after a separator
    // Drops keyboard and mouse input that queued up while a benchmark held the thread.
    virtual void DiscardQueuedInput() = 0;
    virtual void EndDialog(int result) = 0;

protected:
    ~DialogHost() = default;
};
