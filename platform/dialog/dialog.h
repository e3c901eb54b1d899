// Modal dialogs in the shape of the classic dialog-box calls.
//
// A dialog is a DialogState (control states in memory) reached through a DialogHandle; the
// dialog procedure reads and changes it with the calls below. DialogBoxParam shows the state as a
// real window on the display (in the browser: an HTML form in the page, web/); without a display a
// DialogState can be driven directly (Click, Cancel), which is how the procedures are tested.
#pragma once

#include <cstdint>

#include "platform/dialog/dialog_template.h"

namespace platform {

class DialogState;
using DialogHandle = DialogState*;
using DialogWParam = std::uintptr_t;
using DialogLParam = std::intptr_t;
// Answers true when it handled the message.
using DialogProc = bool (*)(DialogHandle dialog, unsigned message, DialogWParam wParam, DialogLParam lParam);

constexpr unsigned WM_INITDIALOG = 0x0110;
constexpr unsigned WM_COMMAND = 0x0111;
constexpr unsigned BM_GETCHECK = 0x00F0;
constexpr unsigned BM_SETCHECK = 0x00F1;
constexpr DialogWParam BST_UNCHECKED = 0;
constexpr DialogWParam BST_CHECKED = 1;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr unsigned SWP_NOSIZE = 0x0001;
constexpr unsigned SWP_NOMOVE = 0x0002;
constexpr unsigned SWP_NOZORDER = 0x0004;
constexpr unsigned SWP_NOACTIVATE = 0x0010;

struct DialogRect {
    std::int32_t left, top, right, bottom;
};

// Runs the dialog modally until the procedure calls EndDialog, and returns the value passed
// there. The procedure gets WM_INITDIALOG (with lParam) before the window is shown, and
// WM_COMMAND with a control's id when the control is clicked; Esc and the window's close box
// send IDCANCEL. The owner is accepted for the call's shape; the dialog has no owner window.
// -1, with a message on stderr, when there is no display (in the browser: no #setup in the page)
// or the template is empty.
std::intptr_t DialogBoxParam(const DialogTemplate& dialogTemplate, void* owner, DialogProc proc,
                             DialogLParam lParam);

// BM_GETCHECK answers BST_CHECKED or BST_UNCHECKED; BM_SETCHECK sets the state (wParam). 0 for
// an unknown control or message, or a null dialog.
std::intptr_t SendDlgItemMessage(DialogHandle dialog, int id, unsigned message, DialogWParam wParam,
                                 DialogLParam lParam);
// Marks the dialog ended with result; the modal loop returns it once the procedure returns.
bool EndDialog(DialogHandle dialog, std::intptr_t result);
// The dialog's window rectangle in screen pixels.
bool GetWindowRect(DialogHandle dialog, DialogRect* rect);
// Moves and/or sizes the dialog (SWP_NOSIZE, SWP_NOMOVE; z-order flags are accepted and ignored).
bool SetWindowPos(DialogHandle dialog, void* insertAfter, int x, int y, int cx, int cy, unsigned flags);
// SM_CXSCREEN / SM_CYSCREEN: the screen size in pixels, as last learnt from the display (in the
// browser: the page's viewport, window.innerWidth x innerHeight, when a dialog starts; or set with
// SetScreenSize where there is none); 0 for other indices and before either.
int GetSystemMetrics(int index);
void SetScreenSize(int width, int height);

// The value a dialog keeps for its procedure (index DWLP_USER): Set answers the previous value.
// 0 for a null dialog or another index.
constexpr int DWLP_USER = 8;
DialogLParam SetWindowLongPtr(DialogHandle dialog, int index, DialogLParam value);
DialogLParam GetWindowLongPtr(DialogHandle dialog, int index);

}  // namespace platform
