// Command lines of the programs: each declares its options once, and the usage text, --help,
// --version and the usage errors all come from that declaration.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cmdline {

// Takes an option's value (an empty one for a flag); false when the value is refused.
using TakeValue = std::function<bool(std::string_view value)>;

enum class Kind {
    kFlag,          // stands alone
    kValue,         // takes the next word as its value
    kHelp,          // answers with the usage text
    kVersion,       // answers with the program's name and version
    kEndOfOptions,  // every later word is an operand
};

struct Option {
    Kind kind = Kind::kFlag;
    std::string_view name;       // "--size"
    std::string_view alias;      // "-h"; empty when there is none
    std::string_view valueName;  // how the usage names the value: "WxH"
    std::string_view help;       // its usage line, '\n' between lines; empty: left out of the usage
    TakeValue take;              // flags and values; a flag's is called with an empty value
    std::string_view badValueNote;  // follows the "bad value" message: " (1 to 64)"
};

Option Flag(std::string_view name, std::string_view help, std::function<void()> set);
Option Value(std::string_view name, std::string_view valueName, std::string_view help, TakeValue take,
             std::string_view badValueNote = {});
Option Help(std::string_view help, std::string_view alias = {});
Option Version(std::string_view help);
Option EndOfOptions(std::string_view help);

// When --help and --version are answered.
enum class Answering {
    kFirstFound,    // the first of them anywhere wins, before anything else is looked at
    kInOrder,       // when reached, unless an earlier word was a usage error
    kAfterParsing,  // once every word parsed well; help before version
};

// Which words that name no option are operands rather than unknown options.
enum class Operands {
    kNone,         // none: every word must name an option
    kAnyWord,      // every such word
    kPlainOrDash,  // words not starting with '-', and "-" (and the empty word) itself
    kPlain,        // non-empty words not starting with '-'
};

struct Program {
    std::string_view name;     // prefixes the error messages; --version prints it
    std::string_view version;
    std::string_view head;     // the usage text before the option lines
    int column = 0;            // where the option lines' help starts
    std::string_view tail;     // the usage text after the option lines
    Answering answering = Answering::kAfterParsing;
    Operands operands = Operands::kNone;
    std::function<bool(std::string_view word)> operand;  // false: "unexpected argument"
    std::vector<Option> options;
};

std::string UsageText(const Program& program);

enum class Outcome { kRun, kHelp, kVersion, kUsageError };

struct Parsed {
    Outcome outcome = Outcome::kRun;
    std::string error;  // for a usage error, without the program's name
};

// Hands each value and operand in argv (argv[0] is the program) to the declaration's takers.
Parsed Parse(const Program& program, int argc, const char* const* argv);

// What a program prints for an outcome other than kRun, where, and the exit code it ends with.
struct Reply {
    std::string text;
    bool toStdout = false;
    int exitCode = 0;
};

// Help and version on stdout (exit code 0); a usage error on stderr as "NAME: ERROR" and the
// usage text, or the usage text alone for an empty error (exit code 2).
Reply ReplyTo(const Program& program, const Parsed& parsed);
Reply UsageError(const Program& program, std::string_view error);
// Prints the reply; its exit code.
int Send(const Reply& reply);
// Parses argv and, for anything but kRun, prints the reply: then the exit code to end with.
std::optional<int> Answer(const Program& program, int argc, const char* const* argv);

}  // namespace cmdline
