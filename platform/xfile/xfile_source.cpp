#include "platform/xfile/xfile_source.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/xfile/dxfile.h"
#include "platform/xfile/xfile_diagnostics.h"

namespace xfile {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

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
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file) return ReportFailure(DXFILEERR_FILENOTFOUND, path, "byte 0", std::strerror(errno));
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return ReportFailure(DXFILEERR_BADFILE, path, "byte 0", "cannot seek");
    long size = std::ftell(file.get());
    if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0)
        return ReportFailure(DXFILEERR_BADFILE, path, "byte 0", "cannot tell the size");
    if (static_cast<unsigned long>(size) > kMaxFileSize) return ReportFailure(DXFILEERR_BADFILE, path, "byte 0", "file too large");
    char header[kHeaderSize];
    std::size_t got = std::fread(header, 1, sizeof header, file.get());
    HRESULT hr = ParseHeader(std::string_view(header, got), path, source);
    if (FAILED(hr)) return hr;
    // The body goes straight into its buffer; compressed bodies are inflated from a copy.
    std::size_t expected = static_cast<std::size_t>(size) - kHeaderSize;
    BodyBuffer body;
    std::size_t bodySize = std::fread(body.Allocate(expected), 1, expected, file.get());
    if (std::ferror(file.get())) return ReportFailure(DXFILEERR_BADFILE, path, "byte 0", "read error");
    body.Shrink(bodySize);
    if (!source->compressed) {
        source->bytes = std::move(body);
        return DXFILE_OK;
    }
    std::vector<char> inflated;
    hr = InflateMsZip(std::string_view(body.data(), bodySize), source->name, &inflated);
    if (FAILED(hr)) return hr;
    source->bytes.Assign(inflated.data(), inflated.size());
    return DXFILE_OK;
}

}  // namespace xfile
