// Writes a Model as an X file the project's loader reads: text or binary (32-bit floats),
// plain or compressed (MSZIP, the "tzip"/"bzip" formats). Output is a pure function of the
// model: the same model gives the same bytes.
#pragma once

#include "tools/assets/core/model.h"

namespace assets {

enum class XEncoding {
    Text,            // "xof 0303txt 0032"
    Binary,          // "xof 0303bin 0032"
    TextCompressed,  // "xof 0303tzip0032"
    BinaryCompressed // "xof 0303bzip0032"
};

Bytes WriteX(const Model& model, XEncoding encoding);

}  // namespace assets
