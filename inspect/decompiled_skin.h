// A compiled skin taken apart for the decompiler: the skin-level settings and
// every item, grouped by restriction, read from the decoded SKN tree. Every
// value that the writer derives rather than copies (fixed fields, counts,
// file numbers, the order of chunks and wrappers) is checked against what a
// compile would have written, so that what is left is what a description
// must reproduce.
#ifndef KORVANE_INSPECT_DECOMPILED_SKIN_H
#define KORVANE_INSPECT_DECOMPILED_SKIN_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/item_id.h"
#include "inspect/skn_reader.h"

namespace korvane {

// The bitmap index of the first image file: the n-th file has the index
// 0x4000 + 2n, its mask the odd index after it.
constexpr uint32_t kFirstImageIndex = 0x4000;
// Restrictions from this one on are languages.
constexpr Restriction kFirstLanguageRestriction = 0x30000;

// The number of the image file of a bitmap index (0 for 0x4000), and back.
constexpr uint32_t imageNumber(uint32_t index) {
  return (index - kFirstImageIndex) / 2;
}
constexpr uint32_t imageIndex(size_t number) {
  return kFirstImageIndex + 2 * static_cast<uint32_t>(number);
}

struct ImageAttributesRecord {
  uint32_t flags = 0;
  uint32_t align = 0;
  // Low 16 bits, as the file holds them.
  uint16_t x = 0;
  uint16_t y = 0;
  uint16_t width = 0;
  uint16_t height = 0;
};

struct BitmapRecord {
  ItemId id;
  uint32_t index = 0;
  bool masked = false;
  ImageAttributesRecord attributes;
};

struct ColorEntryRecord {
  uint16_t index = 0;
  uint32_t rgb = 0;
};

struct ColorTableRecord {
  ItemId id;
  std::vector<ColorEntryRecord> entries;
};

// Frames and application icons: an identifier and the identifiers of its images.
struct ImageTableRecord {
  ItemId id;
  std::vector<ItemId> parts;
};

struct BmpAnimFrameRecord {
  ItemId id;
  uint16_t time = 0xFFFF;
  uint16_t posX = 0;
  uint16_t posY = 0;
};

struct BmpAnimRecord {
  ItemId id;
  uint16_t interval = 0xFFFF;
  uint8_t mode = 0;
  uint8_t flash = 0;
  std::vector<BmpAnimFrameRecord> frames;
};

struct StringRecord {
  ItemId id;
  std::u16string text;
};

struct ParamRecord {
  std::u16string name;
  uint8_t code = 0;       // the file type code: INT, STR or RAW, BMP, NAMEDREF
  uint32_t intValue = 0;  // INT and NAMEDREF
  std::u16string text;    // STR text or RAW items
  uint32_t bitmapIndex = 0;
  uint32_t maskIndex = kSknNoIndex;

  // A BMP value whose image file existed.
  bool namesImage() const { return code == kSknParamBitmap && bitmapIndex != kSknNoIndex; }
};

// A layer field: the layer number in the high byte, the channel code in the low.
struct EffectRecord {
  uint32_t uid = 0;
  uint16_t inputA = 0;
  uint16_t inputB = 0;
  uint16_t output = 0;
  std::vector<ParamRecord> params;
};

struct ParamGroupRecord {
  uint32_t id = 0;
  uint32_t second = 0;
  std::vector<ParamRecord> params;
};

struct ScalableRecord {
  ItemId id;
  bool reference = false;  // the REFIID form
  ItemId refId;
  uint16_t input = 0;
  uint16_t output = 0;
  std::vector<EffectRecord> effects;
};

struct AnimationRecord {
  ItemId id;
  bool morphing = false;
  uint16_t input = 0;
  uint16_t output = 0;
  uint32_t minInterval = 0;
  std::vector<EffectRecord> preprocess;
  std::vector<EffectRecord> commands;
  std::vector<ParamGroupRecord> values;
  std::vector<ParamGroupRecord> timingModels;
  std::vector<ParamGroupRecord> sizeBoundParams;
};

// The items of one restriction, each kind in the order the description
// defined them.
struct ItemGroup {
  Restriction restriction = 0;
  std::vector<BitmapRecord> bitmaps;
  std::vector<ImageTableRecord> appIcons;
  std::vector<ImageTableRecord> frames;
  std::vector<ColorTableRecord> colorTables;
  std::vector<BmpAnimRecord> bmpAnims;
  std::vector<StringRecord> strings;
  std::vector<ScalableRecord> scalables;
  std::vector<AnimationRecord> animations;
};

struct SkinName {
  uint32_t languageId = 0;
  std::u16string name;
};

struct DecompiledSkin {
  uint32_t packageIdLow = 0;
  uint32_t packageIdHigh = 0;
  uint32_t skinType = 0;
  uint32_t paletteScheme = 0;
  bool protect = false;
  std::u16string author;
  std::u16string copyright;
  std::u16string tool;
  std::vector<std::u16string> targetDevices;
  std::vector<SkinName> names;
  bool languageOverride = false;
  uint32_t ahOverrideLow = 0;
  uint32_t ahOverrideHigh = 0;
  // The skin name of the compile, as the bitmap file names carry it.
  std::string skinName;
  // The unrestricted items first, then one group per release, layout and
  // language restriction that holds items (or has a wrapper of its own), in
  // the order of their wrappers. In a normal skin the application icons are
  // those of the unrestricted group.
  std::vector<ItemGroup> groups;
  // The language restriction of every language wrapper, in file order: one
  // RESTRICTION element each.
  std::vector<Restriction> languageSections;

  bool scalable() const { return skinType == 0x80; }
};

// False, with `error` saying what no description can produce, for a tree
// that is not the work of a compile.
bool readDecompiledSkin(const SknChunk& root, DecompiledSkin& skin, std::string& error);

}  // namespace korvane

#endif
