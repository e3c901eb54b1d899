// Parses one template declaration:
//   template Name { <guid> [array] Type [name] [dim]... ; ... [restriction] }
// where a restriction is [...] (open) or [Name [<guid>], ...] (restricted).
#pragma once

#include <algorithm>
#include <string>

#include "platform/xfile/token_reader.h"
#include "platform/xfile/xfile_template.h"

namespace xfile {

template <class Reader>
class TemplateParser {
public:
    TemplateParser(Reader& in, TemplateSet& templates) : in_(in), templates_(templates) {}

    HRESULT Parse() {
        in_.SetTemplateMode(true);
        HRESULT hr = ParseDeclaration();
        in_.SetTemplateMode(false);
        return hr;
    }

private:
    HRESULT ParseDeclaration() {
        in_.Skip();  // "template"
        if (in_.Peek().kind != TokenKind::Name) return in_.Unexpected("a template name");
        Template t;
        t.name = std::string(in_.Take().text);
        if (!in_.Accept(TokenKind::OBrace)) return in_.Unexpected("'{' after the template name");
        if (in_.Peek().kind == TokenKind::Guid) t.guid = in_.Take().guid;
        for (;;) {
            HRESULT hr = DXFILE_OK;
            switch (in_.Peek().kind) {
                case TokenKind::CBrace:
                    in_.SetTemplateMode(false);  // the token after the declaration is data
                    in_.Skip();
                    return Finish(std::move(t));
                case TokenKind::Comma:
                case TokenKind::Semicolon: in_.Skip(); continue;
                case TokenKind::OBracket: hr = ParseRestriction(&t); break;
                case TokenKind::Array: in_.Skip(); hr = ParseMember(&t, true); break;
                case TokenKind::Primitive:
                case TokenKind::Name: hr = ParseMember(&t, false); break;
                default: return in_.Unexpected("a member or '}' in template " + t.name);
            }
            if (FAILED(hr)) return hr;
        }
    }

    HRESULT ParseMember(Template* t, bool array) {
        Member m;
        Token type = in_.Take();
        if (type.kind == TokenKind::Primitive) {
            m.primitive = type.primitive;
        } else if (type.kind == TokenKind::Name) {
            m.primitive = PrimitiveFromKeyword(type.text);
            if (m.primitive == Primitive::None) {
                m.templateIndex = templates_.FindByName(type.text);
                if (m.templateIndex == kNoTemplate)
                    return in_.Fail(DXFILEERR_NOTEMPLATE, type, "unknown member type '" + std::string(type.text) + "' in template " + t->name);
            }
        } else {
            return in_.Fail(DXFILEERR_PARSEERROR, type, "expected a member type in template " + t->name);
        }
        if (in_.Peek().kind == TokenKind::Name) m.name = std::string(in_.Take().text);
        while (in_.Accept(TokenKind::OBracket)) {
            Token size = in_.Take();
            Dimension d;
            if (size.kind == TokenKind::Integer && size.integer >= 0 && size.integer <= 0xFFFFFFFFll) {
                d.value = static_cast<std::uint32_t>(size.integer);
            } else if (size.kind == TokenKind::Name) {
                auto it = std::find_if(t->members.begin(), t->members.end(), [&](const Member& e) { return e.name == size.text; });
                if (it == t->members.end() || !it->dimensions.empty() || !IsIntegerType(it->primitive))
                    return in_.Fail(DXFILEERR_BADARRAYSIZE, size, "array size '" + std::string(size.text) + "' is not an earlier integer member of " + t->name);
                d.constant = false;
                d.value = static_cast<std::uint32_t>(it - t->members.begin());
            } else {
                return in_.Fail(DXFILEERR_BADARRAYSIZE, size, "bad array size in template " + t->name);
            }
            m.dimensions.push_back(d);
            if (!in_.Accept(TokenKind::CBracket)) return in_.Unexpected("']' after an array size");
        }
        if (array && m.dimensions.empty()) return in_.Fail(DXFILEERR_BADARRAYSIZE, "array member without a size in template " + t->name);
        in_.Accept(TokenKind::Semicolon);
        t->members.push_back(std::move(m));
        return DXFILE_OK;
    }

    HRESULT ParseRestriction(Template* t) {
        in_.Skip();  // '['
        if (in_.Peek().kind == TokenKind::Dot) {
            while (in_.Accept(TokenKind::Dot)) {
            }
            t->restriction = Restriction::Open;
            if (!in_.Accept(TokenKind::CBracket)) return in_.Unexpected("']' after '...'");
            return DXFILE_OK;
        }
        t->restriction = Restriction::Restricted;
        for (;;) {
            const Token& tok = in_.Peek();
            if (tok.kind == TokenKind::CBracket) {
                in_.Skip();
                return DXFILE_OK;
            }
            if (tok.kind == TokenKind::Name) {
                t->allowed.emplace_back(tok.text);
                in_.Skip();
            } else if (tok.kind == TokenKind::Guid || tok.kind == TokenKind::Comma) {
                in_.Skip();
            } else {
                return in_.Unexpected("a template name or ']' in the restriction of " + t->name);
            }
        }
    }

    static constexpr std::uint64_t kCap = std::uint64_t(1) << 40;
    static std::uint64_t Times(std::uint64_t a, std::uint64_t b) {
        if (a == 0 || b == 0) return 0;
        return a > kCap / b ? kCap : a * b;
    }

    HRESULT Finish(Template t) {
        std::uint64_t values = 0;
        std::uint32_t depth = 1;
        for (const Member& m : t.members) {
            std::uint64_t count = 1;
            for (const Dimension& d : m.dimensions) count = d.constant ? Times(count, d.value) : 0;
            std::uint64_t each = 1;
            if (m.primitive == Primitive::None) {
                const Template& sub = templates_.At(m.templateIndex);
                each = sub.minValues;
                depth = std::max(depth, sub.depth + 1);
            }
            values = std::min(kCap, values + Times(count, each));
        }
        if (depth > kMaxTemplateDepth) return in_.Fail(DXFILEERR_BADTYPE, "template " + t.name + " nests too deeply");
        t.minValues = values;
        t.depth = depth;
        std::uint64_t floats = 0;
        bool onlyFloats = !t.members.empty();
        for (const Member& m : t.members) {
            std::uint64_t count = 1;
            for (const Dimension& d : m.dimensions) {
                if (!d.constant) onlyFloats = false;
                count = Times(count, d.value);
            }
            std::uint64_t each = m.primitive == Primitive::Float ? 1
                                 : m.primitive == Primitive::None ? templates_.At(m.templateIndex).fixedFloats
                                                                  : 0;
            if (each == 0) onlyFloats = false;
            floats = std::min(kCap, floats + Times(count, each));
        }
        t.fixedFloats = onlyFloats && floats <= 0xFFFF ? static_cast<std::uint32_t>(floats) : 0;
        t.onlyDwords = !t.members.empty() && std::all_of(t.members.begin(), t.members.end(), [](const Member& m) {
            return m.primitive == Primitive::Dword || m.primitive == Primitive::Sdword;
        });
        templates_.Add(std::move(t));
        return DXFILE_OK;
    }

    Reader& in_;
    TemplateSet& templates_;
};

}  // namespace xfile
