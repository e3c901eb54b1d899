#include <cstring>

#include "scene/mesh_container.h"
#include "scene/model_frame.h"
#include "scene/model_hierarchy.h"

MeshContainer::~MeshContainer() {
    // Unlink the rest of the list one by one: long lists must not recurse.
    std::unique_ptr<MeshContainer> rest = std::move(next);
    while (rest) {
        std::unique_ptr<MeshContainer> after = std::move(rest->next);
        rest = std::move(after);
    }
}

std::uint32_t MeshContainer::BoneCount() const { return skin ? skin->GetNumBones() : 0; }

const char* MeshContainer::BoneName(std::uint32_t i) const {
    if (!boneNames || i >= BoneCount()) return nullptr;
    if (boneNames->GetBufferSize() < (i + 1) * sizeof(char*)) return nullptr;
    return static_cast<char* const*>(boneNames->GetBufferPointer())[i];
}

ModelFrame::ModelFrame() {
    D3DXMatrixIdentity(&local);
    D3DXMatrixIdentity(&outer);
    D3DXMatrixIdentity(&initial);
}

ModelFrame::~ModelFrame() {
    containers.reset();
    firstChild.reset();
    // Siblings are freed in a loop so that a wide level does not recurse once per frame.
    std::unique_ptr<ModelFrame> rest = std::move(sibling);
    while (rest) {
        std::unique_ptr<ModelFrame> after = std::move(rest->sibling);
        rest = std::move(after);
    }
}

ModelHierarchy::ModelHierarchy() = default;

ModelHierarchy::~ModelHierarchy() {
    std::unique_ptr<ModelHierarchy> rest = std::move(next);
    while (rest) {
        std::unique_ptr<ModelHierarchy> after = std::move(rest->next);
        rest = std::move(after);
    }
}
