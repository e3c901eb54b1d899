// The objects behind the X file services interfaces. Every object holds the parsed file it
// came from, so children outlive their enumeration and their parents.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/com/ref_counted.h"
#include "platform/xfile/dxfile.h"
#include "platform/xfile/xfile_tree.h"

namespace xfile {

using FileHandle = std::shared_ptr<ParsedFile>;

// Shared by data objects and references: the name and GUID of a node.
HRESULT CopyNodeName(std::string_view nodeName, char* name, DWORD* length);

class FileData final : public RefCounted<IDirectXFileData> {
public:
    FileData(FileHandle file, std::uint32_t node);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT GetName(char* name, DWORD* length) override;
    HRESULT GetId(GUID* id) override;
    HRESULT GetData(const char* member, DWORD* size, void** data) override;
    HRESULT GetType(const GUID** type) override;
    HRESULT GetNextObject(IDirectXFileObject** child) override;

private:
    const Node& Self() const { return file_->nodes[node_]; }

    FileHandle file_;
    std::uint32_t node_;
    std::uint32_t nextChild_;
};

class FileReference final : public RefCounted<IDirectXFileDataReference> {
public:
    FileReference(FileHandle file, std::uint32_t node) : file_(std::move(file)), node_(node) {}

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT GetName(char* name, DWORD* length) override;
    HRESULT GetId(GUID* id) override;
    HRESULT Resolve(IDirectXFileData** data) override;

private:
    FileHandle file_;
    std::uint32_t node_;
};

class FileEnum final : public RefCounted<IDirectXFileEnumObject> {
public:
    explicit FileEnum(FileHandle file) : file_(std::move(file)) {}

    HRESULT GetNextDataObject(IDirectXFileData** data) override;
    HRESULT GetDataObjectById(REFGUID id, IDirectXFileData** data) override;
    HRESULT GetDataObjectByName(const char* name, IDirectXFileData** data) override;

private:
    FileHandle file_;
    std::size_t next_ = 0;
};

class FileService final : public RefCounted<IDirectXFile> {
public:
    HRESULT CreateEnumObject(const void* source, DXFILELOADOPTIONS options, IDirectXFileEnumObject** enumObject) override;
    HRESULT RegisterTemplates(const void* data, DWORD size) override;

private:
    std::shared_ptr<const TemplateSet> registered_ = std::make_shared<const TemplateSet>();
};

}  // namespace xfile
