// The decompiler on SKN files built by hand: the description a small skin
// gives, and the refusal of files that no description compiles to. Round
// trips through the compiler are tested in driver/.
#include "inspect/skn_decompiler.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/memory_platform.h"
#include "inspect/dump_command.h"
#include "inspect/element_order.h"
#include "inspect/skn_reader_test_support.h"

namespace korvane {
namespace {

using testing::SknBytes;

struct Variant {
  uint32_t packageIdLow = 0x2000ABCD;
  uint16_t skinType = 0;
  std::function<void(SknBytes&)> topLevel;  // chunks after the skin name
  std::function<void(SknBytes&)> items;     // the unrestricted list's items
  uint32_t itemCount = 0;
  std::function<void(SknBytes&)> languages;  // wrappers after the six
  uint32_t languageCount = 0;
};

std::string skinOf(const Variant& v) {
  SknBytes b;
  b.u32(0).u16(0).u16(1).u32(v.packageIdLow).u32(0).u32(0).u16(v.skinType).u32(2).u32(0);
  b.u8(0).u8(0).u16(0).u32(0).u32(0);
  testing::skinInformation(b, testing::kTestTime, u"Me");
  b.chunk(kSknSkinName, [](SknBytes& c) { c.u16(1).text(u"Tiny \"skin\""); });
  uint32_t count = 11;
  if (v.topLevel) {
    v.topLevel(b);
    ++count;
  }
  bool scalable = v.skinType == 0x80;
  testing::bitmapFileName(b, 0, u"Tiny.mbm");
  if (scalable) testing::bitmapFileName(b, 1, u"Tiny.mif");
  b.chunk(kSknItemList, [&](SknBytes& c) {
    c.u8(0).u32(v.itemCount);
    if (v.items) v.items(c);
  });
  if (!scalable) testing::itemList(b, 1, 0);
  testing::sixWrappers(b);
  if (v.languages) v.languages(b);
  return testing::finishSkn(b, count + v.languageCount);
}

void stringItem(SknBytes& b, uint32_t major, uint32_t minor, std::u16string_view text) {
  b.chunk(kSknStringItem, [&](SknBytes& c) { c.id(major, minor).text(text); });
}

void languageWrapper(SknBytes& b, uint16_t language, std::u16string_view text) {
  b.chunk(kSknLayoutOrLanguageRestriction, [&](SknBytes& c) {
    c.u16(0).u16(language).u32(1);
    c.chunk(kSknItemList, [&](SknBytes& l) {
      l.u8(0).u32(1);
      stringItem(l, 0x101FD651, 0x3800, text);
    });
  });
}

DecompileResult decompile(const std::string& bytes) {
  static ItemIdRegistry registry;
  registry.loadBuiltins();
  static ItemNames names(registry);
  SknDecodeResult decoded = decodeSkn(bytes);
  EXPECT_TRUE(decoded.ok) << decoded.error.describe();
  DecompileOptions options;
  options.names = &names;
  return decompileSkn(decoded.root, options);
}

TEST(SknDecompiler, SmallNormalSkinGivesItsDescription) {
  Variant v;
  v.itemCount = 2;
  v.items = [](SknBytes& b) {
    stringItem(b, 0x101F869E, 0x1000, u"ring.aac");
    stringItem(b, 0x101FD651, 0x3800, u"a<b>\x01");
  };
  v.languageCount = 2;
  v.languages = [](SknBytes& b) {
    languageWrapper(b, 31, u"vague");
    languageWrapper(b, 31, u"vague");
  };
  DecompileResult result = decompile(skinOf(v));
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.description,
            "/ Written by korvane-dump --source from a compiled skin: compiled with the skin name\n"
            "/ Tiny and the same image files, it gives the same SKN file (but for its time\n"
            "/ stamp) and the same generation list.\n"
            "SKINTYPE normal\n"
            "UID 0x2000ABCD\n"
            "NAME 1 \"Tiny <34>skin<34>\"\n"
            "AUTHOR \"Me\"\n"
            "PALETTE SCHEME=2\n"
            "SOUND IID=SoundRingingTone \"ring.aac\"\n"
            "STRING IID=PropertyAnimBgParam \"a<60>b><1>\"\n"
            "RESTRICTION LANG=31\n"
            "STRING IID=PropertyAnimBgParam \"vague\"\n"
            "RESTRICTION LANG=31\n");
  EXPECT_TRUE(result.imageFiles.empty());
}

TEST(SknDecompiler, FilesNoDescriptionGivesAreRefusedWithTheReason) {
  const struct {
    const char* what;
    Variant variant;
    const char* reason;
  } cases[] = {
      {"package identifier 0",
       [] {
         Variant v;
         v.packageIdLow = 0;
         return v;
       }(),
       "the package identifier is 0"},
      {"an item the registry does not name",
       [] {
         Variant v;
         v.itemCount = 1;
         v.items = [](SknBytes& b) { stringItem(b, 0x2000ABCD, 5, u"x"); };
         return v;
       }(),
       "the item (0x2000abcd,0x5) (a string) has no name in the registry that finds it; give "
       "the item ID extension list the skin was compiled with (-i)"},
      {"language wrappers that differ",
       [] {
         Variant v;
         v.languageCount = 2;
         v.languages = [](SknBytes& b) {
           languageWrapper(b, 31, u"one");
           languageWrapper(b, 31, u"two");
         };
         return v;
       }(),
       "the wrappers of the language 31 hold different items"},
      {"a wallpaper reference",
       [] {
         Variant v;
         v.topLevel = [](SknBytes& b) {
           b.chunk(kSknWallpaperReference,
                   [](SknBytes& c) { c.u8(0).text(u"Tiny.mbm").u32(0x4000); });
         };
         return v;
       }(),
       "wallpaper references"},
      {"an image without the images before it",
       [] {
         Variant v;
         v.skinType = 0x80;
         v.itemCount = 1;
         v.items = [](SknBytes& b) {
           b.chunk(kSknBitmapItem, [](SknBytes& c) {
             c.id(0x10005A26, 0x1000).u32(1).u32(0x4002).u32(0xFFFFFFFF);
             testing::imageAttributes(c, 0x100);
           });
         };
         return v;
       }(),
       "the image 0x4002 is used, but not every image before it"},
      {"a colour entry with an index and a colour",
       [] {
         Variant v;
         v.itemCount = 1;
         v.items = [](SknBytes& b) {
           b.chunk(kSknColorTableItem, [](SknBytes& c) {
             c.id(0x10005A26, 0x112C).u8(1).u16(5).u32(1);
             testing::imageAttributes(c);
           });
         };
         return v;
       }(),
       "has the entry index 5 with colour 0x1, which no entry gives"},
      {"kinds out of the writer's order",
       [] {
         Variant v;
         v.itemCount = 2;
         v.items = [](SknBytes& b) {
           stringItem(b, 0x101FD651, 0x3800, u"s");
           b.chunk(kSknColorTableItem, [](SknBytes& c) {
             c.id(0x10005A26, 0x112C).u8(0);
             testing::imageAttributes(c);
           });
         };
         return v;
       }(),
       "an item list holds a colour table after items that a compile writes after it"},
  };
  for (const auto& c : cases) {
    DecompileResult result = decompile(skinOf(c.variant));
    EXPECT_FALSE(result.ok) << c.what;
    EXPECT_NE(result.error.find(c.reason), std::string::npos) << c.what << ": " << result.error;
    EXPECT_EQ(result.error.rfind("no description compiles to this file: ", 0), 0u) << c.what;
  }
}

TEST(SknDecompiler, SourceOptionWritesTheDescriptionOrExitsWithTwo) {
  Variant good;
  Variant bad;
  bad.packageIdLow = 0;
  MemoryPlatform memory;
  memory.fs.addFile("good.skn", skinOf(good));
  memory.fs.addFile("bad.skn", skinOf(bad));
  Platform platform = memory.platform();
  const char* goodArgs[] = {"korvane-dump", "--source=good.txt", "good.skn"};
  EXPECT_EQ(runDump(3, goodArgs, platform), kDumpValid);
  ASSERT_TRUE(memory.fs.has("good.txt"));
  EXPECT_EQ(memory.fs.content("good.txt").rfind("/ Written by korvane-dump", 0), 0u);

  const char* badArgs[] = {"korvane-dump", "--source", "bad.txt", "bad.skn"};
  EXPECT_EQ(runDump(4, badArgs, platform), kDumpFormatError);
  EXPECT_FALSE(memory.fs.has("bad.txt"));
  EXPECT_EQ(memory.console.stderrText,
            "error: no description compiles to this file: the package identifier is 0, and a "
            "compile generates one in its place\n");
}

TEST(ElementOrder, ImagesAreNumberedInTurn) {
  auto need = [](std::vector<ImageRef> refs) { return imagesNeeded(refs, 0x4000); };
  EXPECT_EQ(need({}), 0x3FFEu);
  EXPECT_EQ(need({{0x4000, true}, {0x4002, true}, {0x4000, true}}), 0x3FFEu);
  // 0x4002 first needs 0x4000 numbered before the element.
  EXPECT_EQ(need({{0x4002, true}, {0x4000, true}}), 0x4000u);
  // A gap within the element: 0x4002 must come from elsewhere first.
  EXPECT_EQ(need({{0x4000, true}, {0x4004, true}}), 0x4002u);
  // A reference that may not number its file needs it numbered already.
  EXPECT_EQ(need({{0x4000, false}}), 0x4000u);
  EXPECT_EQ(need({{0x4000, true}, {0x4002, false}}), 0x4002u);
}

TEST(ElementOrder, LanguageSectionsComeInTheirOrder) {
  // Element 0 (language 5) names 0x4002 and so needs element 1 (language 7,
  // 0x4000) before it: the sections 5, 7 cannot give that, 7, 5 can.
  OrderProblem problem;
  problem.elements.resize(2);
  problem.elements[0].refs = {{0x4002, true}};
  problem.elements[0].language = 0x30005;
  problem.elements[1].refs = {{0x4000, true}};
  problem.elements[1].language = 0x30007;
  problem.sections = {0x30005, 0x30007};
  std::vector<OrderStep> steps;
  OrderFailure failure;
  EXPECT_FALSE(orderElements(problem, steps, failure));
  EXPECT_EQ(failure.element, 0u);
  EXPECT_EQ(failure.reason, "belongs to the language 5, whose RESTRICTION elements are used up");

  problem.sections = {0x30007, 0x30005};
  ASSERT_TRUE(orderElements(problem, steps, failure));
  ASSERT_EQ(steps.size(), 4u);
  EXPECT_TRUE(steps[0].section);
  EXPECT_EQ(steps[1].value, 1u);
  EXPECT_TRUE(steps[2].section);
  EXPECT_EQ(steps[3].value, 0u);
}

TEST(ElementOrder, ListsAndGeneratedIdentifiersHoldElementsBack) {
  // Elements 0 and 1 are one list, in that order; element 2 stands alone
  // and ranks first.
  OrderProblem problem;
  problem.elements.resize(3);
  problem.chains = {{0, 1}};
  problem.elements[0].chains = {0};
  problem.elements[1].chains = {0};
  problem.elements[0].rank = 1;
  problem.elements[1].rank = 2;
  problem.elements[0].firstGenerated = 0x1001;
  problem.elements[0].generatedCount = 1;
  problem.elements[1].firstGenerated = 0x1000;
  problem.elements[1].generatedCount = 1;
  std::vector<OrderStep> steps;
  OrderFailure failure;
  EXPECT_FALSE(orderElements(problem, steps, failure));
  EXPECT_EQ(failure.element, 0u);
  EXPECT_EQ(failure.reason, "generates the identifier minor 0x1001 where the next one is 0x1000");

  std::swap(problem.elements[0].firstGenerated, problem.elements[1].firstGenerated);
  ASSERT_TRUE(orderElements(problem, steps, failure));
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[0].value, 2u);
  EXPECT_EQ(steps[1].value, 0u);
  EXPECT_EQ(steps[2].value, 1u);
}

}  // namespace
}  // namespace korvane
