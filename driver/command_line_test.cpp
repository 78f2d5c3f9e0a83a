// The command line's long options for diagnostics, and arguments that look
// like options but are none: a typo is refused with the nearest option
// instead of turning into a file name or being ignored.
#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/memory_platform.h"
#include "driver/compile_test_support.h"

namespace korvane {
namespace {

using namespace korvane::testing;

bool parse(std::vector<const char*> args, CompileOptions& options) {
  args.insert(args.begin(), "korvane");
  return parseCommandLine(static_cast<int>(args.size()), args.data(), options);
}

TEST(CommandLine, UnknownLongOptionsAreUsageErrorsWithTheNearestOption) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      // Without the check the third positional would be ignored: a skin without DRM mode.
      {{"skin.txt", "Skin", "--dmr"}, "Unknown option --dmr (did you mean --drm?)"},
      {{"--forcenromal", "skin.txt", "Skin"},
       "Unknown option --forcenromal (did you mean --forcenormal?)"},
      {{"--diagnostic-format=gcc", "skin.txt", "Skin"},
       "Unknown option --diagnostic-format=gcc (did you mean --diagnostics-format?)"},
      {{"--QUIT", "skin.txt", "Skin"}, "Unknown option --QUIT (did you mean --quiet?)"},
      {{"--colour", "skin.txt", "Skin"}, "Unknown option --colour"},
      {{"--diagnostics-format=jsn", "skin.txt", "Skin"},
       "Unknown diagnostics format jsn (did you mean json?)"},
      {{"--diagnostics-format=xml", "skin.txt", "Skin"}, "Unknown diagnostics format xml"},
      {{"--max-errors=many", "skin.txt", "Skin"}, "--max-errors needs a number, not many"},
      {{"skin.txt", "Skin", "--diagnostics-file"}, "--diagnostics-file needs a value"},
  };
  for (const auto& c : cases) {
    MemoryPlatform p;
    p.fs.addFile("skin.txt", "SKINTYPE scalable\nNAME 1 \"S\"\n");
    RunResult run = runInMemory(p, c.args);
    EXPECT_EQ(run.code, 1) << c.message;
    EXPECT_EQ(run.err, std::string(c.message) + "\n");
    EXPECT_NE(run.out.find("Syntax: Korvane"), std::string::npos) << c.message;
    EXPECT_FALSE(p.fs.has("Skin.skn")) << c.message;
  }
}

TEST(CommandLine, DiagnosticsOptionsInEitherFormAndCase) {
  CompileOptions options;
  ASSERT_TRUE(parse({"--Diagnostics-Format=SARIF", "--diagnostics-file", "out.sarif",
                     "--max-errors=3", "--WARNINGS-AS-ERRORS", "skin.txt", "Skin"},
                    options));
  EXPECT_EQ(options.diagnosticsFormat, CompileOptions::DiagnosticsFormat::kSarif);
  EXPECT_EQ(options.diagnosticsFile, "out.sarif");
  EXPECT_EQ(options.maxErrors, 3);
  EXPECT_TRUE(options.warningsAsErrors);
  EXPECT_EQ(options.error, "");

  ASSERT_TRUE(parse({"--diagnostics-format", "gcc", "skin.txt", "Skin"}, options));
  EXPECT_EQ(options.diagnosticsFormat, CompileOptions::DiagnosticsFormat::kGcc);
  EXPECT_EQ(options.maxErrors, 20);
  ASSERT_TRUE(parse({"--max-errors=0", "skin.txt", "Skin"}, options));
  EXPECT_EQ(options.maxErrors, 0);
  EXPECT_FALSE(parse({"--max-errors=9999999999", "skin.txt", "Skin"}, options));
}

TEST(CommandLine, NamesThatBeginWithDashesComeAfterTheEndOfOptions) {
  CompileOptions options;
  ASSERT_TRUE(parse({"--drm", "--", "--skin.txt", "--Skin", "--third"}, options));
  EXPECT_TRUE(options.drmMode);
  EXPECT_EQ(options.inputFile, "--skin.txt");
  EXPECT_EQ(options.skinName, "--Skin");
  ASSERT_TRUE(parse({"./--skin.txt", "Skin"}, options));
  EXPECT_EQ(options.inputFile, "./--skin.txt");
  // Single-dash options keep their old reading: "-x" is a positional.
  ASSERT_TRUE(parse({"-x", "Skin"}, options));
  EXPECT_EQ(options.inputFile, "-x");
}

TEST(CommandLine, EveryLongOptionIsInTheHelpAndAccepted) {
  MemoryPlatform help;
  std::string text = runInMemory(help, {"--help"}).out;
  for (std::string_view option : longOptionNames()) {
    EXPECT_NE(text.find(std::string(option)), std::string::npos) << option;
    CompileOptions options;
    std::string arg(option);
    if (option == "--depfile" || option == "--diagnostics-file") arg += "=x";
    if (option == "--diagnostics-format") arg += "=json";
    if (option == "--max-errors") arg += "=5";
    parse({arg.c_str(), "skin.txt", "Skin"}, options);
    EXPECT_EQ(options.error, "") << option;
  }
}

}  // namespace
}  // namespace korvane
