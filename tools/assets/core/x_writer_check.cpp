#include "tools/assets/core/x_writer_check.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace assets::xwrite {
namespace {

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool Keyword(std::string_view name) {
    static const char* const kKeywords[] = {"ARRAY", "BINARY", "BINARY_RESOURCE", "BYTE", "CHAR", "CSTRING",
                                            "DOUBLE", "DWORD", "FLOAT", "LPSTR", "SDWORD", "STRING", "SWORD",
                                            "TEMPLATE", "UCHAR", "ULONGLONG", "UNICODE", "WORD"};
    const std::string upper = Upper(name);
    return std::any_of(std::begin(kKeywords), std::end(kKeywords), [&](const char* k) { return upper == k; });
}

std::string Quoted(std::string_view s) {
    std::string quoted;
    quoted.reserve(s.size() + 2);
    quoted.append(1, '\'').append(s).append(1, '\'');
    return quoted;
}

void CollectFrames(const std::vector<Frame>& frames, std::set<std::string>& names, std::string& fault) {
    for (const Frame& f : frames) {
        if (!fault.empty()) return;
        if (!f.name.empty() && !ValidName(f.name)) fault = "frame name " + Quoted(f.name) + " is not a valid name";
        else if (!f.name.empty() && !names.insert(f.name).second) fault = "two frames are named " + Quoted(f.name);
        CollectFrames(f.children, names, fault);
    }
}

bool ValidFileName(std::string_view s) {
    return std::none_of(s.begin(), s.end(), [](char c) { return c == '"' || static_cast<unsigned char>(c) < 0x20; });
}

std::string CheckMesh(const Mesh& m, const std::set<std::string>& frames) {
    const std::string what = "mesh " + Quoted(m.name) + ": ";
    if (!m.name.empty() && !ValidName(m.name)) return what + "not a valid name";
    const std::size_t n = m.positions.size();
    if (n == 0 || m.faces.empty()) return what + "no vertices or no faces";
    if (!m.normals.empty() && m.normals.size() != n) return what + "normals and positions differ in number";
    if (!m.uvs.empty() && m.uvs.size() != n) return what + "texture coordinates and positions differ in number";
    for (std::size_t f = 0; f < m.faces.size(); ++f)
        for (std::uint32_t v : m.faces[f])
            if (v >= n)
                return what + "face " + std::to_string(f) + " uses vertex " + std::to_string(v) + " of " +
                       std::to_string(n);
    if (m.materials.empty() && !m.faceMaterials.empty()) return what + "face materials without materials";
    if (!m.faceMaterials.empty() && m.faceMaterials.size() != m.faces.size())
        return what + "face materials and faces differ in number";
    for (std::uint32_t i : m.faceMaterials)
        if (i >= m.materials.size()) return what + "face material " + std::to_string(i) + " does not exist";
    for (const Material& mat : m.materials)
        if (!ValidFileName(mat.texture)) return what + "texture name " + Quoted(mat.texture) + " cannot be written";
    std::set<std::string> bones;
    for (const SkinWeights& s : m.skin) {
        if (!frames.count(s.bone)) return what + "bone " + Quoted(s.bone) + " names no frame";
        if (!bones.insert(s.bone).second) return what + "bone " + Quoted(s.bone) + " has two weight sets";
        if (s.vertices.size() != s.weights.size()) return what + "bone " + Quoted(s.bone) + ": vertices and weights differ in number";
        for (std::uint32_t v : s.vertices)
            if (v >= n) return what + "bone " + Quoted(s.bone) + " weights vertex " + std::to_string(v) + " of " + std::to_string(n);
    }
    return {};
}

std::string CheckFrameMeshes(const std::vector<Frame>& frames, const std::set<std::string>& names) {
    for (const Frame& f : frames) {
        for (const Mesh& m : f.meshes)
            if (std::string fault = CheckMesh(m, names); !fault.empty()) return fault;
        if (std::string fault = CheckFrameMeshes(f.children, names); !fault.empty()) return fault;
    }
    return {};
}

}  // namespace

bool ValidName(std::string_view name) {
    if (name.empty() || name.size() > 1024) return false;
    auto word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    if (std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    return std::all_of(name.begin(), name.end(), word) && !Keyword(name);
}

std::string CheckModel(const Model& model) {
    std::set<std::string> frames;
    std::string fault;
    CollectFrames(model.frames, frames, fault);
    if (!fault.empty()) return fault;
    for (const Mesh& m : model.meshes)
        if (fault = CheckMesh(m, frames); !fault.empty()) return fault;
    if (fault = CheckFrameMeshes(model.frames, frames); !fault.empty()) return fault;
    if (!model.animationSets.empty() && model.ticksPerSecond == 0) return "animations at 0 ticks per second";
    for (const AnimationSet& set : model.animationSets) {
        const std::string what = "animation set " + Quoted(set.name) + ": ";
        if (!set.name.empty() && !ValidName(set.name)) return what + "not a valid name";
        for (const Animation& a : set.animations)
            if (!frames.count(a.frame)) return what + "animation of " + Quoted(a.frame) + ", which names no frame";
    }
    return {};
}

}  // namespace assets::xwrite
