// Pictures of the pack's models, drawn headless with the engine's own loaders and renderer, so
// the data can be looked at before any scene shows it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/math/d3dx8math.h"

namespace assets {

struct PreviewOptions {
    std::filesystem::path dataDir;    // the pack folder the X files and textures are read from
    std::filesystem::path outDir;     // where <model>.png files go
    std::string only;                 // one X file name, or empty for every X file of dataDir
    bool fixedCamera = false;         // false: a camera fitted to each model's bounds
    D3DXVECTOR3 eye{0, 0, 0};
    D3DXVECTOR3 look{0, 0, 1};
    std::vector<float> times{0.5f};   // animation times in seconds; one picture per time
    int width = 640;
    int height = 480;
};

// The models drawn as static meshes; every other X file is an animated model.
bool IsStaticModel(const std::string& fileName);

// Writes the pictures and returns how many models failed to load or draw (-1: no device).
int RenderPreviews(const PreviewOptions& options);

}  // namespace assets
