#include "inspect/skn_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/text.h"
#include "inspect/skn_reader_test_support.h"

namespace korvane {
namespace {

using testing::SknBytes;

std::vector<uint16_t> childTypes(const SknChunk& chunk) {
  std::vector<uint16_t> types;
  for (const SknChunk& child : chunk.children) types.push_back(child.type);
  return types;
}

TEST(SknReader, MinimalNormalSkinDecodesHeaderAndTopLevelChunks) {
  std::string bytes = testing::minimalNormalSkin();
  SknDecodeResult result = decodeSkn(bytes);
  ASSERT_TRUE(result.ok) << result.error.describe();
  const SknChunk& root = result.root;
  EXPECT_EQ(root.size, bytes.size());
  EXPECT_EQ(root.value("packageIdLow"), 0x2000ABCDu);
  EXPECT_EQ(root.value("skinType"), 0u);
  EXPECT_EQ(root.value("appIcons"), 1u);
  EXPECT_EQ(root.value("chunkCount"), 10u);
  EXPECT_EQ(childTypes(root), (std::vector<uint16_t>{11, 2, 3, 3, 13, 18, 18, 18, 15, 15}));
  EXPECT_EQ(root.children[0].value("time"), testing::kTestTime);
  EXPECT_EQ(root.children[1].text("name"), u"Skin.mbm");
  EXPECT_EQ(root.children[1].offset, 0x4Bu);
  EXPECT_EQ(root.children[3].value("listClass"), 1u);

  std::vector<std::string> restrictions;
  for (size_t i = 4; i < root.children.size(); ++i) {
    const SknChunk& wrapper = root.children[i];
    restrictions.push_back(wrapper.restriction);
    ASSERT_EQ(wrapper.children.size(), 1u);
    EXPECT_EQ(wrapper.children[0].type, kSknItemList);
    EXPECT_EQ(wrapper.children[0].size, 14u);
  }
  EXPECT_EQ(restrictions, (std::vector<std::string>{"Orv_2_6", "Orv_2_7", "Orv_2_8", "Orv_3_0",
                                                    "LAY_W", "LAY_AH"}));
}

TEST(SknReader, EveryItemTypeDecodesWithItsFields) {
  std::string bytes = testing::everyItemSkin();
  SknDecodeResult result = decodeSkn(bytes);
  ASSERT_TRUE(result.ok) << result.error.describe();
  const SknChunk& root = result.root;
  ASSERT_EQ(root.children.size(), 15u);
  EXPECT_EQ(root.children[2].value("languageId"), 31u);
  EXPECT_EQ(root.children[3].value("ahOverrideHigh"), 6u);
  EXPECT_EQ(root.children[4].value("slot"), 2u);
  EXPECT_EQ(root.children[14].restriction, "LANG=31");
  EXPECT_EQ(root.children[14].children[0].children[0].text("text"), u"lang");

  const SknChunk& list = root.children[7];
  EXPECT_EQ(childTypes(list), (std::vector<uint16_t>{4, 5, 6, 8, 12, 16, 16, 19}));

  const SknChunk& bitmap = list.children[0];
  const SknField* id = bitmap.field("id");
  ASSERT_NE(id, nullptr);
  EXPECT_EQ(id->value, 0x10005A26u);
  EXPECT_EQ(id->minor, 0x1000u);
  EXPECT_EQ(bitmap.field("fileNumber")->note, "MIF");
  EXPECT_EQ(bitmap.value("maskIndex"), 0x4001u);
  const SknChunk& attributes = bitmap.children.at(0);
  // The flag bits 8 to 23 sit after the geometry and are joined to the low bits.
  EXPECT_EQ(attributes.value("flags"), 0x113u);
  EXPECT_EQ(attributes.field("flags")->note, "COORDS SIZE ALIGN scalable");

  const SknChunk& colours = list.children[1];
  ASSERT_EQ(colours.entries.size(), 2u);
  EXPECT_EQ(colours.entries[0].fields[0].value, 215u);
  EXPECT_EQ(colours.entries[1].fields[0].note, "RGB");
  EXPECT_EQ(colours.entries[1].fields[1].value, 0x332211u);
  EXPECT_EQ(list.children[2].entries.size(), 2u);

  const SknChunk& anim = list.children[3];
  EXPECT_EQ(anim.field("interval")->note, "default");
  EXPECT_EQ(anim.field("mode")->note, "bounce");
  ASSERT_EQ(anim.entries.size(), 1u);
  EXPECT_EQ(anim.entries[0].fields[1].value, 5u);
  EXPECT_EQ(static_cast<int16_t>(anim.entries[0].fields[2].value), -1);

  const SknChunk& effect = list.children[5].children.at(0);
  EXPECT_EQ(effect.value("output"), 0x208u);
  ASSERT_EQ(effect.params.size(), 5u);
  EXPECT_EQ(effect.params[0].name, u"Color");
  EXPECT_EQ(static_cast<int32_t>(effect.params[0].intValue), -4);
  EXPECT_EQ(effect.params[0].size, 2 + 1 + 1 + 2 + 10 + 4);
  EXPECT_EQ(effect.params[1].text, u"a\"b");
  EXPECT_EQ(effect.params[2].text, u"\x01\x02");
  EXPECT_EQ(effect.params[3].bitmapIndex, 0x4004u);
  EXPECT_EQ(effect.params[3].maskIndex, 0xFFFFFFFFu);
  EXPECT_EQ(effect.params[3].fileNumber, 1u);
  EXPECT_EQ(effect.params[4].typeCode, kSknParamNamedRef);
  EXPECT_EQ(effect.params[4].intValue, 5u);

  const SknChunk& reference = list.children[6];
  EXPECT_EQ(reference.field("refId")->minor, 0x1001u);
  EXPECT_TRUE(reference.children.empty());

  const SknChunk& animation = list.children[7];
  std::vector<std::string> lists;
  for (const SknChunk& child : animation.children) lists.push_back(child.list);
  EXPECT_EQ(lists, (std::vector<std::string>{"preprocess", "values", "sizeBoundParams"}));
  EXPECT_EQ(animation.value("morphing"), 1u);
  EXPECT_EQ(animation.value("output"), 0x104u);
  EXPECT_EQ(animation.children[2].field("second")->note, "FLAGS=W_AND_H");
  EXPECT_EQ(animation.children[1].params.at(0).intValue, 3u);
}

// The unrestricted item list of the minimal skin starts at 0x6a; its first item at 0x77.
SknError itemListError(uint32_t count, void (*items)(SknBytes&)) {
  std::string bytes = testing::minimalNormalSkin(testing::kTestTime, count, items);
  SknDecodeResult result = decodeSkn(bytes);
  EXPECT_FALSE(result.ok);
  return result.error;
}

TEST(SknReader, FaultsInsideItemsNameTheirPlace) {
  SknError error = itemListError(1, [](SknBytes& b) {
    // A bitmap item whose size reaches past the end of the list.
    size_t start = b.data.size();
    testing::bitmapItem(b);
    b.set(start, 60, 4);
  });
  EXPECT_EQ(error.describe(),
            "error at offset 0x0077 in skin file > item list > bitmap item: chunk size 60 runs "
            "past the end of its parent (ends at 0x00ad)");

  error = itemListError(1, [](SknBytes& b) {
    b.chunk(kSknBitmapItem, [](SknBytes& c) { c.id(1, 2).u32(0).u32(0).u32(0); });
  });
  EXPECT_EQ(error.path, "skin file > item list > bitmap item");
  EXPECT_EQ(error.message, "image attributes chunk missing");
  EXPECT_EQ(error.offset, 0x77u + 28);

  error = itemListError(
      1, [](SknBytes& b) { b.chunk(kSknSkinName, [](SknBytes& c) { c.u16(1).text(u"x"); }); });
  EXPECT_EQ(error.message, "chunk type 1 (skin name) does not belong in item list");

  error = itemListError(
      1, [](SknBytes& b) { b.chunk(kSknItemList, [](SknBytes& c) { c.u8(0).u32(0); }); });
  EXPECT_EQ(error.message, "chunk type 3 (item list) does not belong in item list");

  error = itemListError(1, [](SknBytes& b) {
    b.chunk(kSknColorTableItem, [](SknBytes& c) {
      c.id(1, 2).u8(3).u16(1).u32(0);  // three entries announced, one present
    });
  });
  EXPECT_EQ(error.path, "skin file > item list > colour table item");
  EXPECT_EQ(error.message, "index needs 2 bytes but only 0 are left");
}

TEST(SknReader, FaultsInParameterRecordsAndAnimationLists) {
  SknError error = itemListError(1, [](SknBytes& b) {
    b.chunk(kSknScalableItem, [](SknBytes& c) {
      c.id(1, 2).id(0, 0).layer(1).layer(1).u32(0).u16(1);
      c.chunk(kSknEffect, [](SknBytes& e) {
        e.u32(1).layer(1).layer(1).layer(1).u16(2);
        e.param(kSknParamInt, u"a", [](SknBytes& v) { v.u32(1); });
        e.param(7, u"b", [](SknBytes& v) { v.u32(1); });
      });
    });
  });
  EXPECT_EQ(error.path, "skin file > item list > scalable item > effect > parameter 2");
  EXPECT_EQ(error.message, "unknown parameter type code 7");

  error = itemListError(1, [](SknBytes& b) {
    b.chunk(kSknScalableItem, [](SknBytes& c) {
      c.id(1, 2).id(0, 0).layer(1).layer(1).u32(0).u16(1);
      c.chunk(kSknEffect, [](SknBytes& e) {
        e.u32(1).layer(1).layer(1).layer(1).u16(1);
        size_t start = e.data.size();
        e.param(kSknParamInt, u"a", [](SknBytes& v) { v.u32(1); });
        e.set(start, 40, 2);
      });
    });
  });
  EXPECT_EQ(error.path, "skin file > item list > scalable item > effect > parameter 1");
  EXPECT_NE(error.message.find("parameter record size 40 runs past the end of its chunk"),
            std::string::npos);

  error = itemListError(1, [](SknBytes& b) {
    b.chunk(kSknScalableItem, [](SknBytes& c) {
      c.id(1, 2).id(0, 0).layer(1).layer(1).u32(0).u16(1);
      c.chunk(kSknEffect, [](SknBytes& e) {
        e.u32(1).layer(1).layer(1).layer(1).u16(3);
        e.param(kSknParamString, u"s", [](SknBytes& v) { v.text(u"abc"); });
      });
    });
  });
  EXPECT_EQ(error.message, "parameter count 3 does not match the 1 parameter records that follow");

  error = itemListError(1, [](SknBytes& b) {
    b.chunk(kSknAnimationItem, [](SknBytes& c) {
      c.id(1, 2).u8(0).u8(0).u16(0).u32(0).layer(1).layer(1).u32(0);
      c.u16(2);  // two preprocess effects announced, the chunk ends instead
    });
  });
  EXPECT_EQ(error.path, "skin file > item list > animation item");
  EXPECT_EQ(error.message,
            "preprocessCount 2 does not match: the chunk ends after 0 of its chunks");

  error = itemListError(1, [](SknBytes& b) {
    b.chunk(kSknAnimationItem, [](SknBytes& c) {
      c.id(1, 2).u8(0).u8(0).u16(0).u32(0).layer(1).layer(1).u32(0);
      c.u16(0).u16(1);  // a parameter group where a command effect belongs
      c.chunk(kSknAnimationParamGroup, [](SknBytes& g) { g.u32(1).u32(0).u16(0); });
      c.u16(0).u16(0).u16(0);
    });
  });
  EXPECT_EQ(error.message,
            "chunk type 20 (animation parameter group) does not belong in animation item");
}

// The first chunk of `type` in the tree (depth first), or null.
const SknChunk* findChunk(const SknChunk& chunk, uint16_t type) {
  if (chunk.type == type) return &chunk;
  for (const SknChunk& child : chunk.children) {
    if (const SknChunk* found = findChunk(child, type)) return found;
  }
  return nullptr;
}

// Values the compiler only ever writes one way: any other is a fault, named
// at the field's offset like a size or count that disagrees.
TEST(SknReader, FixedValuesAreChecked) {
  const std::string bytes = testing::everyItemSkin();
  SknDecodeResult valid = decodeSkn(bytes);
  ASSERT_TRUE(valid.ok) << valid.error.describe();
  const SknChunk& root = valid.root;
  const SknChunk* info = findChunk(root, kSknSkinInformation);
  const SknChunk* wrapperList = findChunk(*findChunk(root, kSknRelease26Restriction), kSknItemList);
  const SknChunk* effect = findChunk(root, kSknEffect);
  const SknParam& bitmapParam = effect->params.at(3);
  ASSERT_EQ(bitmapParam.typeCode, kSknParamBitmap);

  struct Change {
    size_t offset;
    size_t width;
    uint32_t value;
    const char* message;
  };
  auto at = [&](uint16_t type, const char* field) {
    return findChunk(root, type)->field(field)->offset;
  };
  const Change changes[] = {
      {root.field("reserved1")->offset, 4, 9, "reserved1 is 9, expected 0"},
      {root.field("protect")->offset, 1, 2, "protect is 2, expected 0 or 1"},
      {root.field("appIcons")->offset, 1, 3, "appIcons is 3, expected 0 or 1"},
      {root.field("reserved2")->offset, 2, 1, "reserved2 is 1, expected 0"},
      {root.field("reserved3")->offset, 4, 1, "reserved3 is 1, expected 0"},
      {info->field("magic")->offset, 4, 0x2008E, "magic is 0x2008e, expected 0x2008d"},
      {info->field("reserved1")->offset, 4, 1, "reserved1 is 1, expected 0"},
      {info->field("reserved3")->offset, 1, 1, "reserved3 is 1, expected 0"},
      {at(kSknLanguageOverride, "flag"), 1, 0, "flag is 0, expected 1"},
      {at(kSknBitmapFileName, "fileNumber"), 4, 2, "fileNumber is 2, expected 0 (MBM) or 1 (MIF)"},
      {at(kSknBitmapItem, "fileNumber"), 4, 7, "fileNumber is 7, expected 0 (MBM) or 1 (MIF)"},
      {at(kSknItemList, "listClass"), 1, 2, "listClass is 2, expected 0 or 1"},
      {wrapperList->field("listClass")->offset, 1, 1,
       "listClass is 1, expected 0 inside a restriction wrapper"},
      {at(kSknImageAttributes, "flags") + 10, 2, 2, "flags bits 8 to 23 are 2, expected 0 or 1"},
      {at(kSknImageAttributes, "reserved"), 4, 5, "reserved is 5, expected 0"},
      {at(kSknBmpAnimItem, "flash"), 1, 2, "flash is 2, expected 0 or 1"},
      {at(kSknScalableItem, "reserved"), 4, 1, "reserved is 1, expected 0"},
      {at(kSknAnimationItem, "morphing"), 1, 2, "morphing is 2, expected 0 or 1"},
      {at(kSknAnimationItem, "reserved1"), 1, 1, "reserved1 is 1, expected 0"},
      {at(kSknAnimationItem, "reserved2"), 2, 1, "reserved2 is 1, expected 0"},
      {at(kSknAnimationItem, "reserved3"), 4, 1, "reserved3 is 1, expected 0"},
      {at(kSknRelease26Restriction, "minor"), 1, 7, "minor is 7, expected 6"},
      {at(kSknRelease26Restriction, "listCount"), 4, 2, "listCount is 2, expected 1"},
      {at(kSknReleaseRestriction, "major"), 2, 0x0602,
       "release 2.6: expected 2.7, 2.8, 3.0, 3.1, 3.2 or 5.0"},
      {at(kSknReleaseRestriction, "major"), 2, 0x0105,
       "release 5.1: expected 2.7, 2.8, 3.0, 3.1, 3.2 or 5.0"},
      {at(kSknReleaseRestriction, "reserved2"), 4, 1, "reserved2 is 1, expected 0"},
      {at(kSknLayoutOrLanguageRestriction, "layout"), 2, 3,
       "layout 3 with language 0: expected layout 1 or 2 with language 0, or layout 0 with a "
       "language"},
      {at(kSknLayoutOrLanguageRestriction, "layout"), 4, 1 | 4 << 16,
       "layout 1 with language 4: expected layout 1 or 2 with language 0, or layout 0 with a "
       "language"},
      {bitmapParam.offset + 2u, 1, 1, "reserved byte is 1, expected 0"},
      {bitmapParam.offset + bitmapParam.size - 4u, 4, 2,
       "fileNumber is 2, expected 0 (MBM) or 1 (MIF)"},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.message);
    SknBytes changed;
    changed.data = bytes;
    changed.set(change.offset, change.value, change.width);
    SknDecodeResult result = decodeSkn(changed.data);
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.error.message, change.message);
    EXPECT_EQ(result.error.offset, change.offset);
  }

