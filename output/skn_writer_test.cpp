#include "output/skn_writer.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/memory_platform.h"
#include "inspect/skn_reader.h"

namespace korvane {
namespace {

using Bytes = std::vector<uint8_t>;

// The writer's bytes are read back with the SKN reader, the second statement
// of the format: every chunk's size must cover exactly its fields, nested
// chunks and parameter records through its 0xF5 trailer, and every count must
// match. A fault fails the test with the reader's description of it.
using Node = SknChunk;

Node decodeImage(const Bytes& b) {
  SknDecodeResult result = decodeSkn(b.data(), b.size());
  if (!result.ok) throw std::runtime_error(result.error.describe());
  return result.root;
}

uint32_t u16At(const Bytes& b, size_t at) {
  return b.at(at) | b.at(at + 1) << 8;
}
uint32_t u32At(const Bytes& b, size_t at) {
  return u16At(b, at) | u16At(b, at + 2) << 16;
}
Bytes slice(const Bytes& b, const Node& n) {
  return Bytes(b.begin() + n.offset, b.begin() + n.offset + n.size);
}

class SknWriterTest : public ::testing::Test {
 protected:
  Bytes build(const std::string& skinName = "Skin") {
    bytes = SknWriter(p.fs, p.clock).build(content, skinName);
    root = decodeImage(bytes);
    return bytes;
  }
  // The item chunks of a top-level item list, or of the list inside a wrapper.
  const std::vector<Node>& itemsOf(const Node& listOrWrapper) {
    return listOrWrapper.type == kSknItemList ? listOrWrapper.children
                                              : listOrWrapper.children.at(0).children;
  }
  std::vector<uint16_t> topTypes() {
    std::vector<uint16_t> types;
    for (const Node& n : root.children) types.push_back(n.type);
    return types;
  }
  BitmapItem bitmap(uint32_t minor, Restriction restriction = 0, uint8_t appIcon = 0) {
    BitmapItem item;
    item.id = ItemId{0x10005a26, minor};
    item.bitmapIndex = 0x4000;
    item.appIcon = appIcon;
    item.restriction = restriction;
    return item;
  }

