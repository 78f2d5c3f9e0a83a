// SkinContent: the rules its operations enforce (one item per identifier and
// restriction across all item lists, nine frame parts, one name per language),
// the bitmap sources and their indices, and copies taken on add.
#include "model/skin_content.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/memory_platform.h"

namespace korvane {
namespace {

const std::string kBackslashNote = "NOTE: Trailing backslash appended to bitmap path\n";

class SkinContentTest : public ::testing::Test {
 protected:
  // A failed call must raise exactly this code and message.
  template <typename F>
  void expectError(F&& call, int32_t code, const std::string& message) {
    try {
      call();
      ADD_FAILURE() << "no error, expected \"" << message << "\"";
    } catch (const CKrvException& e) {
      EXPECT_EQ(e.code, code);
      EXPECT_EQ(e.message, message);
    }
  }

  size_t itemCount() const {
    return content.bitmaps().size() + content.colorTables().size() + content.frames().size() +
           content.appIcons().size() + content.bmpAnims().size() + content.strings().size() +
           content.scalableItems().size() + content.animations().size();
  }

  MemoryFileSystem fs;
  MemoryConsole console;
  SkinContent content{fs, console};
};

FrameItem frameWith(ItemId id, size_t parts, Restriction restriction = 0) {
  FrameItem frame;
  frame.id = id;
  frame.restriction = restriction;
  for (uint32_t i = 0; i < parts; ++i) frame.parts.push_back(ItemId{0x10005A26, 0x2000 + i});
  return frame;
}

// One way to add an item of each of the eight kinds.
using AddItem = std::function<void(SkinContent&, ItemId, Restriction)>;
struct Kind {
  const char* name;
  AddItem add;
};

std::vector<Kind> allKinds() {
  return {
      {"bitmap",
       [](SkinContent& c, ItemId id, Restriction r) {
         BitmapItem item;
         item.id = id;
         item.restriction = r;
         c.addBitmap(item);
       }},
      {"colour table",
       [](SkinContent& c, ItemId id, Restriction r) {
         ColorTableItem item;
         item.id = id;
         item.restriction = r;
         c.addColorTable(item);
       }},
      {"frame", [](SkinContent& c, ItemId id, Restriction r) { c.addFrame(frameWith(id, 9, r)); }},
      {"application icon",
       [](SkinContent& c, ItemId id, Restriction r) {
         AppIconItem item;
         item.id = id;
         item.restriction = r;
         c.addAppIcon(item);
       }},
      {"bitmap animation",
       [](SkinContent& c, ItemId id, Restriction r) {
         BmpAnimItem item;
         item.id = id;
         item.restriction = r;
         c.addBmpAnim(item);
       }},
      {"string",
       [](SkinContent& c, ItemId id, Restriction r) {
         StringItem item;
         item.id = id;
         item.restriction = r;
         c.addString(item);
       }},
      {"scalable item",
       [](SkinContent& c, ItemId id, Restriction r) {
         ScalableItem item;
         item.id = id;
         item.restriction = r;
         c.addScalableItem(item);
       }},
      {"scalable reference",
       [](SkinContent& c, ItemId id, Restriction r) {
         ScalableItem item;
         item.id = id;
         item.refId = ItemId{1, 2};
         item.restriction = r;
         c.addScalableRef(item);
       }},
      {"animation",
       [](SkinContent& c, ItemId id, Restriction r) {
         AnimationItem item;
         item.id = id;
         item.restriction = r;
         c.addAnimation(item);
       }},
  };
}

TEST_F(SkinContentTest, OneItemPerIdentifierAndRestrictionAcrossAllLists) {
  const ItemId id{0x10005A26, 0x1000};
  const std::vector<Kind> kinds = allKinds();
  // Each kind first claims an identifier of its own, then every kind collides
  // with it under the same restriction and is accepted under another.
  for (size_t first = 0; first < kinds.size(); ++first) {
    SkinContent c(fs, console);
    const ItemId mine{id.major, id.minor + static_cast<uint32_t>(first)};
    kinds[first].add(c, mine, 0);
    EXPECT_TRUE(c.itemExists(mine));
    EXPECT_TRUE(c.itemDefined(mine, 0));
    EXPECT_FALSE(c.itemDefined(mine, 0x400));
    for (size_t second = 0; second < kinds.size(); ++second) {
      SCOPED_TRACE(std::string(kinds[first].name) + " then " + kinds[second].name);
      expectError([&] { kinds[second].add(c, mine, 0); }, kErrorContent, "Item already defined");
    }
    for (size_t second = 0; second < kinds.size(); ++second) {
      kinds[second].add(c, mine, 0x10000 + static_cast<Restriction>(second));
    }
    // Every restriction of the identifier counts, not only its first or last.
    EXPECT_TRUE(c.itemDefined(mine, 0x10003));
    expectError([&] { kinds[first].add(c, mine, 0x10004); }, kErrorContent, "Item already defined");
    EXPECT_FALSE(c.itemExists(ItemId{mine.major + 1, mine.minor}));
    EXPECT_FALSE(c.itemExists(ItemId{mine.minor, mine.major}));
  }
  // The same identifier under distinct restrictions: unrestricted, a release,
  // a layout and a language.
  for (Restriction r : {0u, 0x301u, 0x10000u, 0x20000u, 0x30001u}) {
    kinds[0].add(content, id, r);
  }
  EXPECT_EQ(content.bitmaps().size(), 5u);
}

TEST_F(SkinContentTest, FramesNeedNinePartsAfterTheDuplicateCheck) {
  const ItemId id{0x10005A26, 0x2000};
  for (size_t parts : {0u, 1u, 8u, 10u}) {
    expectError([&] { content.addFrame(frameWith(id, parts)); }, kErrorContent,
                "Frame must have 9 elements");
  }
  // A refused frame leaves nothing behind: its identifier is still free.
  EXPECT_FALSE(content.itemExists(id));
  EXPECT_EQ(content.frames().size(), 0u);
  content.addFrame(frameWith(id, 9));
  expectError([&] { content.addFrame(frameWith(id, 8)); }, kErrorContent, "Item already defined");
  expectError([&] { content.addFrame(frameWith(id, 9)); }, kErrorContent, "Item already defined");
  EXPECT_EQ(content.frames().size(), 1u);
  EXPECT_EQ(content.frames()[0].parts.size(), 9u);
}

TEST_F(SkinContentTest, OneNamePerLanguage) {
  content.addLanguageName(1, u"English");
  content.addLanguageName(2, u"English");
  expectError([&] { content.addLanguageName(1, u"Other"); }, kErrorContent,
              "Name for the language ID has already been specified");
  ASSERT_EQ(content.names().size(), 2u);
  EXPECT_EQ(content.names()[0].languageId, 1u);
  EXPECT_EQ(content.names()[0].name, u"English");
  EXPECT_EQ(content.names()[1].languageId, 2u);
}

TEST_F(SkinContentTest, BitmapSourcesAreSharedByPathDepthAndFoldedName) {
  fs.addFile("img/a.bmp", "");
  fs.addFile("img/b.bmp", "");
  fs.addFile("other/a.bmp", "");
  content.setBitmapPath(u".\\img\\");

  BitmapSource* a = content.registerBitmapSource(8, u"a.bmp", 0);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->index, 0x4000u);
  EXPECT_EQ(a->path, u".\\img\\");
  EXPECT_EQ(a->fileName, u"a.bmp");
  EXPECT_EQ(a->colorDepth, 8u);
  EXPECT_EQ(a->maskKind, kMaskNone);
  EXPECT_EQ(a->maskFileName, u"");
  EXPECT_EQ(a->svgAnim, 0);

