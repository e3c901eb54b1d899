// The lexer contract: both lexers meet it and can be driven by the same code; a lexer short of
// any member the parsers use does not.
#include "platform/xfile/xfile_lexer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/xfile/binary_lexer.h"
#include "platform/xfile/text_lexer.h"

namespace {

using xfile::Primitive;
using xfile::Token;
using xfile::TokenKind;

struct Complete {
    void Next(Token&) {}
    std::size_t Offset() const { return 0; }
    std::size_t TakeListRun(Primitive, std::size_t, unsigned char*) { return 0; }
    std::size_t ListLeft() const { return 0; }
    std::size_t RawIntegerRun(const unsigned char**) const { return 0; }
    void SkipListValues(std::size_t) {}
    void SetSeparatorsAsSpace(bool) {}
    std::size_t ValueCapacity() const { return 0; }
};
struct NoOffset : Complete {
    std::size_t Offset() const = delete;
};
struct NoListRun : Complete {
    std::size_t TakeListRun(Primitive, std::size_t, unsigned char*) = delete;
};
struct NoSeparatorSwitch : Complete {
    void SetSeparatorsAsSpace(bool) = delete;
};
struct MutableCapacity : Complete {
    std::size_t ValueCapacity() { return 0; }  // the reader asks through a const lexer
};
struct OffsetOfAnotherType : Complete {
    int Offset() const { return 0; }
};

static_assert(xfile::XFileLexer<Complete>);
static_assert(xfile::XFileLexer<xfile::TextLexer>);
static_assert(xfile::XFileLexer<xfile::BinaryLexer>);
static_assert(!xfile::XFileLexer<NoOffset>);
static_assert(!xfile::XFileLexer<NoListRun>);
static_assert(!xfile::XFileLexer<NoSeparatorSwitch>);
static_assert(!xfile::XFileLexer<MutableCapacity>);
static_assert(!xfile::XFileLexer<OffsetOfAnotherType>);

// Token kinds and integers through nothing but the contract, with every list value one by one.
template <xfile::XFileLexer Lexer>
std::vector<std::string> Tokens(Lexer lexer) {
    std::vector<std::string> out;
    for (Token t; lexer.Next(t), t.kind != TokenKind::End && t.kind != TokenKind::Error;) {
        out.push_back(t.kind == TokenKind::Integer ? std::to_string(t.integer) : std::to_string(int(t.kind)));
    }
    return out;
}

void Put16(std::string& bytes, std::uint16_t v) { bytes.append(reinterpret_cast<const char*>(&v), 2); }
void Put32(std::string& bytes, std::uint32_t v) { bytes.append(reinterpret_cast<const char*>(&v), 4); }

TEST(XFileLexers, TextAndBinaryBodiesGiveTheSameTokensThroughTheContract) {
    // "{ 7; 8, 9; }" in text, and in binary as a brace, an integer list of three and a brace.
    std::string binary;
    Put16(binary, 10);
    Put16(binary, 6);
    Put32(binary, 3);
    for (std::uint32_t v : {7u, 8u, 9u}) Put32(binary, v);
    Put16(binary, 11);
    const std::string text = "{ 7; 8, 9; }";
    const std::string padded = text + '\0';
    const auto fromText = Tokens(xfile::TextLexer(std::string_view(padded.data(), text.size())));
    const auto fromBinary = Tokens(xfile::BinaryLexer(binary, false));
    EXPECT_EQ(fromText, fromBinary);
    EXPECT_EQ(fromText.size(), 5u);
}

}  // namespace
