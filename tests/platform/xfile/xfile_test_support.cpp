#include "tests/platform/xfile/xfile_test_support.h"

#include <algorithm>
#include <filesystem>

namespace xfile_test {
namespace {

bool LeadsWithString(const GUID& type, const std::vector<GUID>& leadingStrings) {
    if (type == TID_D3DRMTextureFilename || type == DXFILEOBJ_SkinWeights) return true;
    return std::find(leadingStrings.begin(), leadingStrings.end(), type) != leadingStrings.end();
}

void Walk(IDirectXFileData* data, int depth, std::vector<FlatObject>* objects, const std::vector<GUID>& leadingStrings) {
    FlatObject flat;
    flat.depth = depth;
    const GUID* type = nullptr;
    if (data->GetType(&type) == DXFILE_OK) flat.type = *type;
    flat.name = NameOf(data);
    DWORD size = 0;
    void* bytes = nullptr;
    if (data->GetData(nullptr, &size, &bytes) == DXFILE_OK && size > 0) {
        const auto* p = static_cast<const unsigned char*>(bytes);
        flat.data.assign(p, p + size);
    }
    // String members are pointers: compare their text instead.
    if (type && LeadsWithString(*type, leadingStrings) && size >= sizeof(char*)) {
        const char* text = ReadAt<const char*>(bytes, 0);
        flat.data.assign(flat.data.begin() + sizeof(char*), flat.data.end());
        flat.data.insert(flat.data.begin(), text, text + std::strlen(text));
    }
    objects->push_back(flat);
    for (;;) {
        Ref<IDirectXFileObject> child;
        if (data->GetNextObject(child.out()) != DXFILE_OK) break;
        Ref<IDirectXFileData> childData;
        Ref<IDirectXFileDataReference> reference;
        if (child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(childData.out())) == S_OK) {
            Walk(childData.get(), depth + 1, objects, leadingStrings);
        } else if (child->QueryInterface(IID_IDirectXFileDataReference, reinterpret_cast<void**>(reference.out())) == S_OK) {
            FlatObject ref;
            ref.depth = depth + 1;
            ref.reference = true;
            Ref<IDirectXFileData> target;
            if (reference->Resolve(target.out()) == DXFILE_OK) ref.name = NameOf(target.get());
            objects->push_back(ref);
        }
    }
}

}  // namespace

void PrintTo(const FlatObject& object, std::ostream* out) {
    *out << "{" << object.depth << (object.reference ? " ref " : " ") << std::hex << object.type.Data1 << std::dec << " '"
         << object.name << "' " << object.data.size() << " bytes}";
}

std::string NameOf(IDirectXFileObject* object) {
    DWORD length = 0;
    if (object->GetName(nullptr, &length) != DXFILE_OK || length == 0) return {};
    std::string name(length, '\0');
    if (object->GetName(name.data(), &length) != DXFILE_OK) return "<error>";
    name.resize(length - 1);
    return name;
}

void OpenFile(const std::string& path, Opened* opened) {
    opened->result = DirectXFileCreate(opened->service.out());
    if (FAILED(opened->result)) return;
    opened->result = opened->service->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES);
    if (FAILED(opened->result)) return;
    opened->result = opened->service->CreateEnumObject(path.c_str(), DXFILELOAD_FROMFILE, opened->enumeration.out());
}

void OpenMemory(const std::string& bytes, Opened* opened) {
    opened->result = DirectXFileCreate(opened->service.out());
    if (FAILED(opened->result)) return;
    opened->result = opened->service->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES);
    if (FAILED(opened->result)) return;
    DXFILELOADMEMORY memory{bytes.data(), static_cast<DWORD>(bytes.size())};
    opened->result = opened->service->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, opened->enumeration.out());
}

HRESULT Flatten(IDirectXFileEnumObject* enumeration, std::vector<FlatObject>* objects,
                const std::vector<GUID>& leadingStrings) {
    for (;;) {
        Ref<IDirectXFileData> data;
        HRESULT hr = enumeration->GetNextDataObject(data.out());
        if (hr != DXFILE_OK) return hr;
        Walk(data.get(), 0, objects, leadingStrings);
    }
}

std::string SampleDirectory() {
    std::string candidate = ORRERY_XFILES_DIR;
    std::error_code ec;
    if (std::filesystem::is_directory(candidate, ec)) return candidate;
    return {};
}

}  // namespace xfile_test