  // Same depth and name in another case: the same source, svgAnim untouched.
  BitmapSource* again = content.registerBitmapSource(8, u"A.BMP", 1);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->index, 0x4000u);
  EXPECT_EQ(again->fileName, u"a.bmp");
  EXPECT_EQ(again->svgAnim, 0);
  // Another depth, another file: new sources in steps of two.
  EXPECT_EQ(content.registerBitmapSource(10, u"a.bmp", 1)->index, 0x4002u);
  EXPECT_EQ(content.bitmapSources().back().svgAnim, 1);
  EXPECT_EQ(content.registerBitmapSource(8, u"b.bmp", 0)->index, 0x4004u);
  // Another path: a new source that remembers its path.
  content.setBitmapPath(u"other\\");
  BitmapSource* other = content.registerBitmapSource(8, u"a.bmp", 0);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->index, 0x4006u);
  EXPECT_EQ(other->path, u"other\\");
  // Back on the first path (in another case), the first source again.
  content.setBitmapPath(u".\\IMG\\");
  EXPECT_EQ(content.registerBitmapSource(8, u"a.bmp", 0)->index, 0x4000u);
  EXPECT_EQ(content.findBitmapSource(10, u"A.bmp")->index, 0x4002u);
  EXPECT_EQ(content.findBitmapSource(4, u"a.bmp"), nullptr);

  EXPECT_EQ(content.bitmapSources().size(), 4u);
  EXPECT_EQ(content.nextBitmapIndex(), 0x4008u);
  // Once a source exists the file is not asked for again.
  fs.files.clear();
  EXPECT_EQ(content.registerBitmapSource(8, u"b.bmp", 0)->index, 0x4004u);
  EXPECT_EQ(console.both, "");
}

