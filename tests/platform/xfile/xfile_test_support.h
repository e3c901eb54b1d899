// Helpers of the X file reader tests: open files or snippets, flatten object trees.
#pragma once

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "platform/xfile/dxfile.h"

namespace xfile_test {

// Releases an interface when it goes out of scope.
template <class T>
class Ref {
public:
    Ref() = default;
    explicit Ref(T* p) : p_(p) {}
    ~Ref() { reset(); }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    T** out() {
        reset();
        return &p_;
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// One object of a flattened tree: nesting depth, template, name, data bytes; references
// carry the name of their target.
struct FlatObject {
    int depth = 0;
    bool reference = false;
    GUID type{};
    std::string name;
    std::vector<unsigned char> data;
    bool operator==(const FlatObject&) const = default;
};

void PrintTo(const FlatObject& object, std::ostream* out);

std::string NameOf(IDirectXFileObject* object);

struct Opened {
    Ref<IDirectXFile> service;
    Ref<IDirectXFileEnumObject> enumeration;
    HRESULT result = E_FAIL;
};

// A service with the standard templates and an enumeration of `path` or of `text`.
void OpenFile(const std::string& path, Opened* opened);
void OpenMemory(const std::string& bytes, Opened* opened);

// Walks every top-level object. The leading string member of TextureFilename, SkinWeights and
// of the templates in `leadingStrings` is kept as its text, not as the pointer. Returns the code
// that ended the enumeration (DXFILEERR_NOMOREOBJECTS at the end).
HRESULT Flatten(IDirectXFileEnumObject* enumeration, std::vector<FlatObject>* objects,
                const std::vector<GUID>& leadingStrings = {});

// The directory of the shared sample files, or "" when absent.
std::string SampleDirectory();

template <class T>
T ReadAt(const void* data, std::size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const unsigned char*>(data) + offset, sizeof value);
    return value;
}

}  // namespace xfile_test
