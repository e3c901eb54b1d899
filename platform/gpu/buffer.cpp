#include "platform/gpu/buffer.h"

#include <algorithm>

#include "platform/gpu/refusal.h"

namespace gpu {

BufferStorage::BufferStorage(std::shared_ptr<GlShared> gl, UINT length, bool indices)
    : gl_(std::move(gl)), bits_(length, 0), indices_(indices) {
    serial_ = gl_->NextSerial();
    glGenBuffers(1, &name_);
    const GLenum target = gl_->BindBufferForUpload(name_, indices_);
    glBufferData(target, static_cast<GLsizeiptr>(length), bits_.data(), GL_DYNAMIC_DRAW);
}

BufferStorage::~BufferStorage() {
    if (gl_->onBufferGone) gl_->onBufferGone(serial_);
    if (name_ && gl_->CanCallGl()) glDeleteBuffers(1, &name_);
}

HRESULT BufferStorage::GetDevice(IDirect3DDevice8** device) {
    if (!device) return Refuse(Refusal::kBufferGetDeviceNull);
    *device = gl_->device;
    if (!*device) return Refuse(Refusal::kBufferGetDeviceGone);
    (*device)->AddRef();
    return S_OK;
}

HRESULT BufferStorage::Lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
    if (!data) return Refuse(Refusal::kBufferLockData);
    if (locked_) return Refuse(Refusal::kBufferLockTwice);
    const UINT length = Length();
    if (offset > length) return Refuse(Refusal::kBufferLockRange);
    if (size == 0) size = length - offset;
    if (size > length - offset) return Refuse(Refusal::kBufferLockRange);
    locked_ = true;
    lockOffset_ = offset;
    lockSize_ = size;
    lockFlags_ = flags;
    *data = bits_.data() + offset;
    return S_OK;
}

HRESULT BufferStorage::Unlock() {
    if (!locked_) return Refuse(Refusal::kBufferUnlockNotLocked);
    locked_ = false;
    if ((lockFlags_ & D3DLOCK_READONLY) || lockSize_ == 0) return S_OK;
    ++version_;
    if (!gl_->CanCallGl()) return S_OK;
    if (gl_->beforeUpload) gl_->beforeUpload();
    const GLenum target = gl_->BindBufferForUpload(name_, indices_);
    if (lockFlags_ & D3DLOCK_DISCARD) {
        // Orphan: draws still reading the old storage keep it; the rest is undefined anyway.
        glBufferData(target, static_cast<GLsizeiptr>(Length()), nullptr, GL_DYNAMIC_DRAW);
    }
    glBufferSubData(target, lockOffset_, lockSize_, bits_.data() + lockOffset_);
    return S_OK;
}

VertexBuffer::VertexBuffer(std::shared_ptr<GlShared> gl, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : storage_(std::move(gl), length), usage_(usage), fvf_(fvf), pool_(pool) {}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    if (!desc) return Refuse(Refusal::kVertexBufferDescNull);
    *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage_, pool_, storage_.Length(), fvf_};
    return S_OK;
}

IndexBuffer::IndexBuffer(std::shared_ptr<GlShared> gl, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : storage_(std::move(gl), length, true), usage_(usage), format_(format), pool_(pool) {}

UINT IndexBuffer::MaxIndex(UINT start, UINT count) {
    if (maxIndexVersion_ != storage_.Version()) {
        maxIndex_.clear();
        maxIndexVersion_ = storage_.Version();
    }
    const std::uint64_t key = (static_cast<std::uint64_t>(start) << 32) | count;
    auto it = maxIndex_.find(key);
    if (it != maxIndex_.end()) return it->second;
    UINT highest = 0;
    if (format_ == D3DFMT_INDEX32) {
        const auto* p = reinterpret_cast<const std::uint32_t*>(storage_.Bits()) + start;
        for (UINT i = 0; i < count; ++i) highest = std::max<UINT>(highest, p[i]);
    } else {
        const auto* p = reinterpret_cast<const std::uint16_t*>(storage_.Bits()) + start;
        for (UINT i = 0; i < count; ++i) highest = std::max<UINT>(highest, p[i]);
    }
    if (maxIndex_.size() > 4096) maxIndex_.clear();  // a buffer drawn in ever new ranges
    maxIndex_.emplace(key, highest);
    return highest;
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
    if (!desc) return Refuse(Refusal::kIndexBufferDescNull);
    *desc = {format_
, D3DRTYPE_INDEXBUFFER, usage_, pool_, storage_.Length()};
    return S_OK;
}

}  // namespace gpu