TEST_F(SkinContentTest, AMissingImageFileAddsNothing) {
  content.setBitmapPath(u".\\");
  EXPECT_EQ(content.registerBitmapSource(8, u"gone\u0141.bmp", 0), nullptr);
  EXPECT_EQ(content.registerBitmapSource(8, u"gone\u0141.bmp", 0), nullptr);
  EXPECT_EQ(console.stdoutText,
            "NOTE: item goneA.bmp not add beacuse file not exist!!\n"
            "NOTE: item goneA.bmp not add beacuse file not exist!!\n");
  EXPECT_TRUE(content.bitmapSources().empty());
  EXPECT_EQ(content.nextBitmapIndex(), 0x4000u);
  // The first source found afterwards still takes the first index.
  fs.addFile("here.bmp", "");
  EXPECT_EQ(content.registerBitmapSource(8, u"here.bmp", 0)->index, 0x4000u);
}

TEST_F(SkinContentTest, SourceFilesAreLookedUpByTheJoinedNarrowedPath) {
  fs.addFile("img/a.bmp", "");
  fs.addFile("A.bmp", "");
  fs.directories.insert("img/sub");
  EXPECT_TRUE(content.sourceFileExists(u".\\img\\", u"a.bmp"));
  EXPECT_TRUE(content.sourceFileExists(u"img\\", u"a.bmp"));
  EXPECT_TRUE(content.sourceFileExists(u"img/", u"a.bmp"));
  EXPECT_TRUE(content.sourceFileExists(u".\\img\\", u"sub"));
  EXPECT_FALSE(content.sourceFileExists(u".\\img", u"a.bmp"));
  EXPECT_FALSE(content.sourceFileExists(u".\\", u"b.bmp"));
  // Automatic path: the bare file name. Names are narrowed to their low bytes.
  EXPECT_TRUE(content.sourceFileExists(u"", u"\u0141.bmp"));
  content.setBitmapPath();
  EXPECT_EQ(content.bitmapPath(), u"");
  EXPECT_EQ(content.registerBitmapSource(8, u"A.bmp", 0)->path, u"");
  // Joined names beyond 511 characters are refused, not cut.
  EXPECT_FALSE(content.sourceFileExists(u"", std::u16string(511, u'x')));
  expectError([&] { content.sourceFileExists(u"d\\", std::u16string(510, u'x')); }, kErrorParse,
              "Bitmap source file name longer than 511 characters");
}

TEST_F(SkinContentTest, TheBitmapPathGetsABackslashOnlyWhenItNeedsOne) {
  content.setBitmapPath(u".\\");
  EXPECT_EQ(content.bitmapPath(), u".\\");
  EXPECT_EQ(console.stdoutText, "");
  content.setBitmapPath(u"");
  EXPECT_EQ(content.bitmapPath(), u"");
  EXPECT_EQ(console.stdoutText, "");
  content.setBitmapPath(u"gfx");
  EXPECT_EQ(content.bitmapPath(), u"gfx\\");
  EXPECT_EQ(console.stdoutText, kBackslashNote);
  content.setBitmapPath(u"gfx/");
  EXPECT_EQ(content.bitmapPath(), u"gfx/\\");
  EXPECT_EQ(console.stdoutText, kBackslashNote + kBackslashNote);
  // The appended backslash must still fit the path's capacity.
  content.setBitmapPath(std::u16string(510, u'p'));
  EXPECT_EQ(content.bitmapPath().size(), 511u);
  expectError([&] { content.setBitmapPath(std::u16string(511, u'p')); }, kErrorParse,
              "Bitmap path longer than 511 characters");
  EXPECT_EQ(content.bitmapPath().size(), 511u);
}

