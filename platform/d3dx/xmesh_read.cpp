// Reading a Mesh data object and its children into an XMeshSource.
#include <cstdio>
#include <cstring>

#include "platform/d3dx/d3dx8tex.h"
#include "platform/d3dx/xmesh_source.h"
#include "platform/com/com_ptr.h"
#include "platform/xfile/dxfile_walk.h"

namespace d3dx {
namespace {

// Reads template data front to back; every read checks that the bytes are there.
class DataCursor {
public:
    DataCursor(const void* data, DWORD size) : data_(static_cast<const BYTE*>(data)), size_(data ? size : 0) {}

    bool Read(void* out, size_t bytes) {
        if (!ok_ || bytes > size_ - offset_) return ok_ = false;
        std::memcpy(out, data_ + offset_, bytes);
        offset_ += bytes;
        return true;
    }
    DWORD Dword() {
        DWORD v = 0;
        Read(&v, 4);
        return v;
    }
    float Float() {
        float v = 0;
        Read(&v, 4);
        return v;
    }
    std::string String() {
        const char* text = nullptr;
        Read(&text, sizeof text);
        return ok_ && text ? std::string(text) : std::string();
    }
    // A count of elements of `elementBytes` each that must fit in what is left.
    DWORD Count(size_t elementBytes) {
        const DWORD n = Dword();
        if (ok_ && static_cast<std::uint64_t>(n) * elementBytes > size_ - offset_) ok_ = false;
        return ok_ ? n : 0;
    }
    bool Ok() const { return ok_; }

private:
    const BYTE* data_;
    size_t size_;
    size_t offset_ = 0;
    bool ok_ = true;
};

HRESULT Invalid(const XMeshSource& mesh, const char* what) {
    std::fprintf(stderr, "d3dx/xmesh: mesh '%s': %s\n", mesh.name.c_str(), what);
    return D3DXERR_INVALIDDATA;
}

HRESULT WholeData(IDirectXFileData* object, DataCursor& cursor) {
    DWORD size = 0;
    void* data = nullptr;
    HRESULT hr = object->GetData(nullptr, &size, &data);
    if (FAILED(hr)) return hr;
    cursor = DataCursor(data, size);
    return S_OK;
}

std::vector<std::array<float, 3>> ReadVectors(DataCursor& c) {
    std::vector<std::array<float, 3>> out(c.Count(12));
    for (auto& v : out) c.Read(v.data(), 12);
    return out;
}

std::vector<std::vector<DWORD>> ReadFaces(DataCursor& c) {
    std::vector<std::vector<DWORD>> out(c.Count(4));
    for (auto& face : out) {
        face.resize(c.Count(4));
        if (!face.empty()) c.Read(face.data(), face.size() * 4);
        if (!c.Ok()) break;
    }
    return out;
}

std::string ObjectName(IDirectXFileObject* object) {
    DWORD length = 0;
    if (FAILED(object->GetName(nullptr, &length)) || length == 0 || length > 4096) return {};
    std::string name(length, '\0');
    if (FAILED(object->GetName(name.data(), &length))) return {};
    name.resize(std::strlen(name.c_str()));
    return name;
}

// Visits each child of `object` that is data or a reference to data, as a data object.
template <class Visit>
HRESULT ForEachChild(IDirectXFileData* object, Visit&& visit) {
    return xfile::ForEachChild(object, [&](IDirectXFileObject* child) -> HRESULT {
        ComPtr<IDirectXFileData> data;
        ComPtr<IDirectXFileDataReference> reference;
        if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(data.Receive())))) {
            // a data object
        } else if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileDataReference,
                                                   reinterpret_cast<void**>(reference.Receive())))) {
            const HRESULT hr = reference->Resolve(data.Receive());
            if (FAILED(hr)) return hr;
        } else {
            return S_OK;  // binary objects
        }
        const GUID* type = nullptr;
        const HRESULT hr = data->GetType(&type);
        if (FAILED(hr)) return hr;
        return visit(data.Get(), *type);
    });
}

HRESULT ReadMaterial(IDirectXFileData* object, XMeshSource& mesh) {
    DataCursor c(nullptr, 0);
    HRESULT hr = WholeData(object, c);
    if (FAILED(hr)) return hr;
    XMaterial m;
    D3DMATERIAL8& d = m.material;
    float face[4], specular[3], emissive[3];
    c.Read(face, sizeof face);
    d.Power = c.Float();
    c.Read(specular, sizeof specular);
    c.Read(emissive, sizeof emissive);
    if (!c.Ok()) return Invalid(mesh, "a Material is too short");
    d.Diffuse = {face[0], face[1], face[2], face[3]};
    d.Ambient = {0, 0, 0, 0};
    d.Specular = {specular[0], specular[1], specular[2], 1.0f};
    d.Emissive = {emissive[0], emissive[1], emissive[2], 1.0f};
    hr = ForEachChild(object, [&](IDirectXFileData* child, const GUID& type) -> HRESULT {
        if (type != TID_D3DRMTextureFilename || !m.texture.empty()) return S_OK;
        DataCursor t(nullptr, 0);
        HRESULT r = WholeData(child, t);
        if (FAILED(r)) return r;
        m.texture = t.String();
        return S_OK;
    });
    if (FAILED(hr)) return hr;
    mesh.materials.push_back(std::move(m));
    return S_OK;
}

