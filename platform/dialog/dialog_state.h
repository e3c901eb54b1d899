// DialogState: a dialog's controls and window position in memory, and the driver of its
// procedure. The window on the display (if any) mirrors it through a DialogView.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/dialog/dialog.h"
#include "platform/dialog/dialog_template.h"

namespace platform {

// Told about every change that the procedure makes, so a window can show it.
class DialogView {
public:
    virtual ~DialogView() = default;
    virtual void CheckChanged(int id, bool checked) = 0;
    virtual void Moved(const DialogRect& rect) = 0;
};

class DialogState {
public:
    // Controls as the template sets them up; the window at (0, 0) with the template's size.
    explicit DialogState(const DialogTemplate& dialogTemplate);
    DialogState(const DialogState&) = delete;
    DialogState& operator=(const DialogState&) = delete;

    const DialogTemplate& Template() const { return template_; }
    void SetView(DialogView* view) { view_ = view; }

    // Sends WM_INITDIALOG with lParam to proc, which then gets every later command.
    bool Start(DialogProc proc, DialogLParam lParam);
    // A click on a control: false (nothing sent) for unknown or disabled controls, controls that
    // cannot be clicked, or once the dialog has ended. A radio button becomes checked and the
    // others of its group unchecked; a check box toggles; then the procedure gets WM_COMMAND id.
    bool Click(int id);
    // The Return key: clicks the default push button.
    bool PressReturn();
    // Esc or the window's close box: WM_COMMAND IDCANCEL.
    void Cancel();

    bool HasControl(int id) const { return Find(id) != nullptr; }
    bool IsEnabled(int id) const;
    bool IsChecked(int id) const;
    // Only radio buttons and check boxes hold a state; false for other controls.
    bool SetChecked(int id, bool checked);

    void End(std::intptr_t result);
    bool Ended() const { return ended_; }
    std::intptr_t Result() const { return result_; }

    DialogRect WindowRect() const { return rect_; }
    void SetWindowRect(const DialogRect& rect);

    DialogLParam UserData() const { return userData_; }
    void SetUserData(DialogLParam value) { userData_ = value; }

private:
    struct Control {
        int id;
        ControlKind kind;
        bool disabled;
        bool checked;
        int group;
    };
    const Control* Find(int id) const;
    Control* Find(int id);
    bool Send(unsigned message, DialogWParam wParam, DialogLParam lParam);

    DialogTemplate template_;
    std::vector<Control> controls_;
    DialogRect rect_{};
    DialogProc proc_ = nullptr;
    DialogView* view_ = nullptr;
    DialogLParam userData_ = 0;
    bool ended_ = false;
    std::intptr_t result_ = 0;
};

}  // namespace platform
