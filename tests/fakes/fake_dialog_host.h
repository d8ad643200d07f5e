// A dialog host that keeps each control's text and state and logs every call in order.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/dialog_host.h"

class FakeDialogHost final : public DialogHost {
  public:
    std::map<int, std::string> texts, tips;
    std::vector<std::string> log, listItems, menuEntries;
    std::vector<std::string> messages;  // "caption|icon|text"
    std::map<int, unsigned> timers;     // running timers and their intervals
    int selectedItem = -1, endResult = -1;

    void SetCaption(const char* text) override { Log(std::string("SetCaption ") + text); }
    void SetSmallIcon() override { Log("SetSmallIcon"); }
    void ApplyDialogFont() override { Log("ApplyDialogFont"); }
    void InstallStatusLine(int id) override { Log("InstallStatusLine " + std::to_string(id)); }
    void InstallLink(int id) override { Log("InstallLink " + std::to_string(id)); }
    void CenterOnDesktop() override { Log("CenterOnDesktop"); }

    void SetText(int id, const char* text) override {
        texts[id] = text;
        Log("SetText " + std::to_string(id) + " " + text);
    }
    void GetText(int id, char* out, size_t capacity) override {
        std::snprintf(out, capacity, "%s", texts[id].c_str());
    }
    void Repaint(int id) override { Log("Repaint " + std::to_string(id)); }
    void Invalidate(int id) override { Log("Invalidate " + std::to_string(id)); }
    void Enable(int id, bool enabled) override {
        Log("Enable " + std::to_string(id) + (enabled ? " 1" : " 0"));
    }
    void Focus(int id) override { Log("Focus " + std::to_string(id)); }
    void SetToolTip(int id, const char* text) override { tips[id] = text; }

    int AppendListItem(int, const char* text) override {
        listItems.push_back(text);
        return static_cast<int>(listItems.size()) - 1;
    }
    void SelectListItem(int, int index) override { selectedItem = index; }
    void GetSelectedListText(int, char* out, size_t capacity) override {
        bool valid = selectedItem >= 0 && selectedItem < static_cast<int>(listItems.size());
        std::snprintf(out, capacity, "%s", valid ? listItems[selectedItem].c_str() : "");
    }

    void StartTimer(int timerId, unsigned milliseconds) override {
        timers[timerId] = milliseconds;
        Log("StartTimer " + std::to_string(timerId) + " " + std::to_string(milliseconds));
    }
    void StopTimer(int timerId) override {
        timers.erase(timerId);
        Log("StopTimer " + std::to_string(timerId));
    }
    void ShowMessage(const char* text, const char* title, MessageIcon icon) override {
        static const char* const kIcons[] = {"information", "error", "warning"};
        messages.push_back(std::string(title) + "|" + kIcons[static_cast<int>(icon)] + "|" + text);
        Log("ShowMessage " + std::string(title));
    }
    void AddSystemMenuEntry(int commandId, const char* text) override {
        menuEntries.push_back(std::to_string(commandId) + " " + text);
    }
    void DiscardQueuedInput() override { Log("DiscardQueuedInput"); }
    void EndDialog(int result) override {
        endResult = result;
        Log("EndDialog " + std::to_string(result));
    }

    // The log entries that start with `prefix`, in order.
    std::vector<std::string> Entries(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& entry : log)
            if (entry.rfind(prefix, 0) == 0) found.push_back(entry);
        return found;
    }

  private:
    void Log(const std::string& entry) { log.push_back(entry); }
};
