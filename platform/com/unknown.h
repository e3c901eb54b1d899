// IUnknown: the reference-counted base of every interface the platform layers hand out.
//
// The creator hands out one reference, AddRef adds one and Release drops one, destroying the
// object when the count reaches zero. ComPtr (com_ptr.h) holds a reference with RAII and
// RefCounted (ref_counted.h) implements the count.
#pragma once

#include <cstdint>

class IUnknown {
public:
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

protected:
    virtual ~IUnknown() = default;
};
