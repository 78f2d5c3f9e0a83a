// Test support for the element parsers: a description held in the in-memory
// file system, read by the test's own reader and parsed into a fresh SkinContent.
#ifndef KORVANE_PARSER_PARSER_TEST_SUPPORT_H
#define KORVANE_PARSER_PARSER_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "base/error.h"
#include "base/memory_platform.h"
#include "model/skin_content.h"
#include "parser/desc_parser.h"
#include "source/item_id_registry.h"
#include "source/source_lexer.h"
#include "source/tokens.h"

namespace korvane::testing {

// What a failed parse raised, with the reader's line at that moment.
struct ParseFailure {
  int32_t code = -1;
  std::string message;
  int32_t line = -1;
};

class ParserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry.loadBuiltins();
    resetContent();
  }

  // Adds a registry row (the full name, with its "KTavsIID" prefix).
  void addItemId(const std::string& fullName, uint32_t major, uint32_t minor) {
    registry.append(ItemIdEntry{widenCopy(fullName), major, minor});
  }
  // Makes an image file exist in the working directory.
  void addImage(const std::string& name) { platform.fs.addFile(name, "image"); }

  // Opens the reader on `text` (8-bit) without parsing anything.
  void open(const std::string& text) {
    platform.fs.addFile("skin.txt", text);
    lexer.open(platform.fs, "skin.txt");
  }

  // Parses the whole description; a raised error fails the test.
  void parse(const std::string& text) {
    open(text);
    DescParser parser(*content, lexer, registry, diagnostics);
    parser.dropQuietLines(dropQuietLines);
    try {
      parser.parse();
    } catch (const CKrvException& e) {
      FAIL() << "unexpected error (line " << lexer.currentLine << "): " << e.message;
    }
  }

  // Runs `step` and returns what it raised (code -1: nothing), with the
  // reader's line at that moment.
  template <typename Step>
  ParseFailure capture(Step step) {
    ParseFailure failure;
    try {
      step();
    } catch (const CKrvException& e) {
      failure.code = e.code;
      failure.message = e.message;
      failure.line = lexer.currentLine;
    }
    return failure;
  }

  // Parses the whole description and returns what it raised (code -1: nothing).
  ParseFailure parseFailure(const std::string& text) {
    open(text);
    DescParser parser(*content, lexer, registry, diagnostics);
    return capture([&parser] { parser.parse(); });
  }

  // Parses the elements of `text` one after another with `element`, in a
  // scalable skin, as the element loop would after reading each keyword.
  ParseFailure parseElements(const std::string& text, void (DescParser::*element)()) {
    content->skinType = kSkinTypeScalable;
    open(text);
    DescParser parser(*content, lexer, registry, diagnostics);
    return capture([&] {
      while (nextWord(lexer)) (parser.*element)();
    });
  }

  // parse() leaves out the NOTE, INFO and DEBUG lines, as for a quiet report.
  bool dropQuietLines = false;

  // A new, empty skin (the registry and the files stay).
  void resetContent() {
    content = std::make_unique<SkinContent>(platform.fs, diagnostics);
    content->setBitmapPath(u".\\");
  }

  // Everything printed to standard output so far.
  const std::string& out() const { return platform.console.stdoutText; }

  MemoryPlatform platform;
  ConsoleDiagnostics diagnostics{platform.console};
  SourceLexer lexer;
  ItemIdRegistry registry;
  std::unique_ptr<SkinContent> content;
};

}  // namespace korvane::testing

#endif
