// Checks a Model before it is written: names readers accept, indices inside their arrays,
// parallel arrays of matching lengths, references to frames that exist.
#pragma once

#include <string>
#include <string_view>

#include "tools/assets/core/model.h"

namespace assets::xwrite {

// A name an X file reader takes as one name token: a letter or '_' first, then letters,
// digits and '_', not a keyword of the format.
bool ValidName(std::string_view name);

// Empty when the model can be written; otherwise the first fault found, e.g.
// "mesh 'Body': face 12 uses vertex 900 of 850".
std::string CheckModel(const Model& model);

}  // namespace assets::xwrite
