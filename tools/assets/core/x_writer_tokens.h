// The token stream of an X file body, in the text or the binary encoding.
//
// Callers write the values of one object in template order together with the separators of
// the text form (';' after a member, ',' between array elements); in the binary form the
// separators vanish and consecutive numbers of one kind are packed into one integer or float
// list, as binary writers of the format do.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/assets/core/model.h"

namespace assets::xwrite {

// One member of a template declaration: `type` is a primitive keyword (WORD, DWORD, FLOAT,
// STRING) or a template name; `dimension` names the member holding the array size, empty for
// a plain member.
struct TemplateMember {
    std::string_view type;
    std::string_view name;
    std::string_view dimension;
};

struct TemplateDeclaration {
    std::string_view name;
    std::string_view guid;  // "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX"
    std::vector<TemplateMember> members;
};

class TokenWriter {
public:
    explicit TokenWriter(bool binary) : binary_(binary) {}

    void Declare(const TemplateDeclaration& declaration);

    // "Type name {" (the name may be empty), and the matching "}".
    void Open(std::string_view type, std::string_view name);
    void Close();
    // "{ name }": a reference to a named object.
    void Reference(std::string_view name);

    void Int(std::uint32_t value);
    void Float(float value);  // non-finite values are written as 0 and remembered (Finite())
    // A string member; the binary form writes its terminator here, the text form needs Sep(';').
    void String(std::string_view value);
    void Sep(char separator);  // text only
    void Line();               // text only: a new line at the current depth

    bool Finite() const { return finite_; }
    // The body written so far (without the 16-byte header).
    std::vector<std::uint8_t> Take();

private:
    void Flush();
    void Token(std::uint16_t code);
    void Word32(std::uint32_t value);
    void Name(std::string_view name);
    void Text(std::string_view text);
    void Guid(std::string_view guid);

    bool binary_;
    bool finite_ = true;
    int depth_ = 0;
    std::vector<std::uint8_t> out_;
    std::vector<std::uint32_t> ints_;  // pending binary integer list
    std::vector<float> floats_;        // pending binary float list
};

}  // namespace assets::xwrite
