// Every complete example of the documentation compiles: each block fenced as
// "korvane" in any docs/*.md page (and the top README.md) is compiled in
// memory and must succeed, and each block fenced as "korvane-error" must fail.
// Comment lines of a block steer the test (docs/internals.md describes them):
//   / expect: TEXT    TEXT appears in the run's report (either stream)
//   / exit: N         the exit code (default 0, or 2 for "korvane-error")
//   / missing: FILE   FILE is not created, although the block names it
// Every other token ending in .bmp or .svg (also after "MASK=" and
// "SOFTMASK=") is created as an empty image file in the working directory
// and in every directory a BITMAPPATH of the block names.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/memory_platform.h"
#include "base/text.h"
#include "driver/compile_test_support.h"

namespace korvane {
namespace {

using namespace korvane::testing;

struct Example {
  std::string page;
  int line = 0;  // of the opening fence
  bool failing = false;
  std::string text;
};

std::vector<std::string> docPages() {
  std::vector<std::string> pages;
  for (const auto& entry : std::filesystem::directory_iterator(KORVANE_DOCS_DIR)) {
    if (entry.is_regular_file() && entry.path().extension() == ".md") {
      pages.push_back(entry.path().string());
    }
  }
  std::sort(pages.begin(), pages.end());
  // The front page's first skin counts too.
  pages.push_back((std::filesystem::path(KORVANE_DOCS_DIR).parent_path() / "README.md").string());
  return pages;
}

std::vector<Example> examplesOf(const std::string& page) {
  std::ifstream in(page);
  std::vector<Example> examples;
  std::string line;
  int number = 0;
  Example* open = nullptr;
  bool otherFence = false;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (open != nullptr) {
      if (line.rfind("```", 0) == 0) {
        open = nullptr;
      } else {
        open->text += line + "\n";
      }
    } else if (otherFence) {
      if (line.rfind("```", 0) == 0) otherFence = false;
    } else if (line == "```korvane" || line == "```korvane-error") {
      examples.push_back(Example{std::filesystem::path(page).filename().string(), number,
                                 line == "```korvane-error", ""});
      open = &examples.back();
    } else if (line.rfind("```", 0) == 0) {
      otherFence = true;
    }
  }
  EXPECT_EQ(open, nullptr) << page << ": a korvane block is not closed";
  EXPECT_FALSE(otherFence) << page << ": a fenced block is not closed";
  return examples;
}

std::string hostPath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

bool endsWithNoCase(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         equalsNoCase(std::string_view(text).substr(text.size() - suffix.size()), suffix);
}

struct Steering {
  std::vector<std::string> expected;
  std::set<std::string> missing;
  int exitCode = 0;
};

Steering steeringOf(const Example& example) {
  Steering steering;
  steering.exitCode = example.failing ? 2 : 0;
  std::istringstream lines(example.text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("/ expect: ", 0) == 0) steering.expected.push_back(line.substr(10));
    if (line.rfind("/ exit: ", 0) == 0) steering.exitCode = std::stoi(line.substr(8));
    if (line.rfind("/ missing: ", 0) == 0) steering.missing.insert(line.substr(11));
  }
  return steering;
}

// The image files a block names, in every directory it sets as bitmap path.
void createImages(const Example& example, const Steering& steering, MemoryFileSystem& fs) {
  std::vector<std::string> directories{""};
  std::vector<std::string> images;
  std::istringstream lines(example.text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line[0] == '/') continue;
    std::istringstream tokens(line);
    std::string token;
    bool pathFollows = false;
    while (tokens >> token) {
      if (pathFollows) {
        std::string directory = hostPath(token);
        if (directory.back() != '/') directory += '/';
        directories.push_back(directory);
        pathFollows = false;
        continue;
      }
      pathFollows = equalsNoCase(token, "BITMAPPATH");
      size_t equals = token.find('=');
      if (equals != std::string::npos) token = token.substr(equals + 1);
      if (!token.empty() && token.front() == '"') continue;  // a string, a sound file say
      if ((endsWithNoCase(token, ".bmp") || endsWithNoCase(token, ".svg")) &&
          steering.missing.count(token) == 0) {
        images.push_back(hostPath(token));
      }
    }
  }
  for (const std::string& directory : directories) {
    for (const std::string& image : images) fs.addFile(directory + image, "");
  }
}

// Whether `word` stands in `text` as a token of its own.
bool holdsWord(const std::string& text, const std::string& word) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    size_t end = at + word.size();
    if ((at == 0 || blank(text[at - 1])) && (end == text.size() || blank(text[end]))) return true;
  }
  return false;
}

TEST(DocsExamples, EveryKorvaneBlockOfEveryPageCompilesAsItSays) {
  size_t compiled = 0;
  std::string allText;
  for (const std::string& page : docPages()) {
    for (const Example& example : examplesOf(page)) {
      SCOPED_TRACE(example.page + ":" + std::to_string(example.line));
      Steering steering = steeringOf(example);
      MemoryPlatform p;
      createImages(example, steering, p.fs);
      p.fs.addFile("doc.txt", example.text);
      RunResult run = runInMemory(p, {"doc.txt", "Doc"});
      EXPECT_EQ(run.code, steering.exitCode) << run.out;
      if (example.failing) {
        EXPECT_FALSE(steering.expected.empty()) << "say what fails";
      }
      for (const std::string& text : steering.expected) {
        EXPECT_NE((run.out + run.err).find(text), std::string::npos)
            << "\"" << text << "\" is not in the report:\n"
            << run.out;
      }
      if (!example.failing) allText += example.text;
      ++compiled;
    }
  }
  EXPECT_GT(compiled, 0u);

  // Every element and inner keyword is shown in at least one example that compiles.
  std::string folded = allText;
  std::transform(folded.begin(), folded.end(), folded.begin(),
                 [](char c) { return static_cast<char>(foldAZ(c)); });
  for (const char* keyword : {"skintype",
                              "uid",
                              "pid",
                              "name",
                              "languageoverride",
                              "languageparent",
                              "protect",
                              "author",
                              "copyright",
                              "targetdevice",
                              "tool",
                              "bitmappath",
                              "restriction",
                              "bitmap",
                              "colortable",
                              "frame",
                              "bmpanim",
                              "appicon",
                              "palette",
                              "sound",
                              "string",
                              "scalableitem",
                              "effect",
                              "int",
                              "str",
                              "bmp",
                              "raw",
                              "namedref",
                              "animation",
                              "morphing",
                              "preprocess",
                              "command",
                              "value",
                              "timingmodel",
                              "sizeboundparam"}) {
    EXPECT_TRUE(holdsWord(folded, keyword)) << keyword << " is in no compiled example";
  }
}

}  // namespace
}  // namespace korvane
