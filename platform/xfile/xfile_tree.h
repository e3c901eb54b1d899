// The parsed form of one X file: its bytes, the data of all objects and the object tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/com/win_types.h"
#include "platform/xfile/xfile_arena.h"
#include "platform/xfile/xfile_source.h"
#include "platform/xfile/xfile_template.h"

namespace xfile {

constexpr std::uint32_t kNoNode = 0xFFFFFFFFu;

enum class NodeKind : std::uint8_t { Data, Reference };

// 40 bytes an object: the type comes from the template, GUIDs sit in a side table.
struct Node {
    NodeKind kind = NodeKind::Data;
    std::uint32_t templateIndex = kNoTemplate;  // kNoTemplate: undeclared, type GUID all zero
    std::uint32_t idIndex = kNoNode;            // into ParsedFile::ids: the object's own GUID,
                                                // or the referenced one
    std::uint32_t firstChild = kNoNode;
    std::uint32_t nextSibling = kNoNode;
    std::uint32_t dataSize = 0;
    std::uint32_t nameSize = 0;
    std::uint32_t nameOffset = 0;  // the object's name, or the referenced name, in the body
    std::uint64_t dataOffset = 0;  // into ParsedFile::data

    bool HasId() const { return idIndex != kNoNode; }
};

struct ParsedFile {
    XFileSource source;
    TemplateSet templates;
    ByteArena data;
    std::vector<Node> nodes;
    std::vector<std::uint32_t> topLevel;
    std::vector<GUID> ids;
    // Set when parsing stopped at a fault: the objects before it stay readable.
    HRESULT error = 0;
    std::unordered_map<std::string_view, std::uint32_t> byName;  // first data object of each name
    std::unordered_map<GUID, std::uint32_t, GuidHash> byId;  // first data object of each GUID

    const unsigned char* DataOf(const Node& node) const { return data.Data() + node.dataOffset; }
    std::string_view NameOf(const Node& node) const {
        return std::string_view(source.bytes.data() + node.nameOffset, node.nameSize);
    }
    const GUID& IdOf(const Node& node) const;
    const GUID& TypeOf(const Node& node) const;
    std::uint32_t FindByName(std::string_view name) const;
    std::uint32_t FindById(const GUID& id) const;
    // The data object a reference node names, or kNoNode.
    std::uint32_t Resolve(const Node& reference) const;
};

}  // namespace xfile
