#include "scene/x_loader.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "platform/d3dx/d3dx8mesh.h"
#include "platform/d3dx/d3dx8tex.h"
#include "platform/file/data_file.h"
#include "platform/com/com_ptr.h"
#include "platform/xfile/dxfile_walk.h"
#include "render/render_device.h"
#include "scene/frame_tree.h"
#include "scene/skinned_mesh.h"

namespace {

constexpr std::size_t kPathCapacity = AnimatedModel::kPathCapacity;

bool SameGuid(const GUID* a, const GUID& b) { return a && std::memcmp(a, &b, sizeof(GUID)) == 0; }

// Reads an object's name in two calls: length first, then the text. No name leaves it empty.
HRESULT ReadName(IDirectXFileObject* object, std::optional<std::string>& name) {
    name.reset();
    DWORD length = 0;
    HRESULT hr = object->GetName(nullptr, &length);
    if (FAILED(hr)) return hr;
    if (length == 0) return S_OK;
    std::string text(length, '\0');
    hr = object->GetName(text.data(), &length);
    if (FAILED(hr)) return hr;
    text.resize(strnlen(text.c_str(), text.size()));
    name = std::move(text);
    return S_OK;
}

template <class T>
ComPtr<T> QueryAs(IDirectXFileObject* object, REFIID iid) {
    void* out = nullptr;
    if (FAILED(object->QueryInterface(iid, &out)) || !out) return ComPtr<T>();
    return ComPtr<T>(static_cast<T*>(out));
}

std::string Describe(const std::optional<std::string>& name) { return name ? "'" + *name + "'" : "(unnamed)"; }

// The material list of a mesh: the records the reader returned, or the default grey one.
void FillMaterials(MeshContainer& c, ID3DXBuffer* materials, DWORD count, IDirect3DDevice8* device) {
    DWORD usable = 0;
    if (materials && count > 0) {
        usable = std::min<DWORD>(count, materials->GetBufferSize() / sizeof(D3DXMATERIAL));
    }
    if (usable == 0) {
        D3DMATERIAL8 grey{};
        grey.Diffuse = {0.5f, 0.5f, 0.5f, 0.0f};
        grey.Specular = grey.Diffuse;
        c.materials.assign(1, grey);
        c.textures.resize(1);
        c.materialCount = 0;
        return;
    }
    const auto* records = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
    c.materialCount = usable;
    c.materials.resize(usable);
    c.textures.resize(usable);
    for (DWORD i = 0; i < usable; ++i) {
        c.materials[i] = records[i].MatD3D;
        const char* file = records[i].pTextureFilename;
        if (!file || !*file) continue;
        char path[kPathCapacity] = {};
        FindFile(path, file);
        HRESULT hr = E_FAIL;
        if (*path) {
            hr = D3DXCreateTextureFromFileExA(device, path, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                              D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                              nullptr, nullptr, c.textures[i].Receive());
        }
        if (FAILED(hr)) {
            c.textures[i].Reset();
            std::fprintf(stderr, "scene: mesh %s: texture \"%s\" not loaded (0x%08X); material %u drawn without it\n",
                         Describe(c.name).c_str(), file, static_cast<unsigned>(hr), static_cast<unsigned>(i));
        }
    }
}

// Why an AnimationSet or Animation stopped early, for the one line that reports it.
struct AnimationFault {
    std::string cause;

