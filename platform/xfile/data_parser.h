// Parses one data object driven by its template:
//   TemplateName [name] [<guid>] { member values... child objects and { references } }
// Member values are packed into the file's data arena; children become nodes of the tree.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/xfile/token_reader.h"
#include "platform/xfile/xfile_tree.h"

namespace xfile {

// A string member whose pointer is written once the file's bytes are final.
struct StringFixup {
    std::size_t dataOffset;
    std::size_t textOffset;
    std::size_t length;
};

// Objects nested deeper than this are refused.
constexpr std::uint32_t kMaxObjectDepth = 256;

template <class Reader>
class DataParser {
public:
    DataParser(Reader& in, ParsedFile& file, std::vector<StringFixup>& fixups)
        : in_(in), file_(file), fixups_(fixups), bytes_(file.source.bytes.data()) {
        // Legitimate files visit fewer members than they have bytes; the rest is structure that explodes.
        budget_ = 2 * static_cast<std::uint64_t>(file.source.bytes.size()) + 4096;
    }

    // The current token is the template name of the object.
    HRESULT ParseObject(std::uint32_t depth, std::uint32_t* index) {
        if (depth > kMaxObjectDepth) return in_.Fail(DXFILEERR_PARSEERROR, "objects nested too deeply");
        Token type = in_.Take();
        Node node;
        ReadNameAndId(&node);
        if (!in_.Accept(TokenKind::OBrace)) return in_.Unexpected("'{' after data object " + std::string(type.text));
        node.templateIndex = file_.templates.FindByName(type.text);
        file_.data.AlignTo(8);
        node.dataOffset = file_.data.Size();
        HRESULT hr;
        if (node.templateIndex != kNoTemplate) {
            const Template& t = file_.templates.At(node.templateIndex);
            hr = ParseInstance(t);
        } else {
            hr = ParseRawValues();
        }
        if (FAILED(hr)) return hr;
        if (file_.data.Size() - node.dataOffset > 0xFFFFFFFFu) return in_.Fail(DXFILEERR_BADVALUE, "object data larger than 4 GB");
        node.dataSize = static_cast<std::uint32_t>(file_.data.Size() - node.dataOffset);
        *index = static_cast<std::uint32_t>(file_.nodes.size());
        file_.nodes.push_back(node);
        return ParseChildren(*index, depth);
    }

private:
    HRESULT ParseChildren(std::uint32_t parent, std::uint32_t depth) {
        std::uint32_t last = kNoNode;
        for (;;) {
            in_.SkipSeparators();
            std::uint32_t child = kNoNode;
            HRESULT hr = DXFILE_OK;
            switch (in_.Peek().kind) {
                case TokenKind::CBrace: in_.Skip(); return DXFILE_OK;
                case TokenKind::OBrace: hr = ParseReference(&child); break;
                case TokenKind::Name: hr = ParseObject(depth + 1, &child); break;
                case TokenKind::Integer:
                case TokenKind::Float:
                case TokenKind::String: return in_.Fail(DXFILEERR_PARSEERROR, "more values than the template declares");
                default: return in_.Unexpected("a child object or '}'");
            }
            if (FAILED(hr)) return hr;
            if (last == kNoNode)
                file_.nodes[parent].firstChild = child;
            else
                file_.nodes[last].nextSibling = child;
            last = child;
        }
    }

    void ReadNameAndId(Node* node) {
        if (in_.Peek().kind == TokenKind::Name) {
            std::string_view name = in_.Take().text;
            node->nameOffset = static_cast<std::uint32_t>(name.data() - bytes_);
            node->nameSize = static_cast<std::uint32_t>(name.size());
        }
        if (in_.Peek().kind == TokenKind::Guid) {
            node->idIndex = static_cast<std::uint32_t>(file_.ids.size());
            file_.ids.push_back(in_.Take().guid);
        }
    }

    HRESULT ParseReference(std::uint32_t* index) {
        in_.Skip();  // '{'
        Node node;
        node.kind = NodeKind::Reference;
        ReadNameAndId(&node);
        if (node.nameSize == 0 && !node.HasId()) return in_.Unexpected("a name or GUID in a reference");
        in_.SkipSeparators();
        if (!in_.Accept(TokenKind::CBrace)) return in_.Unexpected("'}' closing a reference");
        *index = static_cast<std::uint32_t>(file_.nodes.size());
        file_.nodes.push_back(node);
        return DXFILE_OK;
    }