TEST_F(SkinContentTest, RecordsAreCopiedOnAdd) {
  ColorTableItem table;
  table.id = ItemId{1, 1};
  table.entries.push_back(ColorEntry{3, 0});
  content.addColorTable(table);
  table.entries.push_back(ColorEntry{-1, 0xFF});
  table.entries[0].index = 9;

  FrameItem frame = frameWith(ItemId{1, 2}, 9);
  content.addFrame(frame);
  frame.parts[0] = ItemId{7, 7};

  BmpAnimItem anim;
  anim.id = ItemId{1, 3};
  anim.frames.push_back(BmpAnimFrame{ItemId{5, 5}, 10, 0, 0});
  content.addBmpAnim(anim);
  anim.frames.clear();

  AppIconItem icon;
  icon.id = ItemId{0x101F84B6, 0x1234};
  icon.bitmaps = {ItemId{2, 1}, ItemId{2, 2}};
  content.addAppIcon(icon);
  icon.bitmaps.pop_back();

  StringItem text;
  text.id = ItemId{1, 4};
  text.text = u"ring.wav";
  content.addString(text);
  text.text = u"changed";

  ScalableItem scalable;
  scalable.id = ItemId{1, 5};
  EffectCommand effect;
  effect.uid = 0x10208CA6;
  EffectParam param;
  param.name = u"p";
  effect.params.push_back(param);
  scalable.effects.push_back(effect);
  content.addScalableItem(scalable);
  scalable.effects[0].params[0].name = u"q";
  scalable.effects.push_back(effect);

  AnimationItem animation;
  animation.id = ItemId{1, 6};
  animation.commands.push_back(effect);
  ParamGroup group;
  group.id = 1;
  animation.values.push_back(group);
  content.addAnimation(animation);
  animation.commands.clear();
  animation.values[0].id = 2;

  EXPECT_EQ(content.colorTables()[0].entries.size(), 1u);
  EXPECT_EQ(content.colorTables()[0].entries[0].index, 3);
  EXPECT_EQ(content.frames()[0].parts[0], (ItemId{0x10005A26, 0x2000}));
  EXPECT_EQ(content.bmpAnims()[0].frames.size(), 1u);
  EXPECT_EQ(content.appIcons()[0].bitmaps.size(), 2u);
  EXPECT_EQ(content.strings()[0].text, u"ring.wav");
  ASSERT_EQ(content.scalableItems()[0].effects.size(), 1u);
  EXPECT_EQ(content.scalableItems()[0].effects[0].params[0].name, u"p");
  EXPECT_EQ(content.animations()[0].commands.size(), 1u);
  EXPECT_EQ(content.animations()[0].values[0].id, 1u);
}

// The skin keeps its own copies of the texts its sources and parameters name,
// and once its definitions are finished it keeps its lists and takes no more.
TEST_F(SkinContentTest, KeptTextsOutliveTheCallersAndFinishedDefinitionsTakeNoMore) {
  fs.addFile("img/a.bmp", "");
  fs.addFile("img/m.bmp", "");
  std::u16string_view path;
  std::u16string_view name;
  BitmapSource* source;
  {
    std::u16string directory = u".\\img\\";
    std::u16string fileName = u"a.bmp";
    std::u16string text = u"kept";
    content.setBitmapPath(directory);
    source = content.registerBitmapSource(8, fileName, 0);
    ASSERT_NE(source, nullptr);
    content.setMaskFile(*source, kMaskHard, std::u16string(u"m.bmp"));
    content.setBitmapPath(u"elsewhere\\");
    path = source->path;
    name = content.keepText(text);
    text.assign(text.size(), u'x');
    fileName.assign(fileName.size(), u'x');
  }
  EXPECT_EQ(path, u".\\img\\");
  EXPECT_EQ(source->fileName, u"a.bmp");
  EXPECT_EQ(source->maskFileName, u"m.bmp");
  EXPECT_EQ(name, u"kept");

  StringItem item;
  item.id = ItemId{1, 1};
  item.text = name;
  content.addString(item);
  content.finishDefinitions();
  ASSERT_EQ(content.strings().size(), 1u);
  EXPECT_EQ(content.strings()[0].text, u"kept");
  EXPECT_EQ(content.bitmapSources().size(), 1u);
  item.id = ItemId{1, 2};
  expectError([&] { content.addString(item); }, kErrorInternal,
              "Internal: item defined after the last");
  expectError([&] { content.registerBitmapSource(8, u"a.bmp", 0); }, kErrorInternal,
              "Internal: item defined after the last");
}

