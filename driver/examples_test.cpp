// The example skins compile to every output with the real binary, their SKN
// files dump without error, every item the description defines is in the SKN
// file, and korvane-dump --source gives descriptions that compile to the same
// files again.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>

#include "base/memory_platform.h"
#include "base/platform.h"
#include "driver/round_trip_test_support.h"
#include "driver/test_process.h"
#include "inspect/item_names.h"
#include "inspect/skn_decompiler.h"
#include "inspect/skn_reader.h"
#include "parser/desc_parser.h"
#include "source/item_id_registry.h"
#include "source/source_lexer.h"

namespace korvane {
namespace {

using namespace korvane::testing;

using IdSet = std::set<std::pair<uint32_t, uint32_t>>;

void copyExamples(const TempDir& dir) {
  std::filesystem::copy(KORVANE_EXAMPLES_DIR, dir.path(), std::filesystem::copy_options::recursive);
}

// The identifiers of every item chunk in the tree.
void collectItems(const SknChunk& chunk, IdSet& ids) {
  switch (chunk.type) {
    case kSknBitmapItem:
    case kSknColorTableItem:
    case kSknImageTableItem:
    case kSknBmpAnimItem:
    case kSknStringItem:
    case kSknScalableItem:
    case kSknAnimationItem:
      if (const SknField* id = chunk.field("id")) {
        ids.insert({static_cast<uint32_t>(id->value), id->minor});
      }
      break;
    default:
      break;
  }
  for (const SknChunk& child : chunk.children) collectItems(child, ids);
}

// Parses the example in memory and returns the identifiers of its items.
IdSet itemsOfDescription(const std::string& description) {
  MemoryPlatform p;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(KORVANE_EXAMPLES_DIR)) {
    if (!entry.is_regular_file()) continue;
    std::string relative =
        std::filesystem::relative(entry.path(), KORVANE_EXAMPLES_DIR).generic_string();
    p.fs.addFile(relative, readFile(entry.path()));
  }
  ItemIdRegistry registry;
  ConsoleDiagnostics sink(p.console);
  SkinContent content(p.fs, sink);
  SourceLexer lexer;
  lexer.open(p.fs, description);
  content.setBitmapPath(u".\\");
  DescParser(content, lexer, registry, sink).parse();
  IdSet ids;
  auto add = [&ids](const auto& list) {
    for (const auto& item : list) ids.insert({item.id.major, item.id.minor});
  };
  add(content.bitmaps());
  add(content.colorTables());
  add(content.frames());
  add(content.appIcons());
  add(content.bmpAnims());
  add(content.strings());
  add(content.scalableItems());
  add(content.animations());
  return ids;
}

class ExampleSkin : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(ExampleSkin, CompilesToEveryOutputThatDumpsWithAllItems) {
  auto [description, listSuffix] = GetParam();
  std::string skin = std::filesystem::path(description).stem().string();
  TempDir dir;
  copyExamples(dir);
  ProcessResult result = runProcess(KORVANE_BINARY, {description, skin}, dir);
  ASSERT_EQ(result.exitCode, 0) << result.out;
  EXPECT_TRUE(result.err.empty());
  EXPECT_TRUE(dir.exists(skin + listSuffix));
  EXPECT_TRUE(dir.exists(skin + ".pkg"));

  ProcessResult dump = runProcess(KORVANE_DUMP_BINARY, {skin + ".skn"}, dir);
  EXPECT_EQ(dump.exitCode, 0) << dump.err;

  SknDecodeResult decoded = decodeSkn(dir.read(skin + ".skn"));
  ASSERT_TRUE(decoded.ok) << decoded.error.describe();
  IdSet written;
  collectItems(decoded.root, written);
  IdSet defined = itemsOfDescription(description);
  EXPECT_FALSE(defined.empty());
  EXPECT_EQ(written, defined);
}

// Decompiled with and without the generation list, compiled again in a
// directory of its own with the same images (or the placeholders the
// description names): the same SKN file but for the time stamp, and with
// the list the same list.
TEST_P(ExampleSkin, DecompilesToADescriptionThatCompilesToTheSameFiles) {
  auto [description, listSuffix] = GetParam();
  std::string skin = std::filesystem::path(description).stem().string();
  std::string list = skin + listSuffix;
  TempDir first;
  copyExamples(first);
  ASSERT_EQ(runProcess(KORVANE_BINARY, {description, skin}, first).exitCode, 0);
  std::string skn = first.read(skin + ".skn");

  for (bool withList : {true, false}) {
    SCOPED_TRACE(withList ? "with the generation list" : "without the generation list");
    TempDir second;
    std::string decompiled = (second.path() / "decompiled.txt").string();
    std::vector<std::string> args = {"--source", decompiled, skin + ".skn"};
    if (withList) args.insert(args.begin(), {"--list", list});
    ProcessResult dump = runProcess(KORVANE_DUMP_BINARY, args, first);
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_TRUE(dump.out.empty());

    // The binary writes what the library gives, whose image files the
    // second directory gets: the examples' own, or empty placeholders.
    ItemIdRegistry registry;
    ItemNames names(registry);
    GenerationList generationList;
    std::string error;
    ASSERT_TRUE(parseGenerationList(first.read(list), generationList, error)) << error;
    DecompileOptions options;
    options.names = &names;
    options.list = withList ? &generationList : nullptr;
    DecompileResult expected = decompileSkn(decodeSkn(skn).root, options);
    ASSERT_TRUE(expected.ok) << expected.error;
    EXPECT_EQ(second.read("decompiled.txt"), expected.description);
    for (const std::string& image : expected.imageFiles) {
      second.write(hostPath(image), withList ? first.read(hostPath(image)) : "");
    }

    ASSERT_EQ(runProcess(KORVANE_BINARY, {"decompiled.txt", skin}, second).exitCode, 0);
    std::string again = second.read(skin + ".skn");
    ASSERT_EQ(firstSknDifference(skn, again), std::string::npos)
        << "sizes " << skn.size() << " and " << again.size();
    if (withList) {
      EXPECT_EQ(second.read(list), first.read(list));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleSkin,
                         ::testing::Values(std::make_pair("DemoSkin.txt", "_MIFList.txt"),
                                           std::make_pair("NormalSkin.txt", "_MBMList.txt")));

TEST(ExampleSkins, TwoCompilesDifferOnlyInTheTimeStamp) {
  TempDir first;
  TempDir second;
  copyExamples(first);
  copyExamples(second);
  ASSERT_EQ(runProcess(KORVANE_BINARY, {"DemoSkin.txt", "DemoSkin"}, first).exitCode, 0);
  ASSERT_EQ(runProcess(KORVANE_BINARY, {"DemoSkin.txt", "DemoSkin"}, second).exitCode, 0);
  std::string a = first.read("DemoSkin.skn");
  std::string b = second.read("DemoSkin.skn");
  ASSERT_EQ(firstSknDifference(a, b), std::string::npos)
      << "sizes " << a.size() << " and " << b.size();
  EXPECT_NE(a.substr(kTimeStampStart, kTimeStampEnd - kTimeStampStart),
            b.substr(kTimeStampStart, kTimeStampEnd - kTimeStampStart));
  EXPECT_EQ(first.read("DemoSkin.pkg"), second.read("DemoSkin.pkg"));
  EXPECT_EQ(first.read("DemoSkin_MIFList.txt"), second.read("DemoSkin_MIFList.txt"));
}

}  // namespace
}  // namespace korvane