    HRESULT Refuse(std::string why) {
        cause = std::move(why);
        return E_INVALIDARG;
    }
};

// Words of one key of each track: the time, the value count and the values.
struct KeyTrack {
    const char* name;
    std::size_t words;
};

KeyTrack TrackOf(DWORD type) {
    switch (type) {
        case DXFILEKEY_ROTATION: return {"rotation", 6};
        case DXFILEKEY_SCALE: return {"scale", 5};
        case DXFILEKEY_POSITION: return {"position", 5};
        case DXFILEKEY_MATRIX: return {"matrix", 18};
        default: return {nullptr, 0};
    }
}

bool HasKeys(const ModelFrame& frame, DWORD type) {
    switch (type) {
        case DXFILEKEY_ROTATION: return !frame.rotationKeys.empty();
        case DXFILEKEY_SCALE: return !frame.scaleKeys.empty();
        case DXFILEKEY_POSITION: return !frame.positionKeys.empty();
        default: return !frame.matrixKeys.empty();
    }
}

// Reads one AnimationKey into the frame's tracks.
HRESULT ReadAnimationKey(IDirectXFileData* key, ModelFrame& frame, AnimationFault& fault) {
    DWORD size = 0;
    void* data = nullptr;
    HRESULT hr = key->GetData(nullptr, &size, &data);
    if (FAILED(hr)) return hr;
    if (!data || size < 8) return fault.Refuse("an AnimationKey without its key type and count");
    DWORD head[2];
    std::memcpy(head, data, sizeof(head));
    const DWORD type = head[0], count = head[1];
    const KeyTrack track = TrackOf(type);
    if (!track.name) return fault.Refuse("an AnimationKey of unknown key type " + std::to_string(type));
    if (HasKeys(frame, type)) return fault.Refuse(std::string("a second AnimationKey of ") + track.name + " keys");
    const std::size_t words = track.words;
    // Each key is a fixed block of words; a block that would run past the data is refused.
    if ((size - 8) / 4 / words < count) return fault.Refuse("an AnimationKey with fewer values than its keys need");
    const auto* bytes = static_cast<const unsigned char*>(data) + 8;
    auto word = [&](std::size_t k, std::size_t w) {
        std::uint32_t v;
        std::memcpy(&v, bytes + (k * words + w) * 4, 4);
        return v;
    };
    auto real = [&](std::size_t k, std::size_t w) {
        float v;
        std::memcpy(&v, bytes + (k * words + w) * 4, 4);
        return v;
    };
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint32_t time = word(k, 0);
        if (type == DXFILEKEY_ROTATION) {
            frame.rotationKeys.push_back({time, real(k, 3), real(k, 4), real(k, 5), real(k, 2)});
        } else if (type == DXFILEKEY_MATRIX) {
            MatrixKey m;
            m.time = time;
            for (int i = 0; i < 16; ++i) m.m[i] = real(k, 2 + i);
            frame.matrixKeys.push_back(m);
        } else {
            auto& track = type == DXFILEKEY_SCALE ? frame.scaleKeys : frame.positionKeys;
            track.push_back({time, real(k, 2), real(k, 3), real(k, 4)});
        }
    }
    return S_OK;
}

// Sets the animation frame's target from a reference to a Frame object.
HRESULT ReadTargetReference(IDirectXFileDataReference* reference, ModelHierarchy& hierarchy, ModelFrame& animation,
                            AnimationFault& fault) {
    ComPtr<IDirectXFileData> referenced;
    HRESULT hr = reference->Resolve(referenced.Receive());
    if (FAILED(hr)) return hr;
    if (!referenced) return E_FAIL;
    const GUID* type = nullptr;
    hr = referenced->GetType(&type);
    if (FAILED(hr)) return hr;
    if (!SameGuid(type, TID_D3DRMFrame)) return S_OK;
    std::optional<std::string> name;
    hr = ReadName(referenced.Get(), name);
    if (FAILED(hr)) return hr;
    if (animation.target) return fault.Refuse("a second target frame");
    if (!name) return fault.Refuse("a target frame without a name");
    animation.target = FindFrameFromRoot(*hierarchy.root, name->c_str());
    return animation.target ? S_OK : fault.Refuse("target frame '" + *name + "', which the model does not hold");
}

// Unlinks `doomed` from the list starting at `slot` and destroys it.
void RemoveHierarchy(std::unique_ptr<ModelHierarchy>& slot, ModelHierarchy* doomed) {
    for (std::unique_ptr<ModelHierarchy>* at = &slot; *at; at = &(*at)->next) {
        if (at->get() == doomed) {
            std::unique_ptr<ModelHierarchy> removed = std::move(*at);
            *at = std::move(removed->next);
            return;
        }
    }
}

HRESULT ReadAnimationSetOf(IDirectXFileData* object, ModelHierarchy& hierarchy, ModelFrame& frame,
                           AnimationFault& fault);
HRESULT ReadAnimationOf(IDirectXFileData* object, ModelHierarchy& hierarchy, ModelFrame& frame, AnimationFault& fault);

// A set or animation that stopped early does not fail the load: what it read stays, the
// rest of the file is read on. One line says which one stopped, where and why.
void ReportAnimationFault(const char* what, const std::optional<std::string>& name, const ModelHierarchy& hierarchy,
                          const ModelFrame& frame, HRESULT hr, const AnimationFault& fault) {
    const std::string model = hierarchy.name.empty() ? std::string("(unnamed model)") : "\"" + hierarchy.name + "\"";
    const std::string cause = fault.cause.empty() ? std::string("the X file services failed") : fault.cause;
    const std::string place = &frame == hierarchy.root.get() ? std::string("at the top level")
                                                              : "in frame " + Describe(frame.name);
    std::fprintf(stderr, "scene: model %s: %s %s %s stops early: %s (0x%08X); the rest of the model loads\n",
                 model.c_str(), what, Describe(name).c_str(), place.c_str(), cause.c_str(), static_cast<unsigned>(hr));
}

}  // namespace

