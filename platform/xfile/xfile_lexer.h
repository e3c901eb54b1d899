// What the token reader (and through it the template and data parsers) needs of a lexer of an
// X file body. The text and the binary encoding have one lexer each, and the parsers are
// written once for both: what only one encoding has (the binary number lists, the text
// separators that template declarations need) is part of the contract, and the lexer of the
// other encoding meets it with members that do nothing.
#pragma once

#include <concepts>
#include <cstddef>

#include "platform/xfile/xfile_token.h"

namespace xfile {

template <class L>
concept XFileLexer = std::copy_constructible<L> &&
                     requires(L lexer, const L& reader, Token& token, Primitive type, std::size_t count,
                              unsigned char* out, const unsigned char** words, bool on) {
    // Writes the next token into `token`, only the fields its kind uses: End after the last
    // one, Error (with its cause as the text) for a fault, after which only End follows.
    { lexer.Next(token) } -> std::same_as<void>;
    // Where the next token starts, in bytes from the start of the body.
    { reader.Offset() } -> std::same_as<std::size_t>;
    // Number lists: after a list's first value was handed out as a token, copies up to `count`
    // more of it into `out` (4 bytes each) when the list holds exactly the representation of
    // `type`; returns how many (0 when it does not, or there is no list).
    { lexer.TakeListRun(type, count, out) } -> std::same_as<std::size_t>;
    // Values of the current number list not handed out yet.
    { reader.ListLeft() } -> std::same_as<std::size_t>;
    // The last value handed out and the rest of its integer list as raw 32-bit words: sets
    // *words and returns their count, or returns 0 when that value did not come from one.
    { reader.RawIntegerRun(words) } -> std::same_as<std::size_t>;
    // Skips `count` values of the current list (no more than ListLeft()).
    { lexer.SkipListValues(count) } -> std::same_as<void>;
    // Whether ',' and ';' are passed over like white space (true) or are tokens (false, for
    // template declarations); takes effect from the next token read.
    { lexer.SetSeparatorsAsSpace(on) } -> std::same_as<void>;
    // An upper bound of the values still readable, so that a count read from the file can be
    // refused before anything is allocated for it.
    { reader.ValueCapacity() } -> std::same_as<std::size_t>;
};

}  // namespace xfile
