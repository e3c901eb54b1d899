#include "platform/xfile/xfile_parser.h"

#include <cstring>

#include "platform/xfile/binary_lexer.h"
#include "platform/xfile/data_parser.h"
#include "platform/xfile/template_parser.h"
#include "platform/xfile/text_lexer.h"
#include "platform/xfile/token_reader.h"

namespace xfile {
namespace {

template <XFileLexer Lexer>
HRESULT ParseBody(ParsedFile* file, Lexer lexer, std::vector<StringFixup>& fixups) {
    const XFileSource& source = file->source;
    SourcePosition position(source.Body(), source.text, source.compressed, kHeaderSize);
    TokenReader<Lexer> in(lexer, source.name, position);
    TemplateParser<TokenReader<Lexer>> templates(in, file->templates);
    DataParser<TokenReader<Lexer>> objects(in, *file, fixups);
    for (;;) {
        in.SkipSeparators();
        HRESULT hr;
        switch (in.Peek().kind) {
            case TokenKind::End: return DXFILE_OK;
            case TokenKind::Template: hr = templates.Parse(); break;
            case TokenKind::Name: {
                std::uint32_t index = kNoNode;
                hr = objects.ParseObject(1, &index);
                if (SUCCEEDED(hr)) file->topLevel.push_back(index);
                break;
            }
            default: return in.Unexpected("a template or a data object");
        }
        if (FAILED(hr)) return hr;
    }
}

}  // namespace

HRESULT ParseFile(ParsedFile* file) {
    std::vector<StringFixup> fixups;
    std::string_view body = file->source.Body();
    // Binary values take about as many bytes in the data as in the file; text about half.
    file->data.Reserve((file->source.text ? body.size() * 3 / 4 : body.size()) + 64);
    HRESULT hr = file->source.text ? ParseBody(file, TextLexer(body), fixups)
                                   : ParseBody(file, BinaryLexer(body, file->source.doubles), fixups);
    // The strings end where their token ended: terminate them in place now that no token
    // is read any more, and point the members at them.
    char* bytes = file->source.bytes.data();
    for (const StringFixup& f : fixups) {
        bytes[f.textOffset + f.length] = '\0';
        char* text = bytes + f.textOffset;
        std::memcpy(file->data.Data() + f.dataOffset, &text, sizeof text);
    }
    for (std::uint32_t i = 0; i < file->nodes.size(); ++i) {
        const Node& node = file->nodes[i];
        if (node.kind != NodeKind::Data) continue;
        if (node.nameSize > 0) file->byName.emplace(file->NameOf(node), i);
        if (node.HasId()) file->byId.emplace(file->ids[node.idIndex], i);
    }
    file->error = FAILED(hr) ? hr : DXFILE_OK;
    return file->error;
}

namespace {
constexpr GUID kNullGuid{};
}

const GUID& ParsedFile::IdOf(const Node& node) const { return node.HasId() ? ids[node.idIndex] : kNullGuid; }

const GUID& ParsedFile::TypeOf(const Node& node) const {
    return node.templateIndex == kNoTemplate ? kNullGuid : templates.At(node.templateIndex).guid;
}

std::uint32_t ParsedFile::FindByName(std::string_view name) const {
    auto it = byName.find(name);
    return it == byName.end() ? kNoNode : it->second;
}

std::uint32_t ParsedFile::FindById(const GUID& id) const {
    auto it = byId.find(id);
    return it == byId.end() ? kNoNode : it->second;
}

std::uint32_t ParsedFile::Resolve(const Node& reference) const {
    std::uint32_t found = kNoNode;
    if (reference.HasId()) found = FindById(ids[reference.idIndex]);
    if (found == kNoNode && reference.nameSize > 0) found = FindByName(NameOf(reference));
    return found;
}

}  // namespace xfile
