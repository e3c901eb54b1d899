// Vertex and index buffers: CPU memory handed out by Lock, uploaded by Unlock.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/gpu/d3d8.h"
#include "platform/gpu/gl_shared.h"
#include "platform/com/ref_counted.h"

namespace gpu {

// The storage both buffer kinds share: a CPU copy and a GL buffer, with lock bookkeeping.
class BufferStorage {
public:
    // `indices`: the buffer holds indices (WebGL binds those to nothing but index buffers).
    BufferStorage(std::shared_ptr<GlShared> gl, UINT length, bool indices = false);
    ~BufferStorage();
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags);
    HRESULT Unlock();
    GLuint Name() const { return name_; }
    std::uint64_t Serial() const { return serial_; }
    UINT Length() const { return static_cast<UINT>(bits_.size()); }
    const BYTE* Bits() const { return bits_.data(); }
    HRESULT GetDevice(IDirect3DDevice8** device);
    const GlShared* Owner() const { return gl_.get(); }
    // Counts the uploads, so that values derived from the contents know when to recompute.
    std::uint64_t Version() const { return version_; }

private:
    std::shared_ptr<GlShared> gl_;
    std::uint64_t version_ = 0;
    std::vector<BYTE> bits_;
    GLuint name_ = 0;
    std::uint64_t serial_ = 0;
    bool indices_ = false;
    bool locked_ = false;
    UINT lockOffset_ = 0, lockSize_ = 0;
    DWORD lockFlags_ = 0;
};

class VertexBuffer final : public RefCounted<IDirect3DVertexBuffer8> {
public:
    VertexBuffer(std::shared_ptr<GlShared> gl, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    HRESULT GetDevice(IDirect3DDevice8** device) override { return storage_.GetDevice(device); }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override { return storage_.Lock(offset, size, data, flags); }
    HRESULT Unlock() override { return storage_.Unlock(); }
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;
    BufferStorage& Storage() { return storage_; }

private:
    BufferStorage storage_;
    DWORD usage_, fvf_;
    D3DPOOL pool_;
};

class IndexBuffer final : public RefCounted<IDirect3DIndexBuffer8> {
public:
    IndexBuffer(std::shared_ptr<GlShared> gl, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    HRESULT GetDevice(IDirect3DDevice8** device) override { return storage_.GetDevice(device); }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override { return storage_.Lock(offset, size, data, flags); }
    HRESULT Unlock() override { return storage_.Unlock(); }
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;
    BufferStorage& Storage() { return storage_; }
    D3DFORMAT Format() const { return format_; }
    // The largest index among `count` indices from `start` (which the caller has checked lie in
    // the buffer); remembered per range until the contents change.
    UINT MaxIndex(UINT start, UINT count);

private:
    BufferStorage storage_;
    std::unordered_map<std::uint64_t, UINT> maxIndex_;
    std::uint64_t maxIndexVersion_ = 0;
    DWORD usage_;
    D3DFORMAT format_;
    D3DPOOL pool_;
};

}  // namespace gpu