    // Consecutive instances (up to `count`) of a template of DWORD members straight from one
    // binary integer list. Returns how many were copied; 0 when the list does not hold even
    // one whole (the token path then reads it and reports any fault).
    std::uint64_t CopyWordRecords(const Template& t, std::uint64_t count) {
        const unsigned char* words = nullptr;
        std::size_t available = in_.RawIntegerRun(&words);
        if (available == 0) return 0;
        std::size_t base = PushValues(t.members.size());
        std::size_t used = 0;
        std::uint64_t records = 0;
        while (records < count) {
            std::size_t start = used;
            bool whole = true;
            for (std::size_t i = 0; i < t.members.size() && whole; ++i) {
                const Member& m = t.members[i];
                std::uint64_t size = 1;
                for (const Dimension& d : m.dimensions) {
                    std::uint64_t dim = d.constant ? d.value : values_[base + d.value];
                    size = (dim != 0 && size > available / dim) ? available + 1 : size * dim;
                }
                if (size > available - used) {
                    whole = false;
                } else {
                    if (m.dimensions.empty()) {
                        std::uint32_t v;
                        std::memcpy(&v, words + used * 4, 4);
                        values_[base + i] = v;
                    }
                    used += static_cast<std::size_t>(size);
                }
            }
            if (!whole || used == start) {
                used = start;
                break;
            }
            ++records;
        }
        top_ = base;
        if (records == 0 || used > budget_) return 0;
        budget_ -= used;
        std::memcpy(file_.data.Grow(used * 4), words, used * 4);
        in_.ConsumeRaw(used);
        return records;
    }

    HRESULT ParseInstance(const Template& t) {
        if (t.onlyDwords && CopyWordRecords(t, 1) == 1) return DXFILE_OK;
        std::size_t base = PushValues(t.members.size());
        for (std::size_t i = 0; i < t.members.size(); ++i) {
            const Member& m = t.members[i];
            std::uint64_t count = 1;
            for (const Dimension& d : m.dimensions) {
                std::uint64_t size = d.constant ? d.value : values_[base + d.value];
                count = (size != 0 && count > (std::uint64_t(1) << 40) / size) ? (std::uint64_t(1) << 40) : count * size;
            }
            Primitive primitive = m.primitive;
            if (primitive == Primitive::None && file_.templates.At(m.templateIndex).fixedFloats > 0) {
                // Vectors, matrices, colours: their floats in one run.
                primitive = Primitive::Float;
                std::uint64_t floats = file_.templates.At(m.templateIndex).fixedFloats;
                count = count > (std::uint64_t(1) << 40) / floats ? (std::uint64_t(1) << 40) : count * floats;
            }
            std::uint64_t each = primitive != Primitive::None ? 1 : file_.templates.At(m.templateIndex).minValues;
            if ((!m.dimensions.empty() || primitive != m.primitive) && each > 0 && count > in_.ValueCapacity() / each)
                return in_.Fail(DXFILEERR_BADARRAYSIZE, "array " + m.name + " of " + std::to_string(count) + " elements is longer than the file");
            if (count > budget_) return in_.Fail(DXFILEERR_BADARRAYSIZE, "array " + m.name + " too large");
            budget_ -= count;
            std::uint64_t value = 0;
            for (std::uint64_t k = 0; k < count;) {
                HRESULT hr;
                if (primitive == Primitive::None) {
                    const Template& sub = file_.templates.At(m.templateIndex);
                    if (sub.onlyDwords) {
                        if (std::uint64_t copied = CopyWordRecords(sub, count - k); copied > 0) {
                            k += copied;
                            continue;
                        }
                    }
                    hr = ParseInstance(sub);
                    ++k;
                } else if (std::size_t run = TakeRun(primitive, count - k); run > 0) {
                    k += run;
                    continue;
                } else {
                    hr = ReadValue(primitive, &value);
                    ++k;
                }
                if (FAILED(hr)) return hr;
            }
            values_[base + i] = value;
        }
        top_ = base;
        return DXFILE_OK;
    }