TEST_F(SkinContentTest, FindBitmapReturnsTheFirstBitmapWhateverItsRestriction) {
  const ItemId id{0x10005A26, 0x1000};
  BitmapItem first;
  first.id = id;
  first.restriction = 0x301;
  first.bitmapIndex = 0x4000;
  content.addBitmap(first);
  BitmapItem second = first;
  second.restriction = 0;
  second.bitmapIndex = 0x4002;
  content.addBitmap(second);
  StringItem text;
  text.id = ItemId{0x10005A26, 0x1001};
  content.addString(text);

  ASSERT_NE(content.findBitmap(id), nullptr);
  EXPECT_EQ(content.findBitmap(id)->bitmapIndex, 0x4000u);
  EXPECT_EQ(content.findBitmap(text.id), nullptr);
  EXPECT_EQ(content.findBitmap(ItemId{0x1000, 0x10005A26}), nullptr);
  // Still the first after the list has grown.
  for (uint32_t i = 0; i < 100; ++i) {
    BitmapItem more;
    more.id = ItemId{9, i};
    content.addBitmap(more);
  }
  EXPECT_EQ(content.findBitmap(id)->bitmapIndex, 0x4000u);
  EXPECT_EQ(content.findBitmap(ItemId{9, 42}), &content.bitmaps()[44]);
}

TEST_F(SkinContentTest, TheTwoScalableFormsStoreOnlyTheirOwnFields) {
  EffectCommand effect;
  effect.uid = 0x10208CA6;
  ScalableItem effectForm;
  effectForm.id = ItemId{1, 1};
  effectForm.refId = ItemId{5, 5};
  effectForm.input = 0x102;
  effectForm.output = 0x208;
  effectForm.effects = {effect, effect};
  effectForm.restriction = 0x301;
  content.addScalableItem(effectForm);

  ScalableItem refForm = effectForm;
  refForm.id = ItemId{1, 2};
  content.addScalableRef(refForm);

  ASSERT_EQ(content.scalableItems().size(), 2u);
  const ScalableItem& storedEffect = content.scalableItems()[0];
  EXPECT_EQ(storedEffect.refId, (ItemId{0, 0}));
  EXPECT_EQ(storedEffect.input, 0x102u);
  EXPECT_EQ(storedEffect.output, 0x208u);
  EXPECT_EQ(storedEffect.effects.size(), 2u);
  EXPECT_EQ(storedEffect.restriction, 0x301u);
  const ScalableItem& storedRef = content.scalableItems()[1];
  EXPECT_EQ(storedRef.id, (ItemId{1, 2}));
  EXPECT_EQ(storedRef.refId, (ItemId{5, 5}));
  EXPECT_EQ(storedRef.input, 0u);
  EXPECT_EQ(storedRef.output, 0u);
  EXPECT_TRUE(storedRef.effects.empty());
  EXPECT_EQ(storedRef.restriction, 0x301u);
}

TEST_F(SkinContentTest, ListsKeepDefinitionOrder) {
  for (uint32_t minor : {5u, 1u, 3u}) {
    StringItem text;
    text.id = ItemId{1, minor};
    content.addString(text);
  }
  content.addTargetDevice(u"Phone B");
  content.addTargetDevice(u"Phone A");
  content.addTargetDevice(u"Phone A");
  ASSERT_EQ(content.strings().size(), 3u);
  EXPECT_EQ(content.strings()[0].id.minor, 5u);
  EXPECT_EQ(content.strings()[1].id.minor, 1u);
  EXPECT_EQ(content.strings()[2].id.minor, 3u);
  EXPECT_EQ(content.targetDevices(),
            (std::vector<std::u16string>{u"Phone B", u"Phone A", u"Phone A"}));
  EXPECT_EQ(itemCount(), 3u);
}

// One identifier may stand under every language restriction. Each add checks
// for a duplicate without walking the identifier's other restrictions: such a
// walk made a skin of 60000 language variants of one string take minutes.
TEST_F(SkinContentTest, OneIdentifierUnderEveryLanguageRestriction) {
  const ItemId id{0x101FD651, 0x3800};
  StringItem item;
  item.id = id;
  for (uint32_t language = 0; language <= 0xFFFF; ++language) {
    item.restriction = 0x30000 | language;
    content.addString(item);
  }
  EXPECT_EQ(content.strings().size(), 0x10000u);
  EXPECT_TRUE(content.itemExists(id));
  EXPECT_TRUE(content.itemDefined(id, 0x3FFFF));
  EXPECT_FALSE(content.itemDefined(id, 0));
  item.restriction = 0x30000 | 40000;
  expectError([&] { content.addString(item); }, kErrorContent, "Item already defined");
}

}  // namespace
}  // namespace korvane