HRESULT ReadMaterialList(IDirectXFileData* object, XMeshSource& mesh) {
    DataCursor c(nullptr, 0);
    HRESULT hr = WholeData(object, c);
    if (FAILED(hr)) return hr;
    c.Dword();  // the material count: the Material objects that follow are what counts
    mesh.faceMaterials.resize(c.Count(4));
    if (!mesh.faceMaterials.empty()) c.Read(mesh.faceMaterials.data(), mesh.faceMaterials.size() * 4);
    if (!c.Ok()) return Invalid(mesh, "MeshMaterialList does not fit its template");
    mesh.materials.clear();
    return ForEachChild(object, [&](IDirectXFileData* child, const GUID& type) -> HRESULT {
        return type == TID_D3DRMMaterial ? ReadMaterial(child, mesh) : S_OK;
    });
}

HRESULT ReadSkinWeights(IDirectXFileData* object, XMeshSource& mesh) {
    DataCursor c(nullptr, 0);
    HRESULT hr = WholeData(object, c);
    if (FAILED(hr)) return hr;
    XSkinWeights s;
    s.bone = c.String();
    const DWORD n = c.Count(8);
    s.vertices.resize(n);
    s.weights.resize(n);
    if (n) {
        c.Read(s.vertices.data(), n * 4);
        c.Read(s.weights.data(), n * 4);
    }
    c.Read(&s.offset, sizeof s.offset);
    if (!c.Ok()) return Invalid(mesh, "SkinWeights do not fit their template");
    mesh.skin.push_back(std::move(s));
    return S_OK;
}

HRESULT ReadChild(IDirectXFileData* child, const GUID& type, XMeshSource& mesh) {
    DataCursor c(nullptr, 0);
    if (type == TID_D3DRMMeshNormals) {
        HRESULT hr = WholeData(child, c);
        if (FAILED(hr)) return hr;
        mesh.normals = ReadVectors(c);
        mesh.normalFaces = ReadFaces(c);
        if (!c.Ok()) return Invalid(mesh, "MeshNormals do not fit their template");
        mesh.hasNormals = true;
    } else if (type == TID_D3DRMMeshTextureCoords) {
        HRESULT hr = WholeData(child, c);
        if (FAILED(hr)) return hr;
        const DWORD n = c.Count(8);
        mesh.texCoords.assign(mesh.positions.size(), {0.0f, 0.0f});
        for (DWORD i = 0; i < n; ++i) {
            std::array<float, 2> uv{};
            c.Read(uv.data(), 8);
            if (i < mesh.texCoords.size()) mesh.texCoords[i] = uv;
        }
        if (!c.Ok()) return Invalid(mesh, "MeshTextureCoords do not fit their template");
        mesh.hasTexCoords = true;
    } else if (type == TID_D3DRMMeshVertexColors) {
        HRESULT hr = WholeData(child, c);
        if (FAILED(hr)) return hr;
        const DWORD n = c.Count(20);
        mesh.colours.assign(mesh.positions.size(), 0xFFFFFFFF);
        for (DWORD i = 0; i < n; ++i) {
            const DWORD index = c.Dword();
            float rgba[4];
            c.Read(rgba, sizeof rgba);
            if (!c.Ok() || index >= mesh.colours.size()) continue;
            auto channel = [](float f) {
                f = f < 0 ? 0 : (f > 1 ? 1 : f);
                return static_cast<DWORD>(f * 255.0f + 0.5f);
            };
            mesh.colours[index] = (channel(rgba[3]) << 24) | (channel(rgba[0]) << 16) | (channel(rgba[1]) << 8) |
                                  channel(rgba[2]);
        }
        if (!c.Ok()) return Invalid(mesh, "MeshVertexColors do not fit their template");
        mesh.hasColours = true;
    } else if (type == TID_D3DRMMeshMaterialList) {
        return ReadMaterialList(child, mesh);
    } else if (type == DXFILEOBJ_SkinWeights) {
        return ReadSkinWeights(child, mesh);
    }
    return S_OK;  // XSkinMeshHeader (the counts follow from the weights) and anything else
}

}  // namespace

HRESULT ReadXMesh(IDirectXFileData* object, XMeshSource& out) {
    out = XMeshSource{};
    out.name = ObjectName(object);
    DataCursor c(nullptr, 0);
    HRESULT hr = WholeData(object, c);
    if (FAILED(hr)) return hr;
    out.positions = ReadVectors(c);
    out.faces = ReadFaces(c);
    if (!c.Ok()) return Invalid(out, "data does not fit the Mesh template");
    return ForEachChild(object, [&](IDirectXFileData* child, const GUID& type) { return ReadChild(child, type, out); });
}

}  // namespace d3dx