  MemoryPlatform p;
  SkinContent content{p.fs, p.console};
  Bytes bytes;
  Node root;
};

// Throws the exception a call raised, for EXPECT on its code and message.
template <typename F>
CKrvException raised(F&& f) {
  try {
    f();
  } catch (const CKrvException& e) {
    return e;
  }
  ADD_FAILURE() << "no CKrvException raised";
  return CKrvException(-1, "");
}

TEST_F(SknWriterTest, MinimalSkinsHaveTenTopLevelChunksAndEmptyWrappers) {
  for (uint32_t type : {kSkinTypeNormal, kSkinTypeScalable}) {
    content.skinType = type;
    build();
    bool scalable = type == kSkinTypeScalable;
    EXPECT_EQ(u32At(bytes, 0), bytes.size());
    EXPECT_EQ(u32At(bytes, 38), 10u);
    EXPECT_EQ(topTypes(), (std::vector<uint16_t>{11, 2, uint16_t(scalable ? 2 : 3), 3, 13, 18, 18,
                                                 18, 15, 15}));
    // Normal: the unrestricted list (class 0) then the application icon list
    // (class 1). Scalable: the MIF file name (file number 1), then the list.
    EXPECT_EQ(bytes[root.children[2].offset + 8], scalable ? 1 : 0);
    EXPECT_EQ(bytes[root.children[3].offset + 8], scalable ? 0 : 1);
    EXPECT_EQ(root.children[3].size, 14u);
    std::vector<size_t> wrapperSizes;
    for (size_t i = 4; i < 10; ++i) wrapperSizes.push_back(root.children[i].size);
    EXPECT_EQ(wrapperSizes, (std::vector<size_t>{29, 37, 37, 37, 31, 31}));
    // The 3.0 wrapper: bytes 3 and 0, two zero words, then 1.
    EXPECT_EQ(Bytes(bytes.begin() + root.children[7].offset + 8,
                    bytes.begin() + root.children[7].offset + 22),
              (Bytes{3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(u16At(bytes, root.children[9].offset + 8), 2u);  // mirrored layout
  }
}

TEST_F(SknWriterTest, HeaderFieldsFollowEachOtherUnaligned) {
  content.packageIdLow = 0x11223344;
  content.packageIdHigh = 0x55667788;
  content.skinType = kSkinTypeLanguageOverrideAH;
  content.paletteScheme = 0xA1A2A3A4;
  content.protect = 1;
  content.addAppIcon(AppIconItem{ItemId{0x101F84B6, 7}, {}, 0});
  build();
  EXPECT_EQ(u16At(bytes, 4), 0u);
  EXPECT_EQ(u16At(bytes, 6), 1u);
  EXPECT_EQ(u32At(bytes, 8), 0x11223344u);
  EXPECT_EQ(u32At(bytes, 12), 0x55667788u);
  EXPECT_EQ(u16At(bytes, 20), 0x102u);
  EXPECT_EQ(u32At(bytes, 22), 0xA1A2A3A4u);
  EXPECT_EQ(bytes[30], 1);
  EXPECT_EQ(bytes[31], 1);
  content.skinType = kSkinTypeScalable;
  content.protect = 2;
  build();
  EXPECT_EQ(bytes[30], 0);
  EXPECT_EQ(bytes[31], 0);
}

TEST_F(SknWriterTest, SkinLevelChunks) {
  p.clock.value = 0x0123456789ABCDEFull;
  build();
  const Node& info = root.children[0];
  EXPECT_EQ(info.size, 33u);
  EXPECT_EQ(info.version, 2);
  EXPECT_EQ(u32At(bytes, info.offset + 8), 0x01234567u);
  EXPECT_EQ(u32At(bytes, info.offset + 12), 0x89ABCDEFu);
  EXPECT_EQ(u32At(bytes, info.offset + 16), 0x0002008Du);

  content.author = u"ab";
  content.tool = u"t";
  content.addTargetDevice(u"N9x");
  content.addLanguageName(0x10001, u"Fin");
  content.ahOverrideLow = 5;  // the high word is still 0: no override chunk
  build("Sk\xE9");
  EXPECT_EQ(root.children[0].size, 39u);
  EXPECT_EQ(slice(bytes, root.children[1]),
            (Bytes{0x11, 0, 0, 0, 14, 0, 1, 0, 3, 0, 'N', 0, '9', 0, 'x', 0, 0xF5}));
  EXPECT_EQ(root.children[2].type, kSknSkinName);
  EXPECT_EQ(u16At(bytes, root.children[2].offset + 8), 1u);
  // The MBM file name widens 0xE9 without sign.
  const Node& mbm = root.children[3];
  EXPECT_EQ(mbm.type, kSknBitmapFileName);
  EXPECT_EQ(u16At(bytes, mbm.offset + 12), 7u);
  EXPECT_EQ(u16At(bytes, mbm.offset + 14 + 2 * 2), 0x00E9u);

  content.ahOverrideHigh = 6;
  build();
  EXPECT_EQ(root.children[3].type, kSknLanguageOverride);
  EXPECT_EQ(u32At(bytes, 38), 13u);
}

TEST_F(SknWriterTest, WallpaperReferencesOnlyInNormalSkins) {
  content.addBitmap(bitmap(0x1180));
  content.addBitmap(bitmap(0x1180, 0x300));
  BitmapItem pinboard = bitmap(0x1009);
  pinboard.id.major = 0x1000590b;
  pinboard.bitmapIndex = 0x22;
  content.addBitmap(pinboard);
  build();
  std::vector<uint32_t> slots;
  for (const Node& n : root.children) {
    if (n.type == kSknWallpaperReference) slots.push_back(bytes[n.offset + 8]);
  }
  EXPECT_EQ(slots, (std::vector<uint32_t>{0, 1, 0, 1, 2}));
  EXPECT_EQ(u32At(bytes, 38), 15u);
  EXPECT_EQ(u32At(bytes, root.children[5].offset + root.children[5].size - 5), 0x22u);
  content.skinType = kSkinTypeScalable;
  build();
  for (const Node& n : root.children) EXPECT_NE(n.type, kSknWallpaperReference);
}

TEST_F(SknWriterTest, BitmapAndImageAttributeChunks) {
  BitmapItem masked = bitmap(1);
  masked.maskIndex = 0x4001;
  masked.attributes = ImageAttributes{kAttrScalable | kAttrCoords, -2, 3, 40, 50, 0x12};
  content.addBitmap(masked);
  BitmapItem plain = bitmap(2);
  plain.bitmapIndex = 6;
  content.addBitmap(plain);
  build();
  const std::vector<Node>& items = itemsOf(root.children[2]);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].size, 54u);
  EXPECT_EQ(u32At(bytes, items[0].offset + 16), 1u);  // the MIF file
  EXPECT_EQ(u32At(bytes, items[0].offset + 24), 0x4001u);
  EXPECT_EQ(u32At(bytes, items[1].offset + 16), 0u);
  EXPECT_EQ(u32At(bytes, items[1].offset + 24), 0xFFFFFFFFu);
  const Node& attributes = items[0].children[0];
  EXPECT_EQ(slice(bytes, attributes), (Bytes{25, 0,  0, 0,  7, 0, 2, 0, 0x01, 0x12, 0xFE, 0xFF, 3,
                                             0,  40, 0, 50, 0, 1, 0, 0, 0,    0,    0,    0xF5}));
}

TEST_F(SknWriterTest, ItemListsGroupByRestrictionInListOrder) {
  content.skinType = kSkinTypeScalable;
  content.addString(StringItem{ItemId{9, 1}, u"s", 0});
  content.addColorTable(ColorTableItem{ItemId{9, 2}, {ColorEntry{-1, 0xABCDEF}}, 0});
  content.addFrame(FrameItem{ItemId{9, 3}, std::vector<ItemId>(9), 0});
  content.addBmpAnim(BmpAnimItem{ItemId{9, 4}, -1, 1, 0, {BmpAnimFrame{{1, 2}, -1, -3, 4}}, 0});
  content.addBitmap(bitmap(5));
  content.addBitmap(bitmap(7, 0, 1));  // application icon bitmaps stay in scalable lists
  content.addAppIcon(AppIconItem{ItemId{0x101F84B6, 6}, {ItemId{1, 1}}, 0});
  content.addString(StringItem{ItemId{9, 1}, u"late", 0x500});
  content.addBitmap(bitmap(5, 0x301));
  content.addString(StringItem{ItemId{9, 1}, u"lang", 0x3001F});
  content.addBitmap(bitmap(5, 0x10000));
  content.languageRestrictions = {0x3001F, 0x30002, 0x3001F};
  build();
  std::vector<uint16_t> order;
  for (const Node& item : itemsOf(root.children[3])) order.push_back(item.type);
  EXPECT_EQ(order, (std::vector<uint16_t>{4, 4, 6, 6, 5, 8, 12}));
  // Release wrappers for 3.1 and 5.0 only, after 3.0 and before the layouts.
  std::vector<uint32_t> releases;
  for (const Node& n : root.children) {
    if (n.type == kSknReleaseRestriction)
      releases.push_back(bytes[n.offset + 8] << 8 | bytes[n.offset + 9]);
  }
  EXPECT_EQ(releases, (std::vector<uint32_t>{0x207, 0x208, 0x300, 0x301, 0x500}));
  EXPECT_EQ(u32At(bytes, 38), 15u);
  EXPECT_EQ(topTypes().at(10), kSknLayoutOrLanguageRestriction);
  EXPECT_EQ(itemsOf(root.children[8]).size(), 1u);   // 3.1
  EXPECT_EQ(itemsOf(root.children[9]).size(), 1u);   // 5.0
  EXPECT_EQ(itemsOf(root.children[10]).size(), 1u);  // LAY_W
  // Language wrappers: one per RESTRICTION element, duplicates included.
  EXPECT_EQ(u16At(bytes, root.children[12].offset + 10), 31u);
  EXPECT_EQ(itemsOf(root.children[12]).size(), 1u);
  EXPECT_EQ(itemsOf(root.children[13]).size(), 0u);
  EXPECT_EQ(slice(bytes, root.children[14]), slice(bytes, root.children[12]));

  const std::vector<Node>& items = itemsOf(root.children[3]);
  EXPECT_EQ(u16At(bytes, items[4].offset + 17), 0xFFFFu);  // colour given as RGB
  EXPECT_EQ(bytes[items[4].children[0].offset + 8], 0);    // scalable flag bits 0-7
  EXPECT_EQ(u16At(bytes, items[4].children[0].offset + 18), 1u);
  EXPECT_EQ(Bytes(bytes.begin() + items[5].offset + 16, bytes.begin() + items[5].offset + 35),
            (Bytes{0xFF, 0xFF, 1, 0, 1, 1, 0, 0, 0, 2, 0, 0, 0, 0xFF, 0xFF, 0xFD, 0xFF, 4, 0}));
}

TEST_F(SknWriterTest, ApplicationIconsOfNormalSkinsHaveTheirOwnList) {
  content.addBitmap(bitmap(1, 0, 1));
  content.addBitmap(bitmap(2));
  content.addAppIcon(AppIconItem{ItemId{0x101F84B6, 6}, {ItemId{0x10005a26, 1}}, 0});
  build();
  EXPECT_EQ(itemsOf(root.children[2]).size(), 1u);
  const std::vector<Node>& icons = itemsOf(root.children[3]);
  ASSERT_EQ(icons.size(), 2u);
  EXPECT_EQ(u32At(bytes, icons[0].offset + 12), 1u);
  EXPECT_EQ(icons[1].type, kSknImageTableItem);

  content.addBitmap(bitmap(3, 0x300, 1));
  EXPECT_EQ(raised([&] { build(); }).message, "Application icon bitmap contains restrictions");
}

TEST_F(SknWriterTest, RestrictedApplicationIconStopsANormalSkinBeforeAnyFileIsWritten) {
  content.addAppIcon(AppIconItem{ItemId{0x101F84B6, 6}, {}, 0x206});
  p.fs.addFile("out/Skin.skn", "old");
  CKrvException e =
      raised([&] { SknWriter(p.fs, p.clock).write(content, "Skin", "out\\Skin.skn"); });
  EXPECT_EQ(e.code, kErrorContent);
  EXPECT_EQ(e.message, "Application icon contains restrictions");
  EXPECT_EQ(p.fs.content("out/Skin.skn"), "old");
  content.skinType = kSkinTypeScalable;
  EXPECT_NO_THROW(build());
}

TEST_F(SknWriterTest, ScalableItemsEffectsAndParameters) {
  content.skinType = kSkinTypeScalable;
  EffectParam intParam{u"a", kParamInt, -1, 0, u"", 0, 0, -1};
  EffectParam rawParam{u"r", kParamRaw, 0, 3, u"xyz", 0, 0, -1};
  EffectParam strParam{u"r", kParamStr, 0, 0, u"xyz", 0, 0, -1};
  EffectParam bmpParam{u"b", kParamBmp, 0, 0, u"", 8, 0x4002, 0x4003};
  EffectCommand bare{0xAB, 0x208, 1, 0x102, {}};
  EffectCommand full{0xCD, 0, 0, 0, {intParam, rawParam, strParam, bmpParam}};
  content.addScalableItem(ScalableItem{ItemId{9, 1}, {}, 0x102, 0x208, {bare, full}, 0});
  content.addScalableRef(ScalableItem{ItemId{9, 2}, ItemId{9, 1}, 0, 0, {}, 0});
  AnimationItem animation;
  animation.id = ItemId{9, 3};
  animation.minInterval = 40;
  content.addAnimation(animation);
  animation.id.minor = 4;
  animation.morphing = 1;
  animation.values = {ParamGroup{7, 8, {intParam}}};
  content.addAnimation(animation);
  build();
  const std::vector<Node>& items = itemsOf(root.children[3]);
  ASSERT_EQ(items.size(), 4u);
  const Node& effect = items[0].children[0];
  EXPECT_EQ(effect.size, 21u);
  EXPECT_EQ(Bytes(bytes.begin() + effect.offset + 12, bytes.begin() + effect.offset + 18),
            (Bytes{2, 8, 0, 1, 1, 2}));
  EXPECT_EQ(Bytes(bytes.begin() + items[0].offset + 24, bytes.begin() + items[0].offset + 28),
            (Bytes{1, 2, 2, 8}));
  const Node& withParams = items[0].children[1];
  std::vector<size_t> params;
  for (const SknParam& param : withParams.params) params.push_back(param.offset);
  ASSERT_EQ(params.size(), 4u);
  EXPECT_EQ(u16At(bytes, params[0]), 12u);
  EXPECT_EQ(u32At(bytes, params[0] + 8), 0xFFFFFFFFu);
  Bytes raw(bytes.begin() + params[1], bytes.begin() + params[2]);
  Bytes str(bytes.begin() + params[2], bytes.begin() + params[3]);
  EXPECT_EQ(raw, str);
  EXPECT_EQ(raw[3], 1);
  EXPECT_EQ(u32At(bytes, params[3] + 8), 0x4002u);
  EXPECT_EQ(u32At(bytes, params[3] + 16), 1u);  // file number last
  EXPECT_EQ(u32At(bytes, items[1].offset + 16), 9u);
  EXPECT_EQ(u16At(bytes, items[1].offset + 32), 0u);
  // Animations: the morphing byte, then five u16 counts after minInterval.
  EXPECT_EQ(items[2].size, 8u + 24 + 10 + 1);
  EXPECT_EQ(u32At(bytes, items[2].offset + 28), 40u);
  EXPECT_EQ(bytes[items[3].offset + 16], 1);
  EXPECT_EQ(items[3].children.at(0).type, kSknAnimationParamGroup);
  EXPECT_EQ(u32At(bytes, items[3].children[0].offset + 12), 8u);

  EffectParam unknown = intParam;
  unknown.type = 9;
  content.addScalableItem(
      ScalableItem{ItemId{9, 5}, {}, 0, 0, {EffectCommand{1, 0, 0, 0, {unknown}}}, 0});
  CKrvException e = raised([&] { build(); });
  EXPECT_EQ(e.code, kErrorContent);
  EXPECT_EQ(e.message, "Unknown parameter type in scalable item effect");
}

TEST_F(SknWriterTest, OverfullOneByteCountIsAnInternalError) {
  content.addColorTable(ColorTableItem{ItemId{9, 1}, std::vector<ColorEntry>(256), 0});
  CKrvException e = raised([&] { build(); });
  EXPECT_EQ(e.code, kErrorInternal);
  EXPECT_NE(e.message.find("colour table entries"), std::string::npos);
}

TEST_F(SknWriterTest, PutBeyondReservedBytesIsAnInternalError) {
  SknWriter writer(p.fs, p.clock);
  writer.grow(3);
  writer.grow(-4);
  writer.put16(1);
  EXPECT_EQ(raised([&] { writer.put16(2); }).code, kErrorInternal);
}

TEST_F(SknWriterTest, SavedFileIsTheImageAndFailedWritesKeepThePreviousFile) {
  Bytes image = build();
  SknWriter(p.fs, p.clock).write(content, "Skin", "Skin.skn");
  EXPECT_EQ(p.fs.content("Skin.skn"), std::string(image.begin(), image.end()));

  struct Fault {
    const char* expected;
    void (*inject)(MemoryFileSystem&);
  };
  for (Fault fault : {
           Fault{"Can not open target binary file for writing",
                 [](MemoryFileSystem& fs) { fs.failOpenWrite.insert("Skin.skn"); }},
           Fault{"Can not write target binary file",
                 [](MemoryFileSystem& fs) { fs.failWriteBeyond["Skin.skn"] = 10; }},
           Fault{"Can not write target binary file",
                 [](MemoryFileSystem& fs) { fs.failClose.insert("Skin.skn"); }},
       }) {
    for (bool previous : {false, true}) {
      MemoryPlatform q;
      if (previous) q.fs.addFile("Skin.skn", "previous skin");
      fault.inject(q.fs);
      CKrvException e =
          raised([&] { SknWriter(q.fs, q.clock).write(content, "Skin", "Skin.skn"); });
      EXPECT_EQ(e.code, kErrorFileOpen);
      EXPECT_EQ(e.message, fault.expected);
      if (previous) {
        EXPECT_EQ(q.fs.content("Skin.skn"), "previous skin");
      } else {
        EXPECT_FALSE(q.fs.has("Skin.skn"));
      }
    }
  }
}

// A language named by many RESTRICTION elements repeats all of its items in
// each wrapper. A skin whose repeats alone would pass the 32-bit file size is
// refused before the image is built (the size field used to wrap around).
TEST_F(SknWriterTest, RepeatedLanguageWrappersBeyondTheFileSizeAreRefused) {
  for (uint32_t minor = 0; minor < 1000; ++minor) {
    content.addString(StringItem{ItemId{9, minor}, u"x", 0x30001});
  }
  content.languageRestrictions.assign(250000, 0x30001);
  CKrvException e = raised([&] { build(); });
  EXPECT_EQ(e.code, kErrorInternal);
  EXPECT_EQ(e.message, "Too many bytes for the SKN file (4750000000, at most 4294967295)");
}

}  // namespace
}  // namespace korvane
