// Vim reads the gcc form with its default 'errorformat': every diagnostic
// and note is a valid quickfix entry with its file, line and column, and the
// excerpt lines under them are no entries of their own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "driver/test_process.h"

namespace korvane {
namespace {

using namespace korvane::testing;

std::string findOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path == nullptr ? "" : path);
  for (std::string dir; std::getline(dirs, dir, ':');) {
    std::filesystem::path candidate = std::filesystem::path(dir) / program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return "";
}

// The valid quickfix entries Vim makes of `errors`, one "file|line|col|text" each.
std::vector<std::string> vimQuickfix(const std::string& errors) {
  std::string vim = findOnPath("vim");
  if (vim.empty()) return {"no vim"};
  TempDir dir;
  dir.write("errors.txt", errors);
  ProcessResult run = runProcess(
      vim,
      {"-u", "NONE", "-i", "NONE", "-N", "-es", "-c", "cgetfile errors.txt", "-c",
       "call writefile(map(filter(getqflist(), 'v:val.valid'), 'bufname(v:val.bufnr) . \"|\" . "
       "v:val.lnum . \"|\" . v:val.col . \"|\" . v:val.text'), 'qf.txt')",
       "-c", "qa!"},
      dir);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  std::vector<std::string> entries;
  std::stringstream lines(dir.read("qf.txt"));
  for (std::string line; std::getline(lines, line);) entries.push_back(line);
  return entries;
}

TEST(EditorQuickfix, VimReadsTheGccFormWithItsDefaultErrorformat) {
  if (findOnPath("vim").empty()) GTEST_SKIP() << "vim is not installed";
  TempDir dir;
  dir.write("skins/skin.txt",
            "SKINTYPE scalable\nNAME 1 \"Skin\"\nBITMAP IID=QsnBgScren c16 bg.bmp\n"
            "COLOURTABLE IID=QsnOtherColors\n  RGB=0xFF\nEND\n"
            "COLORTABLE IID=QsnTextColors\n  RGB=0x1000000\nEND\n");
  dir.write("bg.bmp", "image");
  ProcessResult run =
      runProcess(KORVANE_BINARY, {"--diagnostics-format=gcc", "skins/skin.txt", "Skin"}, dir);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.out, "");

  std::vector<std::string> entries = vimQuickfix(run.err);
  EXPECT_EQ(entries,
            (std::vector<std::string>{
                "skins/skin.txt|3|12| error: No match found for item ID \"QsnBgScren\"; did you "
                "mean 'QsnBgScreen'? [parse.no-item-match]",
                "skins/skin.txt|4|1| error: Unknown token encountered or syntax error; did you "
                "mean 'COLORTABLE'? [parse.unknown-element]",
                "skins/skin.txt|8|3| warning: RGB=0x1000000 is wider than 24 bits: value cut to "
                "0x000000 [value.cut]"}))
      << run.err;
}

}  // namespace
}  // namespace korvane
