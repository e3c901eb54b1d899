#include "platform/dialog/dialog_state.h"

#include <atomic>

namespace platform {

namespace {
std::atomic<int> screenWidth{0};
std::atomic<int> screenHeight{0};

bool Checkable(ControlKind kind) { return kind == ControlKind::PushLikeRadio || kind == ControlKind::AutoCheckBox; }
bool Clickable(ControlKind kind) {
    return kind == ControlKind::DefaultPushButton || kind == ControlKind::PushButton || Checkable(kind);
}
}  // namespace

DialogState::DialogState(const DialogTemplate& dialogTemplate) : template_(dialogTemplate) {
    for (const DialogControl& c : template_.controls)
        controls_.push_back({c.id, c.kind, c.disabled, Checkable(c.kind) && c.checked, c.group});
    rect_ = {0, 0, DialogUnitsToPixelsX(template_.width), DialogUnitsToPixelsY(template_.height)};
}

const DialogState::Control* DialogState::Find(int id) const {
    if (id == -1) return nullptr;
    for (const Control& c : controls_)
        if (c.id == id) return &c;
    return nullptr;
}

DialogState::Control* DialogState::Find(int id) {
    return const_cast<Control*>(static_cast<const DialogState*>(this)->Find(id));
}

bool DialogState::Send(unsigned message, DialogWParam wParam, DialogLParam lParam) {
    return proc_ ? proc_(this, message, wParam, lParam) : false;
}

bool DialogState::Start(DialogProc proc, DialogLParam lParam) {
    proc_ = proc;
    return Send(WM_INITDIALOG, 0, lParam);
}

bool DialogState::Click(int id) {
    Control* control = Find(id);
    if (ended_ || !control || control->disabled || !Clickable(control->kind)) return false;
    if (control->kind == ControlKind::PushLikeRadio) {
        for (Control& other : controls_)
            if (&other != control && other.kind == ControlKind::PushLikeRadio && other.group == control->group)
                SetChecked(other.id, false);
        SetChecked(id, true);
    } else if (control->kind == ControlKind::AutoCheckBox) {
        SetChecked(id, !control->checked);
    }
    Send(WM_COMMAND, static_cast<DialogWParam>(id), 0);
    return true;
}

bool DialogState::PressReturn() {
    for (const Control& c : controls_)
        if (c.kind == ControlKind::DefaultPushButton) return Click(c.id);
    return false;
}

void DialogState::Cancel() {
    if (!ended_) Send(WM_COMMAND, static_cast<DialogWParam>(IDCANCEL), 0);
}

bool DialogState::IsEnabled(int id) const {
    const Control* control = Find(id);
    return control && !control->disabled;
}

bool DialogState::IsChecked(int id) const {
    const Control* control = Find(id);
    return control && control->checked;
}

bool DialogState::SetChecked(int id, bool checked) {
    Control* control = Find(id);
    if (!control || !Checkable(control->kind)) return false;
    if (control->checked != checked) {
        control->checked = checked;
        if (view_) view_->CheckChanged(id, checked);
    }
    return true;
}

void DialogState::End(std::intptr_t result) {
    if (ended_) return;  // the first result stands
    ended_ = true;
    result_ = result;
}

void DialogState::SetWindowRect(const DialogRect& rect) {
    rect_ = rect;
    if (view_) view_->Moved(rect);
}

std::intptr_t SendDlgItemMessage(DialogHandle dialog, int id, unsigned message, DialogWParam wParam,
                                 DialogLParam) {
    if (!dialog) return 0;
    switch (message) {
    case BM_GETCHECK:
        return dialog->IsChecked(id) ? static_cast<std::intptr_t>(BST_CHECKED) : static_cast<std::intptr_t>(BST_UNCHECKED);
    case BM_SETCHECK:
        dialog->SetChecked(id, wParam == BST_CHECKED);
        return 0;
    default:
        return 0;
    }
}

bool EndDialog(DialogHandle dialog, std::intptr_t result) {
    if (!dialog) return false;
    dialog->End(result);
    return true;
}

bool GetWindowRect(DialogHandle dialog, DialogRect* rect) {
    if (!dialog || !rect) return false;
    *rect = dialog->WindowRect();
    return true;
}

bool SetWindowPos(DialogHandle dialog, void*, int x, int y, int cx, int cy, unsigned flags) {
    if (!dialog) return false;
    DialogRect rect = dialog->WindowRect();
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (!(flags & SWP_NOSIZE)) {
        if (cx < 0 || cy < 0) return false;
        width = cx;
        height = cy;
    }
    if (!(flags & SWP_NOMOVE)) {
        rect.left = x;
        rect.top = y;
    }
    dialog->SetWindowRect({rect.left, rect.top, rect.left + width, rect.top + height});
    return true;
}

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN: return screenWidth;
    case SM_CYSCREEN: return screenHeight;
    default: return 0;
    }
}

void SetScreenSize(int width, int height) {
    screenWidth = width;
    screenHeight = height;
}

DialogLParam SetWindowLongPtr(DialogHandle dialog, int index, DialogLParam value) {
    if (!dialog || index != DWLP_USER) return 0;
    const DialogLParam previous = dialog->UserData();
    dialog->SetUserData(value);
    return previous;
}

DialogLParam GetWindowLongPtr(DialogHandle dialog, int index) {
    return dialog && index == DWLP_USER ? dialog->UserData() : 0;
}

}  // namespace platform
