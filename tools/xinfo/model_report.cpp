#include "tools/xinfo/model_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace xinfo {
namespace {

MeshSummary Summarise(const MeshContainer& c) {
    MeshSummary s;
    s.name = c.name;
    s.subsets = c.subsetCount;
    s.materials = c.materialCount;
    s.influences = c.skin ? c.influences : 0;
    if (c.skin) {
        s.vertices = c.skin->GetNumVertices();
        s.faces = c.skin->GetNumFaces();
        s.bones = c.skin->GetNumBones();
        s.boneCombinations = c.subsetCount;
        s.splitSubset = c.splitSubset;
        s.secondMesh = static_cast<bool>(c.secondMesh);
        for (const D3DXMATRIX* m : c.boneMatrices) s.unboundBones += m == nullptr;
    } else if (c.mesh) {
        s.vertices = c.mesh->GetNumVertices();
        s.faces = c.mesh->GetNumFaces();
    }
    return s;
}

void Walk(const ModelFrame& frame, std::uint32_t depth, ModelReport& report) {
    for (const ModelFrame* f = &frame; f; f = f->sibling.get()) {
        if (!f->isAnimationFrame) {
            ++report.frames;
            report.depth = std::max(report.depth, depth);
        }
        for (const MeshContainer* c = f->containers.get(); c; c = c->next.get()) report.meshes.push_back(Summarise(*c));
        if (f->firstChild) Walk(*f->firstChild, depth + 1, report);
    }
}

// Frames flagged as animation frames that are not on the animation list were made for sets.
std::uint32_t CountSets(const ModelFrame& frame, const ModelHierarchy& h) {
    std::uint32_t sets = 0;
    for (const ModelFrame* f = &frame; f; f = f->sibling.get()) {
        if (f->isAnimationFrame) {
            bool listed = false;
            for (const ModelFrame* a = h.animationList; a && !listed; a = a->nextAnimationFrame) listed = a == f;
            sets += !listed;
        }
        if (f->firstChild) sets += CountSets(*f->firstChild, h);
    }
    return sets;
}

template <class Keys>
void NoteLast(const Keys& keys, std::uint32_t& last) {
    if (!keys.empty()) last = std::max(last, keys.back().time);
}

std::string Quote(const std::optional<std::string>& text) {
    if (!text) return "null";
    std::string out = "\"";
    for (unsigned char ch : *text) {
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += char(ch);
        } else if (ch < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof(esc), "\\u%04x", ch);
            out += esc;
        } else {
            out += char(ch);
        }
    }
    return out + "\"";
}

std::string Number(double v) {
    if (!std::isfinite(v)) return "null";
    char text[32];
    std::snprintf(text, sizeof(text), "%.7g", v);
    return text;
}

}  // namespace

ModelReport Summarise(const ModelHierarchy& h) {
    ModelReport report;
    report.file = h.name;
    if (h.root) {
        // The root's own containers count as meshes, the root itself not as a frame.
        for (const MeshContainer* c = h.root->containers.get(); c; c = c->next.get()) {
            report.meshes.push_back(Summarise(*c));
        }
        if (h.root->firstChild) Walk(*h.root->firstChild, 1, report);
        if (h.root->firstChild) report.animationSets = CountSets(*h.root->firstChild, h);
    }
    for (const ModelFrame* a = h.animationList; a; a = a->nextAnimationFrame) {
        AnimationSummary s;
        if (a->target) s.target = a->target->name;
        s.positionKeys = a->positionKeys.size();
        s.rotationKeys = a->rotationKeys.size();
        s.scaleKeys = a->scaleKeys.size();
        s.matrixKeys = a->matrixKeys.size();
        NoteLast(a->positionKeys, s.lastKeyTime);
        NoteLast(a->rotationKeys, s.lastKeyTime);
        NoteLast(a->scaleKeys, s.lastKeyTime);
        NoteLast(a->matrixKeys, s.lastKeyTime);
        report.animations.push_back(s);
    }
    for (const MeshSummary& m : report.meshes) {
        report.faces += m.faces;
        report.bones += m.bones;
    }
    report.centre = h.centre;
    report.radius = h.radius;
    return report;
}

std::string ToJson(const ModelReport& r) {
    std::string out = "{\"file\":" + Quote(r.file);
    out += ",\"frames\":{\"count\":" + std::to_string(r.frames) + ",\"depth\":" + std::to_string(r.depth) + "}";
    out += ",\"mesh_list\":[";
    for (std::size_t i = 0; i < r.meshes.size(); ++i) {
        const MeshSummary& m = r.meshes[i];
        if (i) out += ",";
        out += "{\"name\":" + Quote(m.name) + ",\"vertices\":" + std::to_string(m.vertices) +
               ",\"faces\":" + std::to_string(m.faces) + ",\"subsets\":" + std::to_string(m.subsets) +
               ",\"materials\":" + std::to_string(m.materials) + ",\"bones\":" + std::to_string(m.bones) +
               ",\"unbound_bones\":" + std::to_string(m.unboundBones) +
               ",\"influences\":" + std::to_string(m.influences) +
               ",\"bone_combinations\":" + std::to_string(m.boneCombinations) +
               ",\"split_subset\":" + std::to_string(m.splitSubset) +
               ",\"second_mesh\":" + (m.secondMesh ? "true" : "false") + "}";
    }
    out += "],\"animation_frames\":[";
    for (std::size_t i = 0; i < r.animations.size(); ++i) {
        const AnimationSummary& a = r.animations[i];
        if (i) out += ",";
        out += "{\"target\":" + Quote(a.target) + ",\"position_keys\":" + std::to_string(a.positionKeys) +
               ",\"rotation_keys\":" + std::to_string(a.rotationKeys) +
               ",\"scale_keys\":" + std::to_string(a.scaleKeys) +
               ",\"matrix_keys\":" + std::to_string(a.matrixKeys) +
               ",\"last_key_time\":" + std::to_string(a.lastKeyTime) + "}";
    }
    out += "],\"centre\":[" + Number(r.centre.x) + "," + Number(r.centre.y) + "," + Number(r.centre.z) + "]";
    out += ",\"radius\":" + Number(r.radius);
    out += ",\"faces\":" + std::to_string(r.faces) + ",\"bones\":" + std::to_string(r.bones) +
           ",\"meshes\":" + std::to_string(r.meshes.size()) +
           ",\"animation_sets\":" + std::to_string(r.animationSets) + "}";
    return out;
}

}  // namespace xinfo
