// ComPtr: owns one reference to a reference-counted interface.
#pragma once

#include <utility>

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes over a reference the caller already owns (as returned by a Create call).
    explicit ComPtr(T* owned) : ptr_(owned) {}
    ComPtr(const ComPtr& other) : ptr_(other.ptr_) {
        if (ptr_) ptr_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(ptr_, other.ptr_);
        return *this;
    }

    void Reset() {
        if (ptr_) std::exchange(ptr_, nullptr)->Release();
    }
    // For Create calls: releases what is held and hands out the slot to fill.
    T** Receive() {
        Reset();
        return &ptr_;
    }
    T* Get() const { return ptr_; }
    T* Detach() { return std::exchange(ptr_, nullptr); }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

private:
    T* ptr_ = nullptr;
};
