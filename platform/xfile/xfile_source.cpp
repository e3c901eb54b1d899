#include "platform/xfile/xfile_source.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/file/data_file.h"
#include "platform/xfile/dxfile.h"
#include "platform/xfile/xfile_diagnostics.h"

namespace xfile {
namespace {

HRESULT ParseHeader(std::string_view data, std::string_view name, XFileSource* source) {
    if (data.size() < kHeaderSize)
        return ReportFailure(DXFILEERR_BADFILETYPE, name, "byte 0", "shorter than the 16-byte header");
    if (data.substr(0, 4) != "xof ")
        return ReportFailure(DXFILEERR_BADFILETYPE, name, "byte 0", "not an X file (no \"xof \" signature)");
    std::string_view version = data.substr(4, 4);
    if (version != "0302" && version != "0303")
        return ReportFailure(DXFILEERR_BADFILEVERSION, name, "byte 4", "unsupported version");
    std::string_view format = data.substr(8, 4);
    if (format == "txt ") {
        source->text = true;
    } else if (format == "bin ") {
        source->text = false;
    } else if (format == "tzip" || format == "bzip") {
        source->text = format == "tzip";
        source->compressed = true;
    } else {
        return ReportFailure(DXFILEERR_BADFILETYPE, name, "byte 8", "unknown format");
    }
    std::string_view floats = data.substr(12, 4);
    if (floats == "0032")
        source->doubles = false;
    else if (floats == "0064")
        source->doubles = true;
    else
        return ReportFailure(DXFILEERR_BADFILEFLOATSIZE, name, "byte 12", "unsupported float size");
    return DXFILE_OK;
}

}  // namespace

BodyBuffer& BodyBuffer::operator=(BodyBuffer&& other) noexcept {
    if (this == &other) return *this;
    Release();
    heap_ = std::move(other.heap_);
    map_ = other.map_;
    mapLength_ = other.mapLength_;
    data_ = other.data_;
    size_ = other.size_;
    other.map_ = nullptr;
    other.mapLength_ = 0;
    other.data_ = nullptr;
    other.size_ = 0;
    return *this;
}

void BodyBuffer::Release() {
    if (map_ != nullptr) ::munmap(map_, mapLength_);
    map_ = nullptr;
    heap_.reset();
    data_ = nullptr;
    size_ = 0;
}

char* BodyBuffer::Allocate(std::size_t size) {
    Release();
    heap_.reset(new char[size + 1]);
    data_ = heap_.get();
    size_ = size + 1;
    data_[size] = '\0';
    return data_;
}

bool BodyBuffer::Map(int fd, std::size_t fileSize, std::size_t skip) {
    long page = ::sysconf(_SC_PAGESIZE);
    // The terminator is the byte after the file, in the zero-filled rest of its last page.
    if (page <= 0 || fileSize % static_cast<std::size_t>(page) == 0 || fileSize < skip) return false;
    // Populated read-only, then made writable: a write (a string terminator) copies only its
    // page, where populating a writable private mapping would copy the whole file.
    void* map = ::mmap(nullptr, fileSize + 1, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (map == MAP_FAILED) return false;
    if (::mprotect(map, fileSize + 1, PROT_READ | PROT_WRITE) != 0) {
        ::munmap(map, fileSize + 1);
        return false;
    }
    Release();
    map_ = map;
    mapLength_ = fileSize + 1;
    data_ = static_cast<char*>(map) + skip;
    size_ = fileSize - skip + 1;
    data_[size_ - 1] = '\0';
    return true;
}

HRESULT LoadSourceFromMemory(const void* data, std::size_t size, std::string name, XFileSource* source) {
    source->name = std::move(name);
    if (data == nullptr && size > 0)
        return ReportFailure(DXFILEERR_BADVALUE, source->name, "byte 0", "no memory given");
    if (size > kMaxFileSize) return ReportFailure(DXFILEERR_BADFILE, source->name, "byte 0", "file too large");
    std::string_view all(static_cast<const char*>(data), size);
    HRESULT hr = ParseHeader(all, source->name, source);
    if (FAILED(hr)) return hr;
    std::string_view rest = all.substr(kHeaderSize);
    if (source->compressed) {
        std::vector<char> inflated;
        hr = InflateMsZip(rest, source->name, &inflated);
        if (FAILED(hr)) return hr;
        source->bytes.Assign(inflated.data(), inflated.size());
        return DXFILE_OK;
    }
    source->bytes.Assign(rest.data(), rest.size());
    return DXFILE_OK;
}

HRESULT LoadSourceFromFile(const char* path, XFileSource* source) {
    if (path == nullptr) return ReportFailure(DXFILEERR_BADVALUE, "(null)", "byte 0", "no file name given");
    source->name = path;
    platform::DataFile file;
    if (!file.Open(path)) {
        const HRESULT code = file.Cause() == platform::kNotRegularFile ? DXFILEERR_BADFILE : DXFILEERR_FILENOTFOUND;
        return ReportFailure(code, path, "byte 0", file.Cause());
    }
    const std::size_t size = file.Size();
    if (size > kMaxFileSize) return ReportFailure(DXFILEERR_BADFILE, path, "byte 0", "file too large");
    char header[kHeaderSize];
    const long long got = file.ReadAt(header, sizeof header, 0);
    HRESULT hr = ParseHeader(std::string_view(header, got > 0 ? static_cast<std::size_t>(got) : 0), path, source);
    if (FAILED(hr)) return hr;
    // The file may have changed since it was measured.
    if (size < kHeaderSize) return ReportFailure(DXFILEERR_BADFILETYPE, path, "byte 0", "shorter than the 16-byte header");
    BodyBuffer body;
    if (!body.Map(file.Descriptor(), size, kHeaderSize)) {
        char* to = body.Allocate(size - kHeaderSize);
        const long long done = file.ReadAt(to, size - kHeaderSize, kHeaderSize);
        if (done < 0) return ReportFailure(DXFILEERR_BADFILE, path, "byte 0", file.Cause());
        body.Shrink(static_cast<std::size_t>(done));
    }
    if (!source->compressed) {
        source->bytes = std::move(body);
        return DXFILE_OK;
    }
    std::vector<char> inflated;
    hr = InflateMsZip(std::string_view(body.data(), body.size() - 1), source->name, &inflated);
    if (FAILED(hr)) return hr;
    source->bytes.Assign(inflated.data(), inflated.size());
    return DXFILE_OK;
}

}  // namespace xfile
