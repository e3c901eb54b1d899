// Texture: a mip chain kept in Direct3D memory layout, uploaded to OpenGL on UnlockRect.
#pragma once

#include <memory>
#include <vector>

#include "platform/gpu/blank_trim.h"
#include "platform/gpu/d3d8.h"
#include "platform/gpu/gl_shared.h"
#include "platform/com/ref_counted.h"

namespace gpu {

class Texture final : public RefCounted<IDirect3DTexture8> {
public:
    // Null with a message when the format or size cannot be made.
    static Texture* Create(std::shared_ptr<GlShared> gl, UINT width, UINT height, UINT levels, DWORD usage,
                           D3DFORMAT format, D3DPOOL pool, HRESULT& result);

    HRESULT GetDevice(IDirect3DDevice8** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    GLuint Name() const { return name_; }
    const GlShared* Owner() const { return gl_.get(); }
    D3DFORMAT Format() const { return format_; }
    // Unique among the device's objects, unlike the GL name, which may come back.
    std::uint64_t Serial() const { return serial_; }
    // Counts the changes to the contents.
    std::uint64_t Version() const { return version_; }
    // Where each level's non-zero texels lie, found again after the contents change.
    const std::vector<LevelBoxes>& Boxes();

    // From now on the GL texture holds every channel the format samples as, the ones the format
    // leaves out (the alpha of X8R8G8B8, the colour of A8, ...) filled in on upload, instead of
    // leaving them to the swizzle or to GL's missing channels. GL applies those to the border
    // colour as well, so a sampler's border shows as given only on a texture stored this way.
    // Textures start in the smaller layout; their samples are the same in both.
    void StoreEveryChannel();

private:
    struct Level {
        UINT width, height, pitch, rows;
        std::vector<BYTE> bits;
        bool locked = false;
        bool readOnly = false;
    };
    Texture(std::shared_ptr<GlShared> gl, D3DFORMAT format, DWORD usage, D3DPOOL pool);
    ~Texture() override;
    void Upload(UINT level);

    std::shared_ptr<GlShared> gl_;
    D3DFORMAT format_;
    DWORD usage_;
    D3DPOOL pool_;
    std::vector<Level> levels_;
    GLuint name_ = 0;
    std::vector<std::uint32_t> scratch_;
    std::vector<BYTE> esTexels_;  // texels rearranged for an ES layout
    bool everyChannel_ = false;
    std::uint64_t serial_ = 0;
    std::uint64_t version_ = 0;
    std::vector<LevelBoxes> boxes_;
    std::uint64_t boxesVersion_ = ~0ull;

    friend class RefCounted<IDirect3DTexture8>;
};

}  // namespace gpu
