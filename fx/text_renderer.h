// TextRenderer: short 8-bit strings drawn over the picture from a font atlas.
//
// Init rasterises the printable ASCII characters of one font into an A4R4G4B4 texture; DrawText
// then draws two screen-space triangles per character, textured from the atlas and tinted by the
// colour (whose alpha fades the text). Device state changed while drawing is put back through a
// recorded state block.
#pragma once

#include <array>

#include "fx/glyph_atlas.h"
#include "platform/com/com_ptr.h"
#include "platform/gpu/d3d8.h"

// How the font is rasterised, fixed at construction. A type of its own so that a DrawText flag
// cannot be passed where a font flag belongs.
enum class FontFlags : DWORD { kPlain = 0x0, kBold = 0x1, kItalic = 0x2 };

constexpr FontFlags operator|(FontFlags a, FontFlags b) {
    return static_cast<FontFlags>(static_cast<DWORD>(a) | static_cast<DWORD>(b));
}
constexpr bool HasFontFlag(FontFlags flags, FontFlags flag) {
    return (static_cast<DWORD>(flags) & static_cast<DWORD>(flag)) != 0;
}

class TextRenderer {
public:
    // DrawText flag: bilinear filtering of the atlas.
    static constexpr DWORD kFiltered = 0x4;

    static constexpr DWORD kVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x144
    static constexpr UINT kBufferVertices = 300;

    // Screen-space vertex of the text quads.
    struct Vertex {
        float x, y, z, rhw;
        D3DCOLOR diffuse;
        float u, v;
    };

    TextRenderer(const char* faceName, DWORD height, FontFlags fontFlags);
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    HRESULT Init();
    // x, y: top-left of the first glyph cell in screen pixels. Only flag kFiltered is used.
    HRESULT DrawText(float x, float y, D3DCOLOR colour, const char* text, DWORD flags);
    void Release();

    const char* FaceName() const { return faceName; }
    DWORD TextureWidth() const { return textureWidth; }
    DWORD TextureHeight() const { return textureHeight; }
    float TextScale() const { return textScale; }
    // Atlas coordinates of a code from 32 to 127.
    const GlyphCoords& Glyph(int code) const { return glyphTable[code - GlyphAtlas::kFirstCode]; }
    IDirect3DTexture8* Texture() const { return texture.Get(); }
    IDirect3DVertexBuffer8* VertexBuffer() const { return vertexBuffer.Get(); }

private:
    HRESULT BuildAtlas();
    HRESULT RecordStateBlock(IDirect3DDevice8* device, DWORD* block);
    HRESULT EmitQuads(IDirect3DDevice8* device, float x, float y, D3DCOLOR colour, const char* text);

    char faceName[80] = {};
    DWORD height = 0;
    FontFlags fontFlags = FontFlags::kPlain;
    ComPtr<IDirect3DTexture8> texture;
    ComPtr<IDirect3DVertexBuffer8> vertexBuffer;
    DWORD textureWidth = 0;
    DWORD textureHeight = 0;
    float textScale = 1.0f;
    std::array<GlyphCoords, GlyphAtlas::kTableSize> glyphTable{};
    DWORD savedStateBlock = 0;
    DWORD drawTextStateBlock = 0;
};
