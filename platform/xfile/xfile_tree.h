// The parsed form of one X file: its bytes, the data of all objects and the object tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/gpu/win_types.h"
#include "platform/xfile/xfile_arena.h"
#include "platform/xfile/xfile_source.h"
#include "platform/xfile/xfile_template.h"

namespace xfile {

constexpr std::uint32_t kNoNode = 0xFFFFFFFFu;

enum class NodeKind : std::uint8_t { Data, Reference };

struct Node {
    NodeKind kind = NodeKind::Data;
    bool hasId = false;
    std::uint32_t templateIndex = kNoTemplate;  // kNoTemplate: undeclared, type GUID all zero
    GUID type{};
    GUID id{};                   // the object's own GUID, or the referenced GUID
    std::string_view name;       // the object's name, or the referenced name
    std::size_t dataOffset = 0;  // into ParsedFile::data
    std::size_t dataSize = 0;
    std::uint32_t firstChild = kNoNode;
    std::uint32_t nextSibling = kNoNode;
};

struct ParsedFile {
    XFileSource source;
    TemplateSet templates;
    ByteArena data;
    std::vector<Node> nodes;
    std::vector<std::uint32_t> topLevel;
    // Set when parsing stopped at a fault: the objects before it stay readable.
    HRESULT error = 0;
    std::unordered_map<std::string_view, std::uint32_t> byName;  // first data object of each name

    const unsigned char* DataOf(const Node& node) const { return data.Data() + node.dataOffset; }
    std::uint32_t FindByName(std::string_view name) const;
    std::uint32_t FindById(const GUID& id) const;
    // The data object a reference node names, or kNoNode.
    std::uint32_t Resolve(const Node& reference) const;
};

}  // namespace xfile
