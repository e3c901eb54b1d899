#include "platform/gpu/shader_source.h"

#include <string>

namespace gpu {

// Row offsets below are those of the vertex array "V" unless named as fragment rows.
using namespace vertex_uniforms;

namespace {

std::string N(int v) { return std::to_string(v); }

// Varyings only the programs that read them carry: each one costs setup per triangle and
// interpolation per pixel.
bool SpecularVarying(const PipelineKey& k) { return k.specular || StagesReadSpecular(k); }
bool FogVarying(const PipelineKey& k) { return k.fogMode != 0; }

std::string A(Attribute a) { return AttributeName(a); }

// Reads of the vertex rows. A merged-draw program reads the per-instance ones from the instance
// array, at the rows of the instance drawn ("b", set at the top of main).
class VertexRows {
public:
    explicit VertexRows(bool instanced) : instanced_(instanced) {}
    std::string operator()(int row) const {
        if (instanced_ && row < kInstanceRows)
            return std::string(UniformName(Uniform::kInstanceRows)) + "[b + " + N(row) + "]";
        return UniformElement(Uniform::kVertexRows, row);
    }

private:
    bool instanced_;
};

// p x M with M stored as four rows starting at row `base`.
std::string RowTransform(const VertexRows& V, const std::string& p, int base) {
    return "(" + p + ".x * " + V(base) + " + " + p + ".y * " + V(base + 1) + " + " + p + ".z * " + V(base + 2) +
           " + " + p + ".w * " + V(base + 3) + ")";
}
std::string NormalTransform(const VertexRows& V, const std::string& n, int base) {
    return "(" + n + ".x * " + V(base).append(".xyz") + " + " + n + ".y * " + V(base + 1).append(".xyz") + " + " + n +
           ".z * " + V(base + 2).append(".xyz") + ")";
}

std::string MaterialTerm(const VertexRows& V, int source, int materialIndex) {
    if (source == 1) return A(Attribute::kDiffuse);
    if (source == 2) return A(Attribute::kSpecular);
    return V(kMaterial + materialIndex);
}

void EmitLighting(const PipelineKey& k, const VertexRows& V, std::string& s) {
    s += "  vec4 mDiffuse = " + MaterialTerm(V, k.diffuseSource, kMaterialDiffuse) + ";\n";
    s += "  vec4 mAmbient = " + MaterialTerm(V, k.ambientSource, kMaterialAmbient) + ";\n";
    s += "  vec4 mSpecular = " + MaterialTerm(V, k.specularSource, kMaterialSpecular) + ";\n";
    s += "  vec4 mEmissive = " + MaterialTerm(V, k.emissiveSource, kMaterialEmissive) + ";\n";
    s += "  float power = " + V(kMaterial + kMaterialPower) + ".x;\n";
    s += "  vec3 sumAmbient = vec3(0.0), sumDiffuse = vec3(0.0), sumSpecular = vec3(0.0);\n";
    if (k.localViewer)
        s += "  vec3 toEye = length(eyePos) > 0.0 ? normalize(-eyePos) : vec3(0.0, 0.0, 1.0);\n";
    else
        s += "  vec3 toEye = vec3(0.0, 0.0, 1.0);\n";
    for (int i = 0; i < k.lightCount; ++i) {
        const int b = kLights + kLightStride * i;
        s += "  {\n    vec3 L; float atten = 1.0;\n";
        if (k.lightTypes[i] == D3DLIGHT_DIRECTIONAL) {
            s += "    L = -normalize(" + V(b + kLightDirection) + ".xyz);\n";
        } else {
            s += "    vec3 D = " + V(b + kLightPosition) + ".xyz - eyePos; float d = length(D);\n";
            s += "    L = d > 0.0 ? D / d : vec3(0.0, 0.0, 1.0);\n";
            s += "    vec4 r = " + V(b + kLightAttenuation) + ";\n";
            s += "    float denom = r.y + r.z * d + r.w * d * d;\n";
            s += "    atten = d > r.x ? 0.0 : (denom > 0.0 ? 1.0 / denom : 1.0);\n";
            if (k.lightTypes[i] == D3DLIGHT_SPOT) {
                s += "    vec4 c = " + V(b + kLightSpot) + ";\n";
                s += "    float rho = dot(normalize(" + V(b + kLightDirection) + ".xyz), -L);\n";
                s += "    float spot = rho > c.y ? 1.0 : (rho <= c.z ? 0.0 : pow(max((rho - c.z) / max(c.y - c.z, 1e-6), 0.0), c.x));\n";
                s += "    atten *= spot;\n";
            }
        }
        s += "    float NdotL = max(dot(normal, L), 0.0);\n";
        s += "    sumAmbient += atten * " + V(b + kLightAmbient) + ".rgb;\n";
        s += "    sumDiffuse += atten * NdotL * " + V(b + kLightDiffuse) + ".rgb;\n";
        if (k.specular) {
            s += "    if (NdotL > 0.0) {\n";
            s += "      float NdotH = dot(normal, normalize(L + toEye));\n";
            s += "      if (NdotH > 0.0) sumSpecular += atten * pow(NdotH, power) * " + V(b + kLightSpecular) + ".rgb;\n";
            s += "    }\n";
        }
        s += "  }\n";
    }
    s += "  vec3 lit = mEmissive.rgb + mAmbient.rgb * " + V(kAmbient) +
         ".rgb + mAmbient.rgb * sumAmbient + mDiffuse.rgb * sumDiffuse;\n";
    s += "  vDiffuse = vec4(clamp(lit, 0.0, 1.0), clamp(mDiffuse.a, 0.0, 1.0));\n";
    if (SpecularVarying(k)) s += "  vSpecular = clamp(mSpecular.rgb * sumSpecular, 0.0, 1.0);\n";
}

// Unlit colours: the vertex's own, white and black where it has none.
void EmitVertexColours(const PipelineKey& k, std::string& s) {
    s += k.hasDiffuse ? "  vDiffuse = " + A(Attribute::kDiffuse) + ";\n" : "  vDiffuse = vec4(1.0);\n";
    if (SpecularVarying(k))
        s += k.hasSpecular ? "  vSpecular = " + A(Attribute::kSpecular) + ".rgb;\n" : "  vSpecular = vec3(0.0);\n";
}

// The declaration of attribute `a`, read as `type`.
std::string AttributeInput(Attribute a, const char* type, const ShaderDialect& d) {
    return "layout(location = " + N(AttributeLocation(a)) + ") in " + type + " " + AttributeInputName(a, d.es) + ";\n";
}
// On ES: the colour attribute `a` under its own name, its bytes swapped into place.
std::string SwappedColour(Attribute a) { return "  vec4 " + A(a) + " = " + AttributeInputName(a, true) + ".bgra;\n"; }

// The declaration of a uniform array of `rows` rows.
std::string RowsUniform(Uniform array, int rows) { return "uniform vec4 " + UniformElement(array, rows) + ";\n"; }

}  // namespace

std::string ShaderHeader(const ShaderDialect& d) {
    if (!d.es) return "#version 330 core\n";
    return "#version 300 es\nprecision highp float;\nprecision highp int;\nprecision highp sampler2D;\n";
}

std::string VertexShaderSource(const PipelineKey& k, const ShaderDialect& dialect) {
    const char* interp = k.flat ? "flat " : "";
    const VertexRows V(k.instanced != 0);
    const std::string position = A(Attribute::kPosition), normalIn = A(Attribute::kNormal);
    std::string s = ShaderHeader(dialect);
    s += RowsUniform(Uniform::kVertexRows, kCount);
    if (k.instanced) s += RowsUniform(Uniform::kInstanceRows, kInstanceRows * dialect.instanceBatch);
    s += AttributeInput(Attribute::kPosition, k.pretransformed ? "vec4" : "vec3", dialect);
    if (k.blendWeights) s += AttributeInput(Attribute::kWeights, "vec4", dialect);
    if (k.hasNormal) s += AttributeInput(Attribute::kNormal, "vec3", dialect);
    if (k.hasDiffuse) s += AttributeInput(Attribute::kDiffuse, "vec4", dialect);
    if (k.hasSpecular) s += AttributeInput(Attribute::kSpecular, "vec4", dialect);
    bool declared[kTexCoordSets] = {};
    for (int i = 0; i < kMaxStages; ++i) {
        const StageKey& st = k.stages[i];
        if (st.texSet == kNoTexSet) continue;
        if (!declared[st.texSet]) {
            s += AttributeInput(TexCoordAttribute(st.texSet), "vec4", dialect);
            declared[st.texSet] = true;
        }
        s += "out vec2 vTex" + N(i) + ";\n";
    }
    s += std::string(interp) + "out vec4 vDiffuse;\n";
    if (SpecularVarying(k)) s += std::string(interp) + "out vec3 vSpecular;\n";
    if (FogVarying(k)) s += "out float vFogDepth;\n";
    s += "void main() {\n";
    if (dialect.es && k.hasDiffuse) s += SwappedColour(Attribute::kDiffuse);
    if (dialect.es && k.hasSpecular) s += SwappedColour(Attribute::kSpecular);
    if (k.instanced) s += "  int b = gl_InstanceID * " + N(kInstanceRows) + ";\n";
    for (int i = 0; i < kMaxStages; ++i) {
        const StageKey& st = k.stages[i];
        if (st.texSet != kNoTexSet) s += "  vTex" + N(i) + " = " + A(TexCoordAttribute(st.texSet)) + ".xy;\n";
    }
    if (k.pretransformed) {
        // Screen pixels with Direct3D's pixel centres, relative to the viewport, to clip space.
        s += "  vec4 vp = " + V(kViewport) + "; vec2 zr = " + V(kDepthRange) + ".xy;\n";
        s += "  float w = " + position + ".w > 0.0 ? 1.0 / " + position + ".w : 1.0;\n";
        s += "  vec2 ndc = 2.0 * (" + position + ".xy + 0.5 - vp.xy) / vp.zw - 1.0;\n";
        s += "  float z = zr.y != zr.x ? (" + position + ".z - zr.x) / (zr.y - zr.x) : 0.0;\n";
        s += "  vec4 clip = vec4(ndc * w, z * w, w);\n";
        EmitVertexColours(k, s);
    } else {
        s += "  vec4 p = vec4(" + position + ", 1.0);\n";
        if (k.blendWeights == 0) {
            s += "  vec3 eyePos = " + RowTransform(V, "p", kWorld) + ".xyz;\n";
            if (k.lighting) {
                const std::string n = k.hasNormal ? NormalTransform(V, normalIn, kWorld + kNormalOffset) : "vec3(0.0)";
                s += "  vec3 normal = " + n + ";\n";
            }
        } else {
            s += "  float wLast = 1.0;\n  vec3 eyePos = vec3(0.0);\n";
            if (k.lighting) s += "  vec3 normal = vec3(0.0);\n";
            for (int i = 0; i <= k.blendWeights; ++i) {
                int base = kWorld + kWorldStride * i;
                std::string w = i < k.blendWeights ? A(Attribute::kWeights) + "[" + N(i) + "]" : "wLast";
                if (i < k.blendWeights) s += "  wLast -= " + w + ";\n";
                s += "  eyePos += " + w + " * " + RowTransform(V, "p", base) + ".xyz;\n";
                if (k.lighting && k.hasNormal)
                    s += "  normal += " + w + " * " + NormalTransform(V, normalIn, base + kNormalOffset) + ";\n";
            }
        }
        if (k.lighting && k.normalize) s += "  if (dot(normal, normal) > 0.0) normal = normalize(normal);\n";
        s += "  vec4 e = vec4(eyePos, 1.0);\n";
        s += "  vec4 clip = " + RowTransform(V, "e", kProjection) + ";\n";
        // Direct3D's y grows downward on screen while the back buffer's first row is at OpenGL's
        // y = 0: mirror y, then shift by half a pixel for Direct3D's pixel centres.
        s += "  clip.y = -clip.y;\n";
        s += "  clip.xy += clip.w * " + V(kPixel) + ".xy;\n";
        if (k.lighting) {
            EmitLighting(k, V, s);
        } else {
            EmitVertexColours(k, s);
        }
    }
    if (FogVarying(k)) s += "  vFogDepth = clip.w;\n";
    if (!dialect.clipControl) s += "  clip.z = 2.0 * clip.z - clip.w;\n";
    // Points are one pixel, as desktop GL draws them without a program point size; ES leaves
    // the size undefined unless the program writes it.
    if (dialect.es) s += "  gl_PointSize = 1.0;\n";
    s += "  gl_Position = clip;\n}\n";
    return s;
}

namespace {

std::string F(int row) { return UniformElement(Uniform::kFragmentRows, row); }
std::string Sampler(int stage) { return UniformName(SamplerUniform(stage)); }

std::string Arg(int stage, std::uint8_t arg, bool alpha) {
    std::string v;
    switch (arg & D3DTA_SELECTMASK) {
        case D3DTA_DIFFUSE: v = "vDiffuse"; break;
        case D3DTA_CURRENT: v = "cur"; break;
        case D3DTA_TEXTURE: v = "tex" + N(stage); break;
        case D3DTA_TFACTOR: v = F(fragment_uniforms::kTFactor); break;
        case D3DTA_SPECULAR: v = "vec4(vSpecular, 1.0)"; break;
        default: v = "vec4(0.0)"; break;
    }
    if (arg & D3DTA_COMPLEMENT) v = "(vec4(1.0) - " + v + ")";
    if (alpha || (arg & D3DTA_ALPHAREPLICATE)) v += alpha ? ".a" : ".aaaa";
    if (!alpha) v = "(" + v + ").rgb";
    return v;
}

std::string Op(int stage, std::uint8_t op, const std::string& a1, const std::string& a2, bool alpha) {
    std::string t = alpha ? "float" : "vec3";
    std::string one = alpha ? "1.0" : "vec3(1.0)";
    auto blend = [&](const std::string& f) { return "mix(" + a2 + ", " + a1 + ", " + f + ")"; };
    switch (op) {
        case D3DTOP_SELECTARG1: return a1;
        case D3DTOP_SELECTARG2: return a2;
        case D3DTOP_MODULATE: return a1 + " * " + a2;
        case D3DTOP_MODULATE2X: return "2.0 * " + a1 + " * " + a2;
        case D3DTOP_MODULATE4X: return "4.0 * " + a1 + " * " + a2;
        case D3DTOP_ADD: return a1 + " + " + a2;
        case D3DTOP_ADDSIGNED: return a1 + " + " + a2 + " - 0.5";
        case D3DTOP_ADDSIGNED2X: return "2.0 * (" + a1 + " + " + a2 + " - 0.5)";
        case D3DTOP_SUBTRACT: return a1 + " - " + a2;
        case D3DTOP_ADDSMOOTH: return a1 + " + " + a2 + " * (" + one + " - " + a1 + ")";
        case D3DTOP_BLENDDIFFUSEALPHA: return blend("vDiffuse.a");
        case D3DTOP_BLENDTEXTUREALPHA: return blend("tex" + N(stage) + ".a");
        case D3DTOP_BLENDFACTORALPHA: return blend(F(fragment_uniforms::kTFactor) + ".a");
        case D3DTOP_BLENDTEXTUREALPHAPM: return a1 + " + " + a2 + " * (1.0 - tex" + N(stage) + ".a)";
        case D3DTOP_BLENDCURRENTALPHA: return blend("cur.a");
        default: return alpha ? "cur.a" : "cur.rgb";
    }
}

const char* CompareExpr(std::uint8_t func) {
    switch (func) {
        case D3DCMP_NEVER: return "false";
        case D3DCMP_LESS: return "a < ref";
        case D3DCMP_EQUAL: return "a == ref";
        case D3DCMP_LESSEQUAL: return "a <= ref";
        case D3DCMP_GREATER: return "a > ref";
        case D3DCMP_NOTEQUAL: return "a != ref";
        case D3DCMP_GREATEREQUAL: return "a >= ref";
        default: return "true";
    }
}

// Border addressing where the sampler cannot clamp to a border colour (ES): the texel sampled
// with the coordinate clamped to the edge is blended with the border colour by the share of the
// filter's footprint that lies inside the texture, per bordered axis. Point sampling takes the
// texel inside [0, 1); linear sampling fades over the half texel either side of the edge, as
// over the texels of level 0 (minified mipmapped samples fade as level 0 does).
void EmitBorder(int stage, std::uint8_t border, const std::string& c, std::string& s) {
    const std::string t = "tex" + N(stage);
    if (border & kBorderLinear) {
        s += "    vec2 size = vec2(textureSize(" + Sampler(stage) + ", 0)), at = " + c + " * size;\n";
        s += "    vec2 inside = clamp(min(at + 0.5, size + 0.5 - at), 0.0, 1.0);\n";
    } else {
        s += "    vec2 inside = vec2(greaterThanEqual(" + c + ", vec2(0.0))) * vec2(lessThan(" + c + ", vec2(1.0)));\n";
    }
    const std::string u = (border & kBorderU) ? "inside.x" : "1.0", v = (border & kBorderV) ? "inside.y" : "1.0";
    s += "    " + t + " = mix(" + F(fragment_uniforms::kBorderColour + stage) + ", " + t + ", " + u + " * " + v + ");\n";
}

}  // namespace

std::string FragmentShaderSource(const PipelineKey& k, const ShaderDialect& dialect) {
    const char* interp = k.flat ? "flat " : "";
    std::string s = ShaderHeader(dialect);
    s += RowsUniform(Uniform::kFragmentRows, fragment_uniforms::kCount);
    for (int i = 0; i < kMaxStages; ++i) {
        if (k.stages[i].textured) s += "uniform sampler2D " + Sampler(i) + ";\n";
        if (k.stages[i].texSet != kNoTexSet) s += "in vec2 vTex" + N(i) + ";\n";
    }
    s += std::string(interp) + "in vec4 vDiffuse;\n";
    if (SpecularVarying(k)) s += std::string(interp) + "in vec3 vSpecular;\n";
    if (FogVarying(k)) s += "in float vFogDepth;\n";
    s += "layout(location = 0) out vec4 fragColor;\n";
    s += "void main() {\n  vec4 cur = vDiffuse;\n";
    for (int i = 0; i < kMaxStages; ++i) {
        const StageKey& st = k.stages[i];
        if (st.colorOp == D3DTOP_DISABLE) break;
        std::string coord = st.texSet != kNoTexSet ? "vTex" + N(i) : "vec2(0.0)";
        s += "  {\n";
        s += st.textured ? "    vec4 tex" + N(i) + " = texture(" + Sampler(i) + ", " + coord + ");\n"
                         : "    vec4 tex" + N(i) + " = vec4(1.0);\n";
        if (st.textured && st.border) EmitBorder(i, st.border, coord, s);
        s += "    vec3 rgb = " + Op(i, st.colorOp, Arg(i, st.colorArg1, false), Arg(i, st.colorArg2, false), false) + ";\n";
        if (st.alphaOp != D3DTOP_DISABLE)
            s += "    float alpha = " + Op(i, st.alphaOp, Arg(i, st.alphaArg1, true), Arg(i, st.alphaArg2, true), true) + ";\n";
        else
            s += "    float alpha = cur.a;\n";
        s += "    cur = clamp(vec4(rgb, alpha), 0.0, 1.0);\n  }\n";
    }
    if (k.specular) s += "  cur.rgb = clamp(cur.rgb + vSpecular, 0.0, 1.0);\n";
    if (k.alphaFunc) {
        s += "  float a = floor(cur.a * 255.0 + 0.5); float ref = floor(" + F(fragment_uniforms::kAlphaRef) + ".x * 255.0 + 0.5);\n";
        s += std::string("  if (!(") + CompareExpr(k.alphaFunc) + ")) discard;\n";
    }
    if (k.fogMode) {
        s += "  vec4 fog = " + F(fragment_uniforms::kFog) + "; float d = vFogDepth; float f;\n";
        if (k.fogMode == D3DFOG_EXP) s += "  f = exp(-fog.x * d);\n";
        if (k.fogMode == D3DFOG_EXP2) s += "  f = exp(-(fog.x * d) * (fog.x * d));\n";
        if (k.fogMode == D3DFOG_LINEAR) s += "  f = fog.z != fog.y ? (fog.z - d) / (fog.z - fog.y) : 1.0;\n";
        s += "  f = clamp(f, 0.0, 1.0);\n";
        s += "  cur.rgb = mix(" + F(fragment_uniforms::kFogColor) + ".rgb, cur.rgb, f);\n";
    }
    s += "  fragColor = cur;\n}\n";
    return s;
}

}  // namespace gpu
