// A strict reader of the JSON that orrery3d-xinfo prints, so its tests look at values rather
// than at text: objects, arrays, strings (every escape decoded; raw control characters are an
// error), numbers, true, false and null.
#pragma once

#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xinfotest {

struct Json {
    enum Kind { kNull, kBool, kNumber, kString, kArray, kObject };
    Kind kind = kNull;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;

    bool operator==(const Json&) const = default;

    // The member called `key`; a null value when there is none.
    const Json& operator[](std::string_view key) const {
        for (const auto& [name, value] : members)
            if (name == key) return value;
        return Missing();
    }
    bool Has(std::string_view key) const {
        for (const auto& member : members)
            if (member.first == key) return true;
        return false;
    }

private:
    static const Json& Missing() {
        static const Json none;
        return none;
    }
};

class JsonReader {
public:
    // Parses `text` as one JSON value with nothing but white space after it. False when it is
    // not JSON; Error() then says where.
    bool Parse(std::string_view text, Json& out) {
        text_ = text;
        at_ = 0;
        error_.clear();
        if (!Value(out, 0)) return false;
        Space();
        return at_ == text_.size() || Fail("text after the value");
    }
    const std::string& Error() const { return error_; }

private:
    bool Fail(const char* what) {
        if (error_.empty()) error_ = std::string(what) + " at offset " + std::to_string(at_);
        return false;
    }
    void Space() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }
    bool Take(char c) {
        Space();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool Word(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    bool Value(Json& out, int depth) {
        if (depth > 64) return Fail("nested too deeply");
        Space();
        if (at_ >= text_.size()) return Fail("no value");
        const char c = text_[at_];
        if (c == '{') return Object(out, depth);
        if (c == '[') return Array(out, depth);
        if (c == '"') {
            out.kind = Json::kString;
            return String(out.text);
        }
        if (Word("true") || Word("false")) {
            out.kind = Json::kBool;
            out.boolean = c == 't';
            return true;
        }
        if (Word("null")) {
            out.kind = Json::kNull;
            return true;
        }
        return Number(out);
    }

    bool Object(Json& out, int depth) {
        out.kind = Json::kObject;
        ++at_;
        if (Take('}')) return true;
        do {
            Space();
            std::pair<std::string, Json> member;
            if (at_ >= text_.size() || text_[at_] != '"' || !String(member.first)) return Fail("no member name");
            if (!Take(':')) return Fail("no ':' after a member name");
            if (!Value(member.second, depth + 1)) return false;
            out.members.push_back(std::move(member));
        } while (Take(','));
        return Take('}') || Fail("no '}' at the end of an object");
    }

    bool Array(Json& out, int depth) {
        out.kind = Json::kArray;
        ++at_;
        if (Take(']')) return true;
        do {
            out.items.emplace_back();
            if (!Value(out.items.back(), depth + 1)) return false;
        } while (Take(','));
        return Take(']') || Fail("no ']' at the end of an array");
    }

    bool Number(Json& out) {
        const std::size_t start = at_;
        if (at_ < text_.size() && text_[at_] == '-') ++at_;
        auto digits = [&] {
            const std::size_t from = at_;
            while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
            return at_ > from;
        };
        if (!digits()) return Fail("not a value");
        if (at_ < text_.size() && text_[at_] == '.' && (++at_, !digits())) return Fail("no digits after '.'");
        if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
            ++at_;
            if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
            if (!digits()) return Fail("no digits in the exponent");
        }
        out.kind = Json::kNumber;
        out.number = std::strtod(std::string(text_.substr(start, at_ - start)).c_str(), nullptr);
        return true;
    }

    static void AppendUtf8(std::string& to, unsigned code) {
        if (code < 0x80) {
            to += char(code);
        } else if (code < 0x800) {
            to += char(0xC0 | (code >> 6));
            to += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            to += char(0xE0 | (code >> 12));
            to += char(0x80 | ((code >> 6) & 0x3F));
            to += char(0x80 | (code & 0x3F));
        } else {
            to += char(0xF0 | (code >> 18));
            to += char(0x80 | ((code >> 12) & 0x3F));
            to += char(0x80 | ((code >> 6) & 0x3F));
            to += char(0x80 | (code & 0x3F));
        }
    }

    bool Hex4(unsigned& code) {
        if (at_ + 4 > text_.size()) return Fail("short \\u escape");
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = text_[at_++];
            code <<= 4;
            if (h >= '0' && h <= '9') code |= unsigned(h - '0');
            else if (h >= 'a' && h <= 'f') code |= unsigned(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F') code |= unsigned(h - 'A' + 10);
            else return Fail("bad hex digit in a \\u escape");
        }
        return true;
    }

    bool String(std::string& out) {
        ++at_;  // the opening quote
        out.clear();
        while (at_ < text_.size()) {
            const unsigned char c = static_cast<unsigned char>(text_[at_++]);
            if (c == '"') return true;
            if (c < 0x20) return Fail("raw control character in a string");
            if (c != '\\') {
                out += char(c);
                continue;
            }
            if (at_ >= text_.size()) break;
            const char e = text_[at_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    unsigned code = 0;
                    if (!Hex4(code)) return false;
                    if (code >= 0xD800 && code < 0xDC00) {
                        unsigned low = 0;
                        if (!Word("\\u") || !Hex4(low) || low < 0xDC00 || low >= 0xE000)
                            return Fail("lone high surrogate");
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    } else if (code >= 0xDC00 && code < 0xE000) {
                        return Fail("lone low surrogate");
                    }
                    AppendUtf8(out, code);
                    break;
                }
                default: return Fail("unknown escape");
            }
        }
        return Fail("unterminated string");
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::string error_;
};

}  // namespace xinfotest
