// Declared options: the usage text made from them, how argv is taken (values, flags, operands,
// --help/--version at their moment, "--") and what the program replies with.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/cmdline/command_line.h"
#include "platform/cmdline/values.h"

namespace {

using cmdline::Outcome;

// A program with one of each kind of option, recording what it was given.
struct Sample {
    int count = 1;
    bool quiet = false;
    std::vector<double> times;
    std::vector<std::string> operands;
    cmdline::Program program;

    explicit Sample(cmdline::Answering answering = cmdline::Answering::kAfterParsing,
                    cmdline::Operands operands_ = cmdline::Operands::kPlainOrDash) {
        program.name = "sample";
        program.version = "1.2";
        program.head = "usage: sample [options] FILE...\n";
        program.column = 14;
        program.tail = "  That is all.\n";
        program.answering = answering;
        program.operands = operands_;
        program.operand = [this](std::string_view word) {
            operands.emplace_back(word);
            return word != "refused";
        };
        program.options = {
            cmdline::Value("--count", "N", "how many (1 to 9)", cmdline::IntIn(1, 9, count), " (1 to 9)"),
            cmdline::Flag("--quiet", "say less\nand less", [this] { quiet = true; }),
            cmdline::Value("--at-time", "SECONDS", "when (repeatable)", cmdline::DecimalsIn(0, 5, times)),
            cmdline::Flag("--hidden", "", [] {}),
            cmdline::Help("this text", "-h"),
            cmdline::Version("the version"),
            cmdline::EndOfOptions("operands follow"),
        };
    }
    cmdline::Parsed Parse(std::vector<const char*> args) {
        args.insert(args.begin(), "sample");
        return cmdline::Parse(program, static_cast<int>(args.size()), args.data());
    }
};

TEST(CmdlineUsage, OptionLinesFromTheDeclaration) {
    const Sample sample;
    EXPECT_EQ(cmdline::UsageText(sample.program),
              "usage: sample [options] FILE...\n"
              "  --count N   how many (1 to 9)\n"
              "  --quiet     say less\n"
              "              and less\n"
              "  --at-time SECONDS  when (repeatable)\n"
              "  --help      this text\n"
              "  --version   the version\n"
              "  --          operands follow\n"
              "  That is all.\n");
}

TEST(CmdlineParse, ValuesFlagsAndOperandsInOrder) {
    Sample sample;
    const cmdline::Parsed parsed =
        sample.Parse({"a", "--count", "3", "--at-time", "1", "-", "--quiet", "", "--at-time", "0.5", "b", "--count", "9"});
    EXPECT_EQ(parsed.outcome, Outcome::kRun) << parsed.error;
    EXPECT_EQ(sample.count, 9);  // the last one given
    EXPECT_TRUE(sample.quiet);
    EXPECT_EQ(sample.times, (std::vector<double>{1.0, 0.5}));
    EXPECT_EQ(sample.operands, (std::vector<std::string>{"a", "-", "", "b"}));
}

TEST(CmdlineParse, UsageErrorsNameTheWordAsGiven) {
    struct Case {
        std::vector<const char*> args;
        std::string error;
    };
    const std::vector<Case> cases = {
        {{"--count"}, "missing value after --count"},
        {{"a", "--at-time"}, "missing value after --at-time"},
        {{"--count", "10"}, "bad value \"10\" for --count (1 to 9)"},
        {{"--count", ""}, "bad value \"\" for --count (1 to 9)"},
        {{"--at-time", "6"}, "bad value \"6\" for --at-time"},
        {{"--Count", "3"}, "unknown option --Count"},
        {{"--count=3"}, "unknown option --count=3"},
        {{"-q"}, "unknown option -q"},
        {{"a", "refused", "b"}, "unexpected argument refused"},
    };
    for (const Case& c : cases) {
        Sample sample;
        const cmdline::Parsed parsed = sample.Parse(c.args);
        EXPECT_EQ(parsed.outcome, Outcome::kUsageError) << c.error;
        EXPECT_EQ(parsed.error, c.error);
    }
    Sample sample;
    sample.Parse({"a", "--count", "--quiet"});  // a value may look like an option
    EXPECT_FALSE(sample.quiet);
}

// Which words naming no option are operands, and which are unknown options.
TEST(CmdlineParse, OperandRules) {
    struct Case {
        cmdline::Operands rule;
        std::vector<bool> operand;  // of "x", "", "-", "-x", "--x"
    };
    const std::vector<Case> cases = {
        {cmdline::Operands::kNone, {false, false, false, false, false}},
        {cmdline::Operands::kAnyWord, {true, true, true, true, true}},
        {cmdline::Operands::kPlainOrDash, {true, true, true, false, false}},
        {cmdline::Operands::kPlain, {true, false, false, false, false}},
    };
    const std::vector<const char*> words = {"x", "", "-", "-x", "--x"};
    for (const Case& c : cases) {
        for (std::size_t i = 0; i < words.size(); ++i) {
            Sample sample(cmdline::Answering::kAfterParsing, c.rule);
            const cmdline::Parsed parsed = sample.Parse({words[i]});
            if (c.operand[i]) {
                EXPECT_EQ(parsed.outcome, Outcome::kRun) << static_cast<int>(c.rule) << " '" << words[i] << "'";
                EXPECT_EQ(sample.operands, std::vector<std::string>{words[i]});
            } else {
                EXPECT_EQ(parsed.error, "unknown option " + std::string(words[i])) << static_cast<int>(c.rule);
            }
        }
    }
}

TEST(CmdlineParse, DoubleDashEndsTheOptions) {
    Sample sample(cmdline::Answering::kInOrder);
    const cmdline::Parsed parsed = sample.Parse({"--quiet", "--", "--help", "--count", "-x", "--"});
    EXPECT_EQ(parsed.outcome, Outcome::kRun) << parsed.error;
    EXPECT_EQ(sample.operands, (std::vector<std::string>{"--help", "--count", "-x", "--"}));
    EXPECT_EQ(sample.count, 1);

    Sample undeclared;
    undeclared.program.options.pop_back();
    EXPECT_EQ(undeclared.Parse({"--", "a"}).error, "unknown option --");
}

// When --help and --version answer: at once, in order, or once all else parsed well.
TEST(CmdlineParse, HelpAndVersionAnswerAtTheirMoment) {
    struct Case {
        cmdline::Answering answering;
        std::vector<const char*> args;
        Outcome outcome;
    };
    using A = cmdline::Answering;
    const std::vector<Case> cases = {
        {A::kFirstFound, {"--bad", "--count", "x", "--version", "--help"}, Outcome::kVersion},
        {A::kFirstFound, {"-h", "--version"}, Outcome::kHelp},
        {A::kFirstFound, {"--", "--help"}, Outcome::kHelp},
        {A::kInOrder, {"--version", "--bad"}, Outcome::kVersion},
        {A::kInOrder, {"--bad", "--version"}, Outcome::kUsageError},
        {A::kInOrder, {"--count", "0", "-h"}, Outcome::kUsageError},
        {A::kInOrder, {"-h", "--version"}, Outcome::kHelp},
        {A::kAfterParsing, {"--version", "--help"}, Outcome::kHelp},
        {A::kAfterParsing, {"--version", "a"}, Outcome::kVersion},
        {A::kAfterParsing, {"--help", "--bad"}, Outcome::kUsageError},
        {A::kAfterParsing, {"--help", "--count"}, Outcome::kUsageError},
    };
    for (const Case& c : cases) {
        Sample sample(c.answering);
        EXPECT_EQ(sample.Parse(c.args).outcome, c.outcome)
            << static_cast<int>(c.answering) << " " << c.args.front() << " ...";
    }
    Sample noAlias(A::kFirstFound, cmdline::Operands::kAnyWord);
    noAlias.program.options[4] = cmdline::Help("this text");
    EXPECT_EQ(noAlias.Parse({"-h"}).outcome, Outcome::kRun);  // -h only where it is declared
    EXPECT_EQ(noAlias.operands, std::vector<std::string>{"-h"});
}

TEST(CmdlineReply, HelpVersionAndErrorsGoWhereTheyBelong) {
    const Sample sample;
    const std::string usage = cmdline::UsageText(sample.program);

    const cmdline::Reply help = cmdline::ReplyTo(sample.program, {Outcome::kHelp, {}});
    EXPECT_EQ(help.text, usage);
    EXPECT_TRUE(help.toStdout);
    EXPECT_EQ(help.exitCode, 0);

    const cmdline::Reply version = cmdline::ReplyTo(sample.program, {Outcome::kVersion, {}});
    EXPECT_EQ(version.text, "sample 1.2\n");
    EXPECT_TRUE(version.toStdout);
    EXPECT_EQ(version.exitCode, 0);

    const cmdline::Reply error = cmdline::ReplyTo(sample.program, {Outcome::kUsageError, "unknown option -q"});
    EXPECT_EQ(error.text, "sample: unknown option -q\n" + usage);
    EXPECT_FALSE(error.toStdout);
    EXPECT_EQ(error.exitCode, 2);

    const cmdline::Reply bare = cmdline::UsageError(sample.program, "");
    EXPECT_EQ(bare.text, usage);
    EXPECT_FALSE(bare.toStdout);
    EXPECT_EQ(bare.exitCode, 2);
}

}  // namespace
