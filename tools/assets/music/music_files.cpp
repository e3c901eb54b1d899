#include "tools/assets/music/music_files.h"

#include "tools/assets/music/mp3_encoder.h"
#include "tools/assets/music/score.h"
#include "tools/assets/music/soundtrack.h"

namespace assets {

AssetList MusicFiles() {
    return {{"demo.mp3", [] { return music::EncodeMp3(music::SynthesiseSoundtrack(music::kShowSeconds), 192); }}};
}

}  // namespace assets
