#include "platform/xfile/dxfile_objects.h"

#include <cstring>
#include <new>
#include <string>

#include "platform/xfile/data_layout.h"
#include "platform/xfile/xfile_diagnostics.h"
#include "platform/xfile/xfile_parser.h"

namespace xfile {
namespace {

template <class Interface>
HRESULT Hand(Interface* object, void** out) {
    object->AddRef();
    *out = object;
    return S_OK;
}

HRESULT NewData(const FileHandle& file, std::uint32_t node, IDirectXFileData** data) {
    auto* object = new (std::nothrow) FileData(file, node);
    if (object == nullptr) return DXFILEERR_BADALLOC;
    *data = object;
    return DXFILE_OK;
}

}  // namespace

HRESULT CopyNodeName(std::string_view nodeName, char* name, DWORD* length) {
    if (length == nullptr) return DXFILEERR_BADVALUE;
    DWORD needed = nodeName.empty() ? 0 : static_cast<DWORD>(nodeName.size() + 1);
    if (name == nullptr) {
        *length = needed;
        return DXFILE_OK;
    }
    if (*length < needed) return DXFILEERR_BADVALUE;
    if (needed == 0) {
        if (*length > 0) name[0] = '\0';
        *length = 0;
        return DXFILE_OK;
    }
    std::memcpy(name, nodeName.data(), nodeName.size());
    name[nodeName.size()] = '\0';
    *length = needed;
    return DXFILE_OK;
}

// ---- FileData ----

FileData::FileData(FileHandle file, std::uint32_t node) : file_(std::move(file)), node_(node) {
    nextChild_ = Self().firstChild;
}

HRESULT FileData::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IDirectXFileData) return Hand(static_cast<IDirectXFileData*>(this), object);
    if (riid == IID_IDirectXFileObject) return Hand(static_cast<IDirectXFileObject*>(this), object);
    return E_NOINTERFACE;
}

HRESULT FileData::GetName(char* name, DWORD* length) { return CopyNodeName(file_->NameOf(Self()), name, length); }

HRESULT FileData::GetId(GUID* id) {
    if (id == nullptr) return DXFILEERR_BADVALUE;
    *id = file_->IdOf(Self());
    return DXFILE_OK;
}

HRESULT FileData::GetData(const char* member, DWORD* size, void** data) {
    if (size == nullptr || data == nullptr) return DXFILEERR_BADVALUE;
    const Node& node = Self();
    auto* bytes = const_cast<unsigned char*>(file_->DataOf(node));
    if (member == nullptr) {
        *size = static_cast<DWORD>(node.dataSize);
        *data = bytes;
        return DXFILE_OK;
    }
    MemberSpan span;
    if (node.templateIndex == kNoTemplate ||
        !FindMember(file_->templates, file_->templates.At(node.templateIndex), bytes, node.dataSize, member, &span)) {
        std::string cause = "object has no member '" + std::string(member) + "'";
        return ReportFailure(DXFILEERR_BADDATAREFERENCE, file_->source.name, "object " + std::string(file_->NameOf(node)), cause);
    }
    *size = static_cast<DWORD>(span.size);
    *data = bytes + span.offset;
    return DXFILE_OK;
}

HRESULT FileData::GetType(const GUID** type) {
    if (type == nullptr) return DXFILEERR_BADVALUE;
    *type = &file_->TypeOf(Self());
    return DXFILE_OK;
}

HRESULT FileData::GetNextObject(IDirectXFileObject** child) {
    if (child == nullptr) return DXFILEERR_BADVALUE;
    *child = nullptr;
    if (nextChild_ == kNoNode) return DXFILEERR_NOMOREOBJECTS;
    std::uint32_t index = nextChild_;
    const Node& node = file_->nodes[index];
    IDirectXFileObject* object;
    if (node.kind == NodeKind::Data)
        object = new (std::nothrow) FileData(file_, index);
    else
        object = new (std::nothrow) FileReference(file_, index);
    if (object == nullptr) return DXFILEERR_BADALLOC;
    nextChild_ = node.nextSibling;
    *child = object;
    return DXFILE_OK;
}

// ---- FileReference ----

HRESULT FileReference::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IDirectXFileDataReference) return Hand(static_cast<IDirectXFileDataReference*>(this), object);
    if (riid == IID_IDirectXFileObject) return Hand(static_cast<IDirectXFileObject*>(this), object);
    return E_NOINTERFACE;
}

