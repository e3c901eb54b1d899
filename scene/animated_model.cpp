#include "scene/animated_model.h"

#include <cstdio>
#include <string>

#include "app/error_reporter.h"
#include "scene/frame_tree.h"
#include "scene/keyframe_animation.h"
#include "scene/x_loader.h"

AnimatedModel::~AnimatedModel() = default;

HRESULT AnimatedModel::Load(const char* fileName) {
    std::string cause;
    const HRESULT hr = FindFile(path, fileName, &cause);
    if (FAILED(hr)) {
        if (!fileName) return hr;
        ErrorReporter::Instance().SetDetail(fileName);
        // Named on stderr, as the mesh and texture loaders name the files they cannot open.
        if (!cause.empty()) std::fprintf(stderr, "%s: cannot open: %s\n", fileName, cause.c_str());
        return hr;
    }
    // A file that does not parse leaves the model as it was; the load itself still succeeds.
    LoadHierarchy(*this);
    return S_OK;
}

HRESULT AnimatedModel::AdvanceTime(float seconds) {
    if (!hierarchies) return S_OK;
    for (ModelHierarchy* h = hierarchies.get(); h; h = h->next.get()) AdvanceHierarchy(*h, seconds);
    return S_OK;
}

HRESULT AnimatedModel::Render() {
    D3DXMATRIX translation, turn;
    D3DXMatrixTranslation(&translation, position.x, position.y, position.z);
    D3DXMatrixRotationYawPitchRoll(&turn, rotation.y, rotation.x, rotation.z);
    for (ModelHierarchy* h = hierarchies.get(); h; h = h->next.get()) {
        h->root->local = turn;
        h->root->outer = translation;
    }
    if (!hierarchies) return S_OK;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (ModelHierarchy* h = hierarchies.get(); h; h = h->next.get()) {
        HRESULT hr = UpdateTransforms(*h->root, identity);
        if (FAILED(hr)) return hr;
        std::uint32_t faces = 0;
        hr = DrawFrameTree(*h->root, faces);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}
