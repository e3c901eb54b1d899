// Fuzzes the X file services: the input is parsed from memory, every object is walked,
// its data read (whole and by member) and every reference resolved. The same bytes are
// also offered as a template file.
#include <cstddef>
#include <cstdint>

#include "platform/xfile/dxfile.h"
#include "platform/xfile/dxfile_walk.h"
#include "platform/xfile/xfile_diagnostics.h"

namespace {

void Quiet(std::string_view) {}

IDirectXFile* Service() {
    static IDirectXFile* service = [] {
        xfile::SetFailureSink(Quiet);
        IDirectXFile* s = nullptr;
        if (DirectXFileCreate(&s) != DXFILE_OK) __builtin_trap();
        if (s->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES) != DXFILE_OK) __builtin_trap();
        return s;
    }();
    return service;
}

void Touch(const void* data, DWORD size) {
    volatile unsigned char sink = 0;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (DWORD i = 0; i < size; ++i) sink = sink ^ bytes[i];
}

void Walk(IDirectXFileData* data, int depth) {
    const GUID* type = nullptr;
    if (data->GetType(&type) != DXFILE_OK || type == nullptr) __builtin_trap();
    DWORD length = 0;
    if (data->GetName(nullptr, &length) == DXFILE_OK && length > 0) {
        char name[256];
        DWORD size = sizeof name;
        data->GetName(name, &size);
    }
    DWORD size = 0;
    void* bytes = nullptr;
    if (data->GetData(nullptr, &size, &bytes) == DXFILE_OK) Touch(bytes, size);
    for (const char* member : {"nVertices", "faces", "matrix", "filename", "keys", "weights", "frameMatrix"})
        if (data->GetData(member, &size, &bytes) == DXFILE_OK) Touch(bytes, size);
    xfile::ForEachChild(data, [&](IDirectXFileObject* child) -> HRESULT {
        ComPtr<IDirectXFileData> childData;
        ComPtr<IDirectXFileDataReference> reference;
        if (child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(childData.Receive())) == S_OK) {
            Walk(childData.Get(), depth + 1);
        } else if (child->QueryInterface(IID_IDirectXFileDataReference, reinterpret_cast<void**>(reference.Receive())) ==
                   S_OK) {
            // Only the target's own data: it may be an ancestor (no walk into cycles).
            ComPtr<IDirectXFileData> target;
            if (reference->Resolve(target.Receive()) == DXFILE_OK && target->GetData(nullptr, &size, &bytes) == DXFILE_OK)
                Touch(bytes, size);
        }
        return S_OK;
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    IDirectXFile* service = Service();
    DXFILELOADMEMORY memory{data, static_cast<DWORD>(size)};
    IDirectXFileEnumObject* enumeration = nullptr;
    if (service->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, &enumeration) == DXFILE_OK) {
        xfile::ForEachDataObject(enumeration, [](IDirectXFileData* object) -> HRESULT {
            Walk(object, 0);
            return S_OK;
        });
        enumeration->Release();
    }
    IDirectXFile* scratch = nullptr;
    if (DirectXFileCreate(&scratch) == DXFILE_OK) {
        scratch->RegisterTemplates(data, static_cast<DWORD>(size));
        scratch->Release();
    }
    return 0;
}
