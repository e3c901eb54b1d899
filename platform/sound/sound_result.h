// Result codes of the sound layer (negative = failure), on top of the shared ones.
#pragma once

#include "platform/com/win_types.h"

namespace platform {

// The file could not be opened or holds no decodable MPEG audio.
constexpr HRESULT kSoundDecodeError = static_cast<HRESULT>(0x80040301u);
// No audio output could be opened (no driver, no device, or the format was refused).
constexpr HRESULT kSoundDeviceError = static_cast<HRESULT>(0x80040302u);

}  // namespace platform