HRESULT FindFile(char* destination, const char* fileName, std::string* cause) {
    if (!destination || !fileName) return E_INVALIDARG;
    const std::size_t length = std::strlen(fileName);
    if (length >= kPathCapacity) {
        destination[0] = '\0';
        std::fprintf(stderr, "scene: file name of %zu characters is too long (at most %zu)\n", length,
                     kPathCapacity - 1);
        return E_FAIL;
    }
    std::memcpy(destination, fileName, length + 1);
    // Only a regular file that can be read counts; the test never waits on what it opens.
    return platform::CanOpenDataFile(fileName, cause) ? S_OK : E_FAIL;
}

HRESULT ReadDataObject(IDirectXFileData* object, ModelHierarchy& hierarchy, ModelFrame& frame) {
    const GUID* type = nullptr;
    HRESULT hr = object->GetType(&type);
    if (FAILED(hr)) return hr;
    if (SameGuid(type, TID_D3DRMMesh)) return ReadMesh(object, frame);
    if (SameGuid(type, TID_D3DRMFrameTransformMatrix)) {
        DWORD size = 0;
        void* data = nullptr;
        hr = object->GetData(nullptr, &size, &data);
        if (FAILED(hr)) return hr;
        if (!data || size < sizeof(D3DMATRIX)) return E_FAIL;
        std::memcpy(&frame.local, data, sizeof(D3DMATRIX));
        frame.initial = frame.local;
        return hr;
    }
    if (SameGuid(type, TID_D3DRMAnimationSet) || SameGuid(type, TID_D3DRMAnimation)) {
        const bool set = SameGuid(type, TID_D3DRMAnimationSet);
        AnimationFault fault;
        hr = set ? ReadAnimationSetOf(object, hierarchy, frame, fault)
                 : ReadAnimationOf(object, hierarchy, frame, fault);
        if (FAILED(hr)) {
            std::optional<std::string> name;
            if (FAILED(ReadName(object, name))) name.reset();  // the message then calls it unnamed
            ReportAnimationFault(set ? "animation set" : "animation", name, hierarchy, frame, hr, fault);
        }
        return S_OK;
    }
    if (!SameGuid(type, TID_D3DRMFrame)) return S_OK;

    auto created = std::make_unique<ModelFrame>();
    ModelFrame& child = *created;
    hr = ReadName(object, created->name);
    if (FAILED(hr)) return hr;
    AddChild(frame, std::move(created));
    // Only data objects are read; references and binary objects inside a frame are passed over.
    return xfile::ForEachDataChild(object,
                                   [&](IDirectXFileData* data) { return ReadDataObject(data, hierarchy, child); });
}

HRESULT ReadMesh(IDirectXFileData* object, ModelFrame& frame) {
    auto container = std::make_unique<MeshContainer>();
    HRESULT hr = ReadName(object, container->name);
    if (FAILED(hr)) return hr;
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device) return E_FAIL;

    ComPtr<ID3DXBuffer> adjacency, materials;
    DWORD materialCount = 0;
    hr = D3DXLoadSkinMeshFromXof(object, 0, device, adjacency.Receive(), materials.Receive(), &materialCount,
                                 container->boneNames.Receive(), container->boneOffsets.Receive(),
                                 container->skin.Receive());
    if (FAILED(hr)) return hr;
    if (!container->skin) return E_FAIL;
    MeshContainer& c = *container;

    const std::size_t words = std::size_t(c.skin->GetNumFaces()) * 3;
    c.adjacency.assign(words, UNUSED32);
    if (adjacency) {
        const std::size_t given = std::min<std::size_t>(words, adjacency->GetBufferSize() / sizeof(DWORD));
        std::memcpy(c.adjacency.data(), adjacency->GetBufferPointer(), given * sizeof(DWORD));
    }

    const DWORD bones = c.skin->GetNumBones();
    if (bones == 0) {
        hr = c.skin->GetOriginalMesh(c.mesh.Receive());
        if (FAILED(hr)) return hr;
        c.skin.Reset();
        c.boneNames.Reset();
        c.boneOffsets.Reset();
    } else {
        c.boneMatrices.assign(bones, nullptr);
        if (!c.boneOffsets || c.boneOffsets->GetBufferSize() < std::size_t(bones) * sizeof(D3DXMATRIX) ||
            !c.boneNames || c.boneNames->GetBufferSize() < std::size_t(bones) * sizeof(char*)) {
            std::fprintf(stderr, "scene: mesh %s: bone data missing for %u bones\n", Describe(c.name).c_str(),
                         static_cast<unsigned>(bones));
            return E_FAIL;
        }
        c.boneOffsetMatrices = static_cast<const D3DXMATRIX*>(c.boneOffsets->GetBufferPointer());
        hr = BuildBlendedMesh(c);
        if (FAILED(hr)) return hr;
    }

    FillMaterials(c, materials.Get(), materialCount, device);
    if (!c.skin) c.subsetCount = c.materialCount;
    AddContainer(frame, std::move(container));
    return S_OK;
}

