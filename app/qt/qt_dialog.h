// The main dialog on Qt: the controls of the dialog table at their dialog-unit places,
// driven by the same controller as the Windows dialog.
#pragma once

#include <QDialog>
#include <QMenu>
#include <QTimer>

#include <map>
#include <vector>

#include "app/controller.h"
#include "app/dialog_host.h"

class LinkLabel;
class StatusLabel;

class QtDialog final : public QDialog, public DialogHost {
  public:
    explicit QtDialog(ControllerServices& services = SystemControllerServices(),
                      QWidget* parent = nullptr);

    // Maps dialog units to pixels. As on Windows the units start from the dialog font's
    // average letter width and height, and grow until every text of the template, and the
    // longest each field is known to hold, shows whole in the font Qt really uses.
    QRect ToPixels(int x, int y, int width, int height) const;
    // The texts `id`'s control must show whole: its template text or its longest ones.
    QStringList LongestTexts(int id) const;
    QWidget* Control(int id) const;
    LinkLabel* Link() const { return link_; }
    StatusLabel* Status() const { return status_; }
    QMenu* AboutMenu() { return &menu_; }
    // The interval the one-shot timer `timerId` was last started with, 0 if never.
    int TimerInterval(int timerId) const;
    // What the context menu does when it opens: the About entry the first time.
    void PrepareAboutMenu();

    // DialogHost
    void SetCaption(const char* text) override;
    void SetSmallIcon() override;
    void ApplyDialogFont() override {}
    void InstallStatusLine(int) override {}
    void InstallLink(int) override {}
    void CenterOnDesktop() override;
    void SetText(int id, const char* text) override;
    void GetText(int id, char* out, size_t capacity) override;
    void Repaint(int id) override;
    void Invalidate(int id) override;
    void Enable(int id, bool enabled) override;
    void SetToolTip(int id, const char* text) override;
    void Focus(int id) override;
    int AppendListItem(int id, const char* text) override;
    void SelectListItem(int id, int index) override;
    void GetSelectedListText(int id, char* out, size_t capacity) override;
    void StartTimer(int timerId, unsigned milliseconds) override;
    void StopTimer(int timerId) override;
    void ShowMessage(const char* text, const char* caption, MessageIcon icon) override;
    void AddSystemMenuEntry(int commandId, const char* text) override;
    void DiscardQueuedInput() override;
    void EndDialog(int result) override;

  protected:
    void reject() override;  // Escape
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void BuildControls();
    void ChooseDialogUnits();
    void PlaceControls();

    MainDialog controller_;
    std::map<int, QWidget*> controls_;
    std::vector<QWidget*> rows_;  // one widget per row of the control table
    std::map<int, QTimer*> timers_;
    StatusLabel* status_ = nullptr;
    LinkLabel* link_ = nullptr;
    QMenu menu_;
    int baseX_ = 6, baseY_ = 13;
};
