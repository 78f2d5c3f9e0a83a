// The editor files say the language's words again (Vim and TextMate cannot
// read the element table): every element keyword must be in each, and the
// VS Code extension's files must be valid and name each other.
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "base/text.h"
#include "lsp/json_rpc.h"
#include "parser/vocabulary.h"

namespace korvane::lsp {
namespace {

std::string readEditorFile(const std::string& name) {
  std::ifstream in(std::string(KORVANE_EDITORS_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(EditorFiles, EveryElementKeywordIsHighlighted) {
  std::string vim = readEditorFile("vim/syntax/korvane.vim");
  Json grammar = Json::parse(readEditorFile("vscode/syntaxes/korvane.tmLanguage.json"));
  std::string patterns;
  for (const Json& pattern : grammar["patterns"]) {
    if (pattern.contains("match")) patterns += pattern["match"].get<std::string>() + "\n";
  }
  for (const ElementWords& element : elementVocabulary()) {
    std::string keyword = toUtf8(element.keyword);
    std::regex inVim("[(|]" + keyword + "\\\\[|)]");
    std::regex inGrammar("[(|]" + keyword + "[|)]");
    EXPECT_TRUE(std::regex_search(vim, inVim)) << keyword << " is missing in the Vim syntax";
    EXPECT_TRUE(std::regex_search(patterns, inGrammar)) << keyword << " is missing in the grammar";
  }
}

TEST(EditorFiles, TheVsCodeExtensionHoldsTogether) {
  Json package = Json::parse(readEditorFile("vscode/package.json"));
  Json language = package["contributes"]["languages"][0];
  EXPECT_EQ("korvane", language["id"]);
  Json configuration =
      Json::parse(readEditorFile("vscode/" + language["configuration"].get<std::string>()));
  EXPECT_EQ("/", configuration["comments"]["lineComment"]);
  Json grammarEntry = package["contributes"]["grammars"][0];
  Json grammar = Json::parse(readEditorFile("vscode/" + grammarEntry["path"].get<std::string>()));
  EXPECT_EQ(grammarEntry["scopeName"], grammar["scopeName"]);
  // A comment is a "/" in the first column only.
  EXPECT_EQ("^/.*$", grammar["patterns"][0]["match"]);
  std::string main = package["main"];
  EXPECT_FALSE(readEditorFile("vscode/" + main).empty());
  EXPECT_TRUE(package["dependencies"].contains("vscode-languageclient"));
}

}  // namespace
}  // namespace korvane::lsp
