// The command-line reader both tools share.

#include "tools/command_line.h"

#include <gtest/gtest.h>

#include <sstream>

#include "common/error.h"

namespace vistrel {
namespace {

using Kind = CommandLineResult::Kind;

// A command like "list": one file, a single option with a short form, a switch and two
// repeatable options whose order matters together.
struct Command {
  CLI::App app{"", "cmd"};
  std::string file;
  std::string output;
  std::optional<std::string> user_dir;
  std::vector<std::string> sorts, finds;
  bool down = false;

  Command() {
    app.add_option("FILE", file)->required();
    app.add_option("-o,--output", output);
    AddOptionalOption(app, "--user-dir", user_dir);
    AddRepeatableOption(app, "--sort", sorts);
    AddRepeatableOption(app, "--find", finds);
    app.add_flag("--down", down)->disable_flag_override();
  }
  CommandLineResult Parse(const std::vector<std::string>& words) {
    return ParseCommandLine(app, words);
  }
};

TEST(CommandLine, ReadsOptionsPositionalsAndRepeatsInOrder) {
  Command c;
  const CommandLineResult r = c.Parse({"--find", "b", "--sort", "2", "f", "--find=a", "--down",
                                       "--sort", "0", "-o", "out", "--user-dir", ""});
  ASSERT_EQ(r.kind, Kind::kParsed) << r.problem;
  EXPECT_EQ(c.file, "f");
  EXPECT_EQ(c.output, "out");
  EXPECT_EQ(c.user_dir, "");  // given, though empty
  EXPECT_EQ(c.finds, (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(c.sorts, (std::vector<std::string>{"2", "0"}));
  EXPECT_TRUE(c.down);
}

TEST(CommandLine, AbsentOptionsStayUnset) {
  Command c;
  ASSERT_EQ(c.Parse({"f"}).kind, Kind::kParsed);
  EXPECT_FALSE(c.user_dir);
  EXPECT_TRUE(c.finds.empty());
  EXPECT_FALSE(c.down);
}

TEST(CommandLine, DoubleDashEndsTheOptions) {
  Command c;
  ASSERT_EQ(c.Parse({"--", "--find"}).kind, Kind::kParsed);
  EXPECT_EQ(c.file, "--find");
  EXPECT_TRUE(c.finds.empty());
}

TEST(CommandLine, HelpWinsOverEverythingElse) {
  for (const auto& words : std::vector<std::vector<std::string>>{{"--help"}, {"f", "-h"}}) {
    Command c;
    EXPECT_EQ(c.Parse(words).kind, Kind::kHelp) << testing::PrintToString(words);
  }
}

TEST(CommandLine, UsageErrorsNameTheProblem) {
  struct Case {
    std::vector<std::string> words;
    std::string named;
  };
  for (const Case& t : {
           Case{{}, "FILE"},
           Case{{"f", "g"}, "unexpected argument: g"},
           Case{{"f", "--bogus", "x"}, "unexpected arguments: --bogus x"},
           Case{{"f", "--", "--", "x"}, "unexpected arguments: -- x"},
           Case{{"f", "--find"}, "--find"},
           // A repeatable option takes one value each time, not the words after it.
           Case{{"--find", "a", "b", "c"}, "unexpected argument: c"},
           Case{{"f", "--user-dir", "a", "--user-dir", "b"}, "--user-dir"},
           Case{{"f", "-o", "a", "--output", "b"}, "--output"},
           Case{{"f", "--down=1"}, "down"},
       }) {
    Command c;
    const CommandLineResult r = c.Parse(t.words);
    EXPECT_EQ(r.kind, Kind::kUsageError) << testing::PrintToString(t.words);
    EXPECT_NE(r.problem.find(t.named), std::string::npos) << r.problem;
  }
}

// Both tools dispatch through RunToolCommand: statuses 0, 1 and 2 and where each text goes.
TEST(RunToolCommand, HelpUsageErrorsAndFailuresEndInTheirStatusAndStream) {
  const ToolTexts texts{.name = "t",
                        .usage = "USAGE\n",
                        .missing_command = "missing command",
                        .unknown_command = "unknown command ",
                        .failure_prefix = "t: ",
                        .help_command = false};
  const ToolCommand commands[] = {
      {"ok", [](const std::vector<std::string>& words) { return static_cast<int>(words.size()); }},
      {"help", [](const std::vector<std::string>&) -> int { throw HelpRequested{"OWN\n"}; }},
      {"bad", [](const std::vector<std::string>&) -> int { throw UsageError("no good"); }},
      {"sub",
       [](const std::vector<std::string>&) -> int { throw UsageError("x", "t sub", "SUB\n"); }},
      {"fail", [](const std::vector<std::string>&) -> int { throw Error("it broke"); }},
  };
  struct Case {
    std::vector<std::string> words;
    int status;
    std::string out, err;
  };
  for (const Case& c : {
           Case{{"ok", "a", "b"}, 2, "", ""},
           Case{{"--help"}, 0, "USAGE\n", ""},
           Case{{"-h", "ok"}, 0, "USAGE\n", ""},
           Case{{"help"}, 0, "OWN\n", ""},  // a command of that name, not the tool's help
           Case{{}, 2, "", "t: missing command\nUSAGE\n"},
           Case{{"frob"}, 2, "", "t: unknown command frob\nUSAGE\n"},
           Case{{"bad"}, 2, "", "t: no good\nUSAGE\n"},
           Case{{"sub"}, 2, "", "t sub: x\nSUB\n"},
           Case{{"fail"}, 1, "", "t: it broke\n"},
       }) {
    std::ostringstream out, err;
    EXPECT_EQ(RunToolCommand(texts, commands, c.words, out, err), c.status)
        << testing::PrintToString(c.words);
    EXPECT_EQ(out.str(), c.out) << testing::PrintToString(c.words);
    EXPECT_EQ(err.str(), c.err) << testing::PrintToString(c.words);
  }
}

}  // namespace
}  // namespace vistrel