    // Array values straight from a binary list; 0 when they must be read one by one.
    std::size_t TakeRun(Primitive type, std::uint64_t left) {
        if (in_.Peek().kind != TokenKind::Integer && in_.Peek().kind != TokenKind::Float) return 0;
        std::size_t max = static_cast<std::size_t>(std::min<std::uint64_t>(left, in_.ListLeft() + 1));
        if (max < 2) return 0;
        unsigned char* out = file_.data.Grow(max * 4);
        std::size_t taken = in_.TakeRun(type, max, out);
        file_.data.Truncate(file_.data.Size() - (max - taken) * 4);
        return taken;
    }

    HRESULT ReadValue(Primitive type, std::uint64_t* integer) {
        in_.SkipSeparators();
        const Token& t = in_.Peek();
        ByteArena& out = file_.data;
        if (IsStringType(type)) {
            if (t.kind != TokenKind::String && t.kind != TokenKind::Name) return in_.Unexpected("a string");
            AppendString(t);
            in_.Skip();
            return DXFILE_OK;
        }
        std::int64_t i;
        double f;
        if (t.kind == TokenKind::Integer) {
            i = t.integer;
            f = static_cast<double>(t.integer);
        } else if (t.kind == TokenKind::Float) {
            f = t.number;
            i = (f > -9.2e18 && f < 9.2e18) ? static_cast<std::int64_t>(f) : 0;
        } else {
            return in_.Unexpected("a number");
        }
        // Array sizes use the value as stored, so that readers of the data agree.
        switch (type) {
            case Primitive::Float: out.Append(ToFloat(f)); break;
            case Primitive::Double: out.Append(f); break;
            case Primitive::Word:
            case Primitive::Sword:
                *integer = static_cast<std::uint16_t>(i);
                out.Append(static_cast<std::uint16_t>(i));
                break;
            case Primitive::Dword:
            case Primitive::Sdword:
                *integer = static_cast<std::uint32_t>(i);
                out.Append(static_cast<std::uint32_t>(i));
                break;
            case Primitive::Char:
            case Primitive::Uchar:
            case Primitive::Byte:
                *integer = static_cast<std::uint8_t>(i);
                out.Append(static_cast<std::uint8_t>(i));
                break;
            case Primitive::Ulonglong:
                *integer = static_cast<std::uint64_t>(i);
                out.Append(static_cast<std::uint64_t>(i));
                break;
            default: return in_.Fail(DXFILEERR_BADTYPE, "member of unknown type");
        }
        in_.Skip();
        return DXFILE_OK;
    }

    // Objects of undeclared templates keep their values as they come: integers as DWORDs,
    // numbers as FLOATs, strings as char*.
    HRESULT ParseRawValues() {
        for (;;) {
            in_.SkipSeparators();
            const Token& t = in_.Peek();
            if (t.kind == TokenKind::Integer)
                file_.data.Append(static_cast<std::uint32_t>(t.integer));
            else if (t.kind == TokenKind::Float)
                file_.data.Append(ToFloat(t.number));
            else if (t.kind == TokenKind::String)
                AppendString(t);
            else
                return DXFILE_OK;
            in_.Skip();
        }
    }

    static float ToFloat(double f) {
        if (f > 3.4028234663852886e38) return std::numeric_limits<float>::infinity();
        if (f < -3.4028234663852886e38) return -std::numeric_limits<float>::infinity();
        return static_cast<float>(f);
    }

    void AppendString(const Token& t) {
        fixups_.push_back({file_.data.Size(), static_cast<std::size_t>(t.text.data() - bytes_), t.text.size()});
        file_.data.Append(static_cast<char*>(nullptr));
    }

    Reader& in_;
    ParsedFile& file_;
    std::vector<StringFixup>& fixups_;
    const char* bytes_;
    // Room for the member values of one more instance; returns where they start.
    std::size_t PushValues(std::size_t count) {
        std::size_t base = top_;
        top_ += count;
        if (top_ > values_.size()) values_.resize(top_ * 2);
        return base;
    }

    std::vector<std::uint64_t> values_;  // member values of the instances being parsed
    std::size_t top_ = 0;
    std::uint64_t budget_;
};

}  // namespace xfile