  SknBytes changed;
  changed.data = bytes;
  changed.set(wrapperList->field("listClass")->offset, 1, 1);
  EXPECT_EQ(decodeSkn(changed.data).error.describe(),
            format("error at offset 0x%04x in skin file > release 2.6 restriction > item list: "
                   "listClass is 1, expected 0 inside a restriction wrapper",
                   wrapperList->field("listClass")->offset));
}

// Any bytes are safe input: every cut of a valid file and every single-byte
// change decode without reading out of bounds (the sanitizer builds check).
TEST(SknReader, CutAndCorruptedFilesNeverReadOutOfBounds) {
  std::string bytes = testing::everyItemSkin();
  for (size_t length = 0; length + 1 < bytes.size(); ++length) {
    // Cut, then closed again with a trailer and a matching file size, so the
    // reader walks into the tree up to the cut.
    SknBytes cut;
    cut.data = bytes.substr(0, length) + "\xF5";
    if (cut.data.size() >= 4) cut.set(0, static_cast<uint32_t>(cut.data.size()), 4);
    SknDecodeResult result = decodeSkn(cut.data);
    EXPECT_FALSE(result.ok) << length;
    EXPECT_LE(result.error.offset, cut.data.size()) << length;
  }
  size_t decodedAnyway = 0;
  for (size_t pos = 0; pos < bytes.size(); ++pos) {
    for (uint8_t value : {0x00, 0xF5, 0xFF}) {
      std::string changed = bytes;
      changed[pos] = static_cast<char>(value);
      SknDecodeResult result = decodeSkn(changed);
      if (result.ok) ++decodedAnyway;
    }
  }
  // Changes to field values still decode; nothing else is asserted about them.
  EXPECT_GT(decodedAnyway, 0u);
}

}  // namespace
}  // namespace korvane
