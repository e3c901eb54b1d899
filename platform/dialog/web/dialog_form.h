// The HTML form that shows a dialog in the browser, built from its state as markup:
//   <form class="dialog" data-dialog-id="ID"><h1>caption</h1><div class="client">controls</div></form>
// Every control is one element carrying data-control-id, placed at its template position in
// pixels: push buttons are <button type="button">, check boxes and radio buttons
// <label><input type="checkbox|radio"> caption</label> (radio buttons of one group share a
// name), group boxes <fieldset><legend>, static text <span>, pictures <div> holding a <canvas>
// (data-picture = the control's index in the template) that the caller paints. Disabled
// controls carry the disabled attribute (on the <input> for check boxes and radio buttons), and
// check boxes and radio buttons the state's checks.
#pragma once

#include <string>

#include "platform/dialog/dialog.h"
#include "platform/dialog/dialog_state.h"

namespace platform {

std::string DialogFormHtml(const DialogState& state);

// text with &, <, >, " and ' written as character references.
std::string EscapeHtml(const std::string& text);

}  // namespace platform
