#include "fx/text_renderer.h"

#include <cstring>

#include "platform/font/font.h"
#include "platform/font/mul_div.h"
#include "render/render_device.h"

namespace {

constexpr int kScreenDpi = 96;  // LOGPIXELSY of the screen context the atlas is drawn for
constexpr float kDepth = 0.9f;
constexpr UINT kFlushThreshold = 294;  // vertices: a full buffer is drawn before it overflows

static_assert(sizeof(TextRenderer::Vertex) == 28);

DWORD PreferredAtlasSide(DWORD points) {
    if (points > 40) return 1024;
    if (points > 20) return 512;
    return 256;
}

}  // namespace

TextRenderer::TextRenderer(const char* name, DWORD heightInPoints, FontFlags flags)
    : height(heightInPoints), fontFlags(flags) {
    if (name) std::strncpy(faceName, name, sizeof faceName - 1);
}

TextRenderer::~TextRenderer() {
    if (texture || vertexBuffer || savedStateBlock || drawTextStateBlock) Release();
}

HRESULT TextRenderer::Init() {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device) return E_FAIL;
    Release();  // a repeated Init starts from scratch instead of leaking the first atlas

    textScale = 1.0f;
    textureWidth = textureHeight = PreferredAtlasSide(height);
    D3DCAPS8 caps{};
    if (SUCCEEDED(device->GetDeviceCaps(&caps)) && textureWidth > caps.MaxTextureWidth) {
        textScale = static_cast<float>(caps.MaxTextureWidth) / static_cast<float>(textureWidth);
        textureWidth = textureHeight = caps.MaxTextureWidth;
    }

    const HRESULT created = device->CreateTexture(textureWidth, textureHeight, 1, 0, D3DFMT_A4R4G4B4,
                                                  D3DPOOL_MANAGED, texture.Receive());
    if (FAILED(created)) return created;
    if (FAILED(BuildAtlas())) return E_FAIL;

    if (FAILED(device->CreateVertexBuffer(kBufferVertices * sizeof(Vertex), D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT,
                                          vertexBuffer.Receive()))) {
        return E_FAIL;
    }
    if (FAILED(RecordStateBlock(device, &savedStateBlock)) || FAILED(RecordStateBlock(device, &drawTextStateBlock))) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT TextRenderer::BuildAtlas() {
    platform::FontRequest request;
    request.face = faceName;
    request.pixelHeight = platform::MulDiv(static_cast<std::int32_t>(height),
                                           static_cast<std::int32_t>(kScreenDpi * textScale), 72);
    request.weight = HasFontFlag(fontFlags, FontFlags::kBold) ? 700 : 400;
    request.italic = HasFontFlag(fontFlags, FontFlags::kItalic);
    const auto font = platform::Font::Open(request);
    if (!font) return E_FAIL;

    GlyphAtlas atlas(static_cast<int>(textureWidth), static_cast<int>(textureHeight));
    atlas.Rasterise(*font);
    glyphTable = atlas.Table();

    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0)) || !locked.pBits) return E_FAIL;
    atlas.ConvertTo4444(static_cast<BYTE*>(locked.pBits), locked.Pitch);
    texture->UnlockRect(0);
    return S_OK;
}

HRESULT TextRenderer::RecordStateBlock(IDirect3DDevice8* device, DWORD* block) {
    if (FAILED(device->BeginStateBlock())) return E_FAIL;
    device->SetTexture(0, texture.Get());

    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 0x08);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    device->SetRenderState(D3DRS_CLIPPING, TRUE);
    device->SetRenderState(D3DRS_EDGEANTIALIAS, FALSE);
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    device->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
    device->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);

    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);

    return FAILED(device->EndStateBlock(block)) ? E_FAIL : S_OK;
}

HRESULT TextRenderer::DrawText(float x, float y, D3DCOLOR colour, const char* text, DWORD flags) {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device) return E_FAIL;
    // Not initialised (or released): nothing to draw with, and no state is touched.
    if (!texture || !vertexBuffer || !savedStateBlock || !drawTextStateBlock) return E_FAIL;
    if (!text) return E_INVALIDARG;

    device->CaptureStateBlock(savedStateBlock);
    device->ApplyStateBlock(drawTextStateBlock);
    device->SetVertexShader(kVertexFormat);
    device->SetStreamSource(0, vertexBuffer.Get(), sizeof(Vertex));
    if (flags & kFiltered) {
        device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    }
    const HRESULT result = EmitQuads(device, x, y, colour, text);
    device->ApplyStateBlock(savedStateBlock);
    return result;
}

HRESULT TextRenderer::EmitQuads(IDirect3DDevice8* device, float x, float y, D3DCOLOR colour, const char* text) {
    const float lineStart = x;
    const float width = static_cast<float>(textureWidth);
    const float heightTexels = static_cast<float>(textureHeight);
    const GlyphCoords& space = Glyph(' ');

    BYTE* data = nullptr;
    HRESULT locked = vertexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD);
    if (FAILED(locked) || !data) return FAILED(locked) ? locked : E_FAIL;
    auto* vertices = reinterpret_cast<Vertex*>(data);
    UINT triangles = 0;

    for (const char* p = text; *p; ++p) {
        const signed char c = static_cast<signed char>(*p);
        if (c == '\n') {
            x = lineStart;
            y += (space.tv2 - space.tv1) * heightTexels;
            continue;
        }
        if (c < GlyphAtlas::kFirstCode || c > GlyphAtlas::kLastCode) continue;

        const GlyphCoords& g = Glyph(c);
        const float w = (g.tu2 - g.tu1) * width / textScale;
        const float h = (g.tv2 - g.tv1) * heightTexels / textScale;
        const float left = x - 0.5f, top = y - 0.5f, right = x + w - 0.5f, bottom = y + h - 0.5f;
        Vertex* v = vertices + triangles * 3;
        v[0] = {left, bottom, kDepth, 1.0f, colour, g.tu1, g.tv2};
        v[1] = {left, top, kDepth, 1.0f, colour, g.tu1, g.tv1};
        v[2] = {right, bottom, kDepth, 1.0f, colour, g.tu2, g.tv2};
        v[3] = {right, top, kDepth, 1.0f, colour, g.tu2, g.tv1};
        v[4] = {right, bottom, kDepth, 1.0f, colour, g.tu2, g.tv2};
        v[5] = {left, top, kDepth, 1.0f, colour, g.tu1, g.tv1};
        triangles += 2;

        if (triangles * 3 > kFlushThreshold) {
            vertexBuffer->Unlock();
            device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
            locked = vertexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD);
            if (FAILED(locked) || !data) return FAILED(locked) ? locked : E_FAIL;
            vertices = reinterpret_cast<Vertex*>(data);
            triangles = 0;
        }
        x += w;
    }

    vertexBuffer->Unlock();
    if (triangles > 0) device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
    return S_OK;
}

void TextRenderer::Release() {
    vertexBuffer.Reset();
    if (IDirect3DDevice8* device = RenderDevice::Instance().GetDevice()) {
        if (savedStateBlock) device->DeleteStateBlock(savedStateBlock);
        if (drawTextStateBlock) device->DeleteStateBlock(drawTextStateBlock);
    }
    savedStateBlock = 0;
    drawTextStateBlock = 0;
    texture.Reset();
}
