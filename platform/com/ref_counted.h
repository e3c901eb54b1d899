// RefCounted<Interface>: AddRef/Release for the device's objects.
#pragma once

#include <cstdint>

template <class Interface>
class RefCounted : public Interface {
public:
    std::uint32_t AddRef() override { return ++refs_; }
    std::uint32_t Release() override {
        std::uint32_t left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    std::uint32_t RefCount() const { return refs_; }

private:
    std::uint32_t refs_ = 1;
};
