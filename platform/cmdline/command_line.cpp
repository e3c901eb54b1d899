#include "platform/cmdline/command_line.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace cmdline {

Option Flag(std::string_view name, std::string_view help, std::function<void()> set) {
    return {Kind::kFlag, name, {}, {}, help, [set = std::move(set)](std::string_view) {
                set();
                return true;
            }, {}};
}

Option Value(std::string_view name, std::string_view valueName, std::string_view help, TakeValue take,
             std::string_view badValueNote) {
    return {Kind::kValue, name, {}, valueName, help, std::move(take), badValueNote};
}

Option Help(std::string_view help, std::string_view alias) { return {Kind::kHelp, "--help", alias, {}, help, {}, {}}; }

Option Version(std::string_view help) { return {Kind::kVersion, "--version", {}, {}, help, {}, {}}; }

Option EndOfOptions(std::string_view help) { return {Kind::kEndOfOptions, "--", {}, {}, help, {}, {}}; }

std::string UsageText(const Program& program) {
    std::string text(program.head);
    const std::size_t column = static_cast<std::size_t>(program.column);
    for (const Option& option : program.options) {
        if (option.help.empty()) continue;
        std::string label = "  ";
        label += option.name;
        if (!option.valueName.empty()) label.append(" ").append(option.valueName);
        // A label too long for the column keeps two spaces before its help.
        label.resize(std::max(column, label.size() + 2), ' ');
        text += label;
        std::string_view help = option.help;
        for (std::size_t end = help.find('\n'); end != std::string_view::npos; end = help.find('\n')) {
            text += help.substr(0, end);
            text += '\n' + std::string(column, ' ');
            help.remove_prefix(end + 1);
        }
        text += help;
        text += '\n';
    }
    text += program.tail;
    return text;
}

namespace {

const Option* Find(const Program& program, std::string_view word) {
    for (const Option& option : program.options)
        if (word == option.name || (!option.alias.empty() && word == option.alias)) return &option;
    return nullptr;
}

bool IsOperand(Operands operands, std::string_view word) {
    switch (operands) {
        case Operands::kNone: return false;
        case Operands::kAnyWord: return true;
        case Operands::kPlainOrDash: return word.size() < 2 || word[0] != '-';
        case Operands::kPlain: return !word.empty() && word[0] != '-';
    }
    return false;
}

Parsed Error(std::string message) { return {Outcome::kUsageError, std::move(message)}; }

}  // namespace

Parsed Parse(const Program& program, int argc, const char* const* argv) {
    if (program.answering == Answering::kFirstFound) {
        for (int i = 1; i < argc; ++i) {
            const Option* option = Find(program, argv[i]);
            if (option && option->kind == Kind::kHelp) return {Outcome::kHelp, {}};
            if (option && option->kind == Kind::kVersion) return {Outcome::kVersion, {}};
        }
    }
    bool help = false;
    bool version = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        const Option* option = optionsEnded ? nullptr : Find(program, word);
        if (option) {
            switch (option->kind) {
                case Kind::kHelp:
                    if (program.answering != Answering::kAfterParsing) return {Outcome::kHelp, {}};
                    help = true;
                    break;
                case Kind::kVersion:
                    if (program.answering != Answering::kAfterParsing) return {Outcome::kVersion, {}};
                    version = true;
                    break;
                case Kind::kEndOfOptions: optionsEnded = true; break;
                case Kind::kFlag: option->take({}); break;
                case Kind::kValue: {
                    if (i + 1 >= argc) return Error("missing value after " + std::string(word));
                    const std::string_view value = argv[++i];
                    if (!option->take(value))
                        return Error("bad value \"" + std::string(value) + "\" for " + std::string(word) +
                                     std::string(option->badValueNote));
                    break;
                }
            }
            continue;
        }
        if (!optionsEnded && !IsOperand(program.operands, word)) return Error("unknown option " + std::string(word));
        if (program.operand && !program.operand(word)) return Error("unexpected argument " + std::string(word));
    }
    if (help) return {Outcome::kHelp, {}};
    if (version) return {Outcome::kVersion, {}};
    return {};
}

Reply UsageError(const Program& program, std::string_view error) {
    std::string text;
    if (!error.empty()) text = std::string(program.name) + ": " + std::string(error) + "\n";
    return {text + UsageText(program), false, 2};
}

Reply ReplyTo(const Program& program, const Parsed& parsed) {
    switch (parsed.outcome) {
        case Outcome::kHelp: return {UsageText(program), true, 0};
        case Outcome::kVersion:
            return {std::string(program.name) + " " + std::string(program.version) + "\n", true, 0};
        case Outcome::kUsageError: return UsageError(program, parsed.error);
        case Outcome::kRun: break;
    }
    return {{}, true, 0};
}

int Send(const Reply& reply) {
    std::fputs(reply.text.c_str(), reply.toStdout ? stdout : stderr);
    return reply.exitCode;
}

std::optional<int> Answer(const Program& program, int argc, const char* const* argv) {
    const Parsed parsed = Parse(program, argc, argv);
    if (parsed.outcome == Outcome::kRun) return std::nullopt;
    return Send(ReplyTo(program, parsed));
}

}  // namespace cmdline
