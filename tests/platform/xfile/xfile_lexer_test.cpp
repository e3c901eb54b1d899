// The lexer contract: both lexers meet it and can be driven by the same code; a lexer short of
// any member the parsers use does not.
#include "platform/xfile/xfile_lexer.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
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

// One word of text through the text lexer.
Token LexWord(const std::string& word) {
    const std::string padded = word + '\0';
    xfile::TextLexer lexer(std::string_view(padded.data(), word.size()));
    Token t;
    lexer.Next(t);
    return t;
}

TEST(XFileTextLexer, NumbersOutsideADoublesRangeAreNames) {
    // Overflow and underflow are not read as infinities or zeros (a name where a value belongs
    // fails the data with the word in the message); the extremes themselves still are numbers.
    for (const char* word : {"1e400", "-1e400", "1.7976931348623159e308", "1e-400", "-2e-324",
                             "2.4703282292062327e-324", "0.000000000001e-9999999999"}) {
        const Token t = LexWord(word);
        EXPECT_EQ(t.kind, TokenKind::Name) << word;
    }
    struct Case {
        const char* word;
        double value;
    };
    const double inf = std::numeric_limits<double>::infinity();
    for (const Case& c : {Case{"1.7976931348623157e308", std::numeric_limits<double>::max()},
                          Case{"-1.7976931348623157e308", -std::numeric_limits<double>::max()},
                          Case{"4.9e-324", std::numeric_limits<double>::denorm_min()},
                          Case{"2.4703282292062328e-324", std::numeric_limits<double>::denorm_min()},
                          Case{"2.2250738585072011e-308", 2.2250738585072009e-308},
                          Case{"0e999999999", 0.0}, Case{"-0.0e-999", -0.0},
                          Case{"-inf", -inf}, Case{"+INF", inf}}) {
        const Token t = LexWord(c.word);
        ASSERT_EQ(t.kind, TokenKind::Float) << c.word;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(t.number), std::bit_cast<std::uint64_t>(c.value)) << c.word;
    }
}

TEST(XFileTextLexer, NumbersOffTheFastPathAreCorrectlyRounded) {
    struct Case {
        const char* word;
        double value;
    };
    for (const Case& c : {// more digits than a double holds: rounds to the nearest, halfway to even
                          Case{"0.1000000000000000055511151231257827021181583404541015625", 0.1},
                          Case{"9007199254740993.0", 9007199254740992.0},
                          Case{"9007199254740995.0", 9007199254740996.0},
                          // exponents, a leading '+', a bare point
                          Case{"1e23", 1e23}, Case{"8.589973e9", 8589973000.0}, Case{"+.5", 0.5},
                          Case{"-.25", -0.25}, Case{"3.", 3.0}, Case{"1E-5", 1e-5},
                          // halfway between the floats 1 and 1 + 2^-23, plus a little
                          Case{"1.0000000596046447753906250001", 1.0 + 0x1p-24}}) {
        const Token t = LexWord(c.word);
        ASSERT_EQ(t.kind, TokenKind::Float) << c.word;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(t.number), std::bit_cast<std::uint64_t>(c.value)) << c.word;
    }
    // Words that merely start like numbers stay names.
    for (const char* word : {"0x10", "1.5f", "++1", "1e", "1e+", "1..2", "-.", "-nan1", "-infx"}) {
        EXPECT_EQ(LexWord(word).kind, TokenKind::Name) << word;
    }
}

}  // namespace