HRESULT ReadAnimationSet(IDirectXFileData* object, ModelHierarchy& hierarchy, ModelFrame& frame) {
    AnimationFault fault;
    return ReadAnimationSetOf(object, hierarchy, frame, fault);
}

HRESULT ReadAnimation(IDirectXFileData* object, ModelHierarchy& hierarchy, ModelFrame& frame) {
    AnimationFault fault;
    return ReadAnimationOf(object, hierarchy, frame, fault);
}

namespace {

HRESULT ReadAnimationSetOf(IDirectXFileData* object, ModelHierarchy& hierarchy, ModelFrame& frame,
                           AnimationFault& fault) {
    auto created = std::make_unique<ModelFrame>();
    created->isAnimationFrame = true;
    ModelFrame& set = *created;
    AddChild(frame, std::move(created));
    HRESULT hr = ReadName(object, set.name);
    if (FAILED(hr)) return hr;
    return xfile::ForEachDataChild(object, [&](IDirectXFileData* data) -> HRESULT {
        const GUID* type = nullptr;
        HRESULT read = data->GetType(&type);
        if (FAILED(read)) return read;
        if (!SameGuid(type, TID_D3DRMAnimation)) return S_OK;
        return ReadAnimationOf(data, hierarchy, set, fault);
    });
}

HRESULT ReadAnimationOf(IDirectXFileData* object, ModelHierarchy& hierarchy, ModelFrame& frame, AnimationFault& fault) {
    auto created = std::make_unique<ModelFrame>();
    created->isAnimationFrame = true;
    ModelFrame& animation = *created;
    AddChild(frame, std::move(created));
    animation.nextAnimationFrame = hierarchy.animationList;
    hierarchy.animationList = &animation;

    return xfile::ForEachChild(object, [&](IDirectXFileObject* next) -> HRESULT {
        if (auto reference = QueryAs<IDirectXFileDataReference>(next, IID_IDirectXFileDataReference)) {
            return ReadTargetReference(reference.Get(), hierarchy, animation, fault);
        }
        ComPtr<IDirectXFileData> data = QueryAs<IDirectXFileData>(next, IID_IDirectXFileData);
        if (!data) return S_OK;
        const GUID* type = nullptr;
        HRESULT hr = data->GetType(&type);
        if (FAILED(hr)) return hr;
        if (SameGuid(type, TID_D3DRMFrame)) return ReadDataObject(data.Get(), hierarchy, animation);
        if (SameGuid(type, TID_D3DRMAnimationKey)) return ReadAnimationKey(data.Get(), animation, fault);
        return S_OK;
    });
}

}  // namespace

HRESULT LoadHierarchy(AnimatedModel& model) {
    auto hierarchy = std::make_unique<ModelHierarchy>();
    hierarchy->root = std::make_unique<ModelFrame>();
    const std::size_t length = strnlen(model.path, kPathCapacity);
    if (length < 2 || length >= kPathCapacity) return E_FAIL;

    ComPtr<IDirectXFile> files;
    HRESULT hr = DirectXFileCreate(files.Receive());
    if (FAILED(hr)) return hr;
    if (!files) return E_FAIL;
    hr = files->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES);
    if (FAILED(hr)) return hr;
    ComPtr<IDirectXFileEnumObject> objects;
    hr = files->CreateEnumObject(model.path, DXFILELOAD_FROMFILE, objects.Receive());
    if (FAILED(hr)) return hr;
    if (!objects) return E_FAIL;

    // Named before the read so that what the read reports can say which model it is in.
    hierarchy->name.assign(model.path, length);
    hr = xfile::ForEachDataObject(objects.Get(), [&](IDirectXFileData* object) {
        return ReadDataObject(object, *hierarchy, *hierarchy->root);
    });
    if (FAILED(hr)) return hr;
    BindBones(*hierarchy->root, *hierarchy);

    if (model.currentHierarchy) RemoveHierarchy(model.hierarchies, model.currentHierarchy);
    ModelHierarchy* loaded = hierarchy.get();
    hierarchy->next = std::move(model.hierarchies);
    model.hierarchies = std::move(hierarchy);
    model.currentHierarchy = loaded;

    hr = MeasureBounds(*loaded);
    if (FAILED(hr)) {
        RemoveHierarchy(model.hierarchies, loaded);
        model.currentHierarchy = nullptr;
        return hr;
    }
    loaded->clock = 0.0f;
    D3DXMatrixTranslation(&loaded->root->local, -loaded->centre.x, -loaded->centre.y, -loaded->centre.z);
    loaded->root->initial = loaded->root->local;
    return S_OK;
}