HRESULT FileReference::GetName(char* name, DWORD* length) {
    return CopyNodeName(file_->NameOf(file_->nodes[node_]), name, length);
}

HRESULT FileReference::GetId(GUID* id) {
    if (id == nullptr) return DXFILEERR_BADVALUE;
    *id = file_->IdOf(file_->nodes[node_]);
    return DXFILE_OK;
}

HRESULT FileReference::Resolve(IDirectXFileData** data) {
    if (data == nullptr) return DXFILEERR_BADVALUE;
    *data = nullptr;
    const Node& node = file_->nodes[node_];
    std::uint32_t target = file_->Resolve(node);
    if (target == kNoNode) {
        std::string cause = "no data object named ";
        if (node.nameSize == 0)
            cause.append("by the GUID");
        else
            cause.append("'").append(file_->NameOf(node)).append("'");
        return ReportFailure(DXFILEERR_NOTFOUND, file_->source.name, "reference", cause);
    }
    return NewData(file_, target, data);
}

// ---- FileEnum ----

HRESULT FileEnum::GetNextDataObject(IDirectXFileData** data) {
    if (data == nullptr) return DXFILEERR_BADVALUE;
    *data = nullptr;
    if (next_ < file_->topLevel.size()) return NewData(file_, file_->topLevel[next_++], data);
    return FAILED(file_->error) ? file_->error : DXFILEERR_NOMOREOBJECTS;
}

HRESULT FileEnum::GetDataObjectById(REFGUID id, IDirectXFileData** data) {
    if (data == nullptr) return DXFILEERR_BADVALUE;
    *data = nullptr;
    std::uint32_t found = file_->FindById(id);
    if (found == kNoNode) return DXFILEERR_NOTFOUND;
    return NewData(file_, found, data);
}

HRESULT FileEnum::GetDataObjectByName(const char* name, IDirectXFileData** data) {
    if (data == nullptr || name == nullptr) return DXFILEERR_BADVALUE;
    *data = nullptr;
    std::uint32_t found = file_->FindByName(name);
    if (found == kNoNode) return DXFILEERR_NOTFOUND;
    return NewData(file_, found, data);
}

// ---- FileService ----

HRESULT FileService::CreateEnumObject(const void* source, DXFILELOADOPTIONS options, IDirectXFileEnumObject** enumObject) {
    if (enumObject == nullptr) return DXFILEERR_BADVALUE;
    *enumObject = nullptr;
    auto file = std::make_shared<ParsedFile>();
    HRESULT hr;
    if (options == DXFILELOAD_FROMFILE) {
        hr = LoadSourceFromFile(static_cast<const char*>(source), &file->source);
    } else if (options == DXFILELOAD_FROMMEMORY) {
        const auto* memory = static_cast<const DXFILELOADMEMORY*>(source);
        if (memory == nullptr) return ReportFailure(DXFILEERR_BADVALUE, "(memory)", "byte 0", "no memory block given");
        hr = LoadSourceFromMemory(memory->lpMemory, memory->dSize, "(memory)", &file->source);
    } else {
        return ReportFailure(DXFILEERR_BADVALUE, "(source)", "byte 0", "unsupported load option");
    }
    if (FAILED(hr)) return hr;
    file->templates = TemplateSet(registered_);
    ParseFile(file.get());  // a fault is kept and returned after the objects read before it
    auto* object = new (std::nothrow) FileEnum(std::move(file));
    if (object == nullptr) return DXFILEERR_BADALLOC;
    *enumObject = object;
    return DXFILE_OK;
}

HRESULT FileService::RegisterTemplates(const void* data, DWORD size) {
    if (data == nullptr) return DXFILEERR_BADVALUE;
    ParsedFile file;
    HRESULT hr = LoadSourceFromMemory(data, size, "(templates)", &file.source);
    if (FAILED(hr)) return hr;
    file.templates = TemplateSet(registered_);
    hr = ParseFile(&file);
    if (FAILED(hr)) return hr;
    registered_ = std::make_shared<const TemplateSet>(std::move(file.templates));
    return DXFILE_OK;
}

}  // namespace xfile

HRESULT DirectXFileCreate(IDirectXFile** file) {
    if (file == nullptr) return DXFILEERR_BADVALUE;
    *file = new (std::nothrow) xfile::FileService();
    return *file == nullptr ? DXFILEERR_BADALLOC : DXFILE_OK;
}
