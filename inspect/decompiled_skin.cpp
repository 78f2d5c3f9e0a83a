#include "inspect/decompiled_skin.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/text.h"
#include "inspect/decompile_plan.h"
#include "inspect/description_text.h"
#include "inspect/item_labels.h"
#include "source/tokens.h"

namespace korvane {

namespace {

constexpr uint32_t kScalableSkin = 0x80;
constexpr uint32_t kNormalSkin = 0;
constexpr uint32_t kNormalSkinWithOverride = 0x102;
constexpr uint32_t kSkinInfoMagic = 0x0002008D;
// A quoted string holds at most as many units as the reader collects for a
// token; a target device fewer.
constexpr size_t kMaxString = SourceLexer::kMaxToken;
constexpr size_t kMaxTargetDevice = 127;

// The attribute flags a description can set, and the one every bitmap of a
// scalable skin carries.
constexpr uint32_t kAttrCoords = 0x001;
constexpr uint32_t kAttrSize = 0x002;
constexpr uint32_t kAttrAlign = 0x010;
constexpr uint32_t kAttrSettable = 0x0DF;
constexpr uint32_t kAttrScalable = 0x100;

// Release wrappers every skin has, the ones written only for items, and the
// layout wrappers after them.
constexpr Restriction kFixedReleases[] = {0x206, 0x207, 0x208, 0x300};
constexpr Restriction kOptionalReleases[] = {0x301, 0x302, 0x500};
constexpr Restriction kLayouts[] = {0x10000, 0x20000};

// Why the tree is not the work of a compile; caught by readDecompiledSkin.
struct Refusal {
  std::string reason;
};

[[noreturn]] void refuse(std::string reason) {
  throw Refusal{std::move(reason)};
}

using decompile::pairText;

uint32_t u32(const SknChunk& chunk, const char* name) {
  return static_cast<uint32_t>(chunk.value(name));
}

ItemId itemIdField(const SknChunk& chunk, const char* name) {
  const SknField* field = chunk.field(name);
  return field ? ItemId{static_cast<uint32_t>(field->value), field->minor} : ItemId{};
}

ItemId itemIdEntry(const SknEntry& entry) {
  for (const SknField& field : entry.fields) {
    if (field.name == "id") return ItemId{static_cast<uint32_t>(field.value), field.minor};
  }
  return ItemId{};
}

uint32_t entryValue(const SknEntry& entry, const char* name) {
  for (const SknField& field : entry.fields) {
    if (field.name == name) return static_cast<uint32_t>(field.value);
  }
  return 0;
}

void requireZero(const SknChunk& chunk, const char* field, const std::string& where) {
  if (chunk.value(field) != 0) {
    refuse(format("%s has %s %llu where a compile writes 0", where.c_str(), field,
                  static_cast<unsigned long long>(chunk.value(field))));
  }
}

// A text a description writes as a quoted string: no more units than the
// reader collects.
void checkQuotedText(const std::u16string& text, size_t maxUnits, const std::string& what) {
  if (text.size() > maxUnits) {
    refuse(format("%s has %zu characters; a description writes at most %zu", what.c_str(),
                  text.size(), maxUnits));
  }
}

// A layer field from "none" (0, 1) or "n/RGB", "n/A", "n/RGBA" (n, 2, 4 or 8).
bool isLayer(uint32_t value) {
  uint32_t channel = value & 0xFF;
  return value == 1 || channel == 2 || channel == 4 || channel == 8;
}

void checkLayer(uint32_t value, const std::string& where, const char* field) {
  if (!isLayer(value)) {
    refuse(format("%s has the layer 0x%04x as %s, which no layer a description writes gives",
                  where.c_str(), value, field));
  }
}

// Parameter names and size-bound names are tokens of their line.
bool isNameToken(const std::u16string& text) {
  return isTokenText(text) && text.size() <= kMaxString;
}

struct ClaimKey {
  ItemId id;
  Restriction restriction;
  friend bool operator==(const ClaimKey& a, const ClaimKey& b) {
    return a.id == b.id && a.restriction == b.restriction;
  }
};
struct ClaimKeyHash {
  size_t operator()(const ClaimKey& key) const {
    return ItemIdHash()(key.id) ^ (static_cast<size_t>(key.restriction) * 0x9E3779B97F4A7C15ull);
  }
};

bool sameChunk(const SknChunk& a, const SknChunk& b);

class Reader {
 public:
  explicit Reader(DecompiledSkin& skin) : skin_(skin) {}

  void readFile(const SknChunk& root);

 private:
  void readHeader(const SknChunk& root);
  void readSkinInfo(const SknChunk& chunk);
  void readSkinName(const SknChunk& mbmFileName);
  void readItemList(const SknChunk& list, ItemGroup& group);
  void readAppIconList(const SknChunk& list, ItemGroup& group);
  void readWrapper(const SknChunk& wrapper, Restriction expected);
  Restriction wrapperRestriction(const SknChunk& wrapper) const;
  const SknChunk& wrappedList(const SknChunk& wrapper) const;
  ItemGroup& groupFor(Restriction restriction);

  BitmapRecord readBitmap(const SknChunk& chunk) const;
  ImageAttributesRecord readAttributes(const SknChunk& item, const std::string& where) const;
  void requireEmptyAttributes(const SknChunk& item, const std::string& where, uint32_t flags) const;
  ColorTableRecord readColorTable(const SknChunk& chunk) const;
  ImageTableRecord readImageTable(const SknChunk& chunk) const;
  BmpAnimRecord readBmpAnim(const SknChunk& chunk) const;
  ScalableRecord readScalable(const SknChunk& chunk) const;
  AnimationRecord readAnimation(const SknChunk& chunk) const;
  EffectRecord readEffect(const SknChunk& chunk) const;
  ParamGroupRecord readParamGroup(const SknChunk& chunk) const;
  ParamRecord readParam(const SknParam& param, const std::string& where) const;
  void claim(const ItemGroup& group, const ItemId& id, const char* kind);

  DecompiledSkin& skin_;
  // Identifier and restriction of every item read, for the duplicate test.
  std::unordered_set<ClaimKey, ClaimKeyHash> claimed_;
  // The item list of each language's first wrapper.
  std::unordered_map<Restriction, const SknChunk*> firstLanguageList_;
  std::unordered_map<Restriction, size_t> groupIndex_;  // skin_.groups by restriction
  size_t appIconCount_ = 0;
};

void Reader::readFile(const SknChunk& root) {
  readHeader(root);
  const std::vector<SknChunk>& top = root.children;
  size_t i = 0;
  auto at = [&](uint16_t type) { return i < top.size() && top[i].type == type; };
  auto expect = [&](uint16_t type, const char* what) -> const SknChunk& {
    if (!at(type)) {
      refuse(std::string("the top-level chunks are out of order: ") + what +
             " is missing where a compile writes it");
    }
    return top[i++];
  };

  readSkinInfo(expect(kSknSkinInformation, "the skin information"));
  while (at(kSknTargetDevice)) {
    std::u16string device = top[i++].text("device");
    checkQuotedText(device, kMaxTargetDevice, "a target device");
    skin_.targetDevices.push_back(std::move(device));
  }
  while (at(kSknSkinName)) {
    const SknChunk& chunk = top[i++];
    std::u16string name = chunk.text("name");
    checkQuotedText(name, kMaxString, "a skin name");
    skin_.names.push_back(SkinName{u32(chunk, "languageId"), std::move(name)});
  }
  if (skin_.names.empty()) refuse("the skin has no name, and every description gives one");
  if (at(kSknLanguageOverride)) {
    const SknChunk& chunk = top[i++];
    skin_.ahOverrideLow = u32(chunk, "ahOverrideLow");
    skin_.ahOverrideHigh = u32(chunk, "ahOverrideHigh");
    if (u32(chunk, "flag") != 1 || skin_.ahOverrideLow == 0 || skin_.ahOverrideHigh == 0) {
      refuse("the language override chunk holds values a compile does not write");
    }
    if (skin_.scalable()) refuse("a scalable skin cannot have a language override");
    skin_.languageOverride = true;
  }
  if (at(kSknWallpaperReference)) {
    refuse("the skin has wallpaper references, which need images that a normal skin cannot hold");
  }
  readSkinName(expect(kSknBitmapFileName, "the MBM file name"));
  if (skin_.scalable()) {
    const SknChunk& mif = expect(kSknBitmapFileName, "the MIF file name");
    if (mif.value("fileNumber") != 1 || mif.text("name") != widenCopy(skin_.skinName + ".mif")) {
      refuse("the MIF file name does not match the MBM file name");
    }
  }
  skin_.groups.emplace_back();
  groupIndex_.emplace(0, 0);
  readItemList(expect(kSknItemList, "the item list"), skin_.groups[0]);
  if (!skin_.scalable()) {
    readAppIconList(expect(kSknItemList, "the application icon list"), skin_.groups[0]);
  }
  if (root.value("appIcons") != (!skin_.scalable() && appIconCount_ > 0 ? 1u : 0u)) {
    refuse("the application icon flag of the SKN header does not match the application icons");
  }

  for (Restriction release : kFixedReleases) {
    if (i >= top.size()) refuse("a release restriction wrapper is missing");
    readWrapper(top[i++], release);
  }
  for (Restriction release : kOptionalReleases) {
    if (i < top.size() && top[i].type == kSknReleaseRestriction &&
        wrapperRestriction(top[i]) == release) {
      if (wrappedList(top[i]).children.empty()) {
        refuse(
            format("the release restriction 0x%x has an empty wrapper, which a compile writes "
                   "only for items",
                   release));
      }
      readWrapper(top[i++], release);
    }
  }
  for (Restriction layout : kLayouts) {
    if (i >= top.size()) refuse("a layout restriction wrapper is missing");
    readWrapper(top[i++], layout);
  }
  for (; i < top.size(); ++i) {
    Restriction restriction = wrapperRestriction(top[i]);
    if (top[i].type != kSknLayoutOrLanguageRestriction || restriction < kFirstLanguageRestriction) {
      refuse(std::string("the top-level chunks are out of order: a ") + top[i].name() +
             " chunk follows the restriction wrappers");
    }
    readWrapper(top[i], restriction);
  }
}

void Reader::readHeader(const SknChunk& root) {
  const std::string where = "the SKN header";
  skin_.packageIdLow = u32(root, "packageIdLow");
  skin_.packageIdHigh = u32(root, "packageIdHigh");
  if (skin_.packageIdLow == 0 && skin_.packageIdHigh == 0) {
    refuse("the package identifier is 0, and a compile generates one in its place");
  }
  skin_.skinType = u32(root, "skinType");
  if (skin_.skinType != kNormalSkin && skin_.skinType != kScalableSkin &&
      skin_.skinType != kNormalSkinWithOverride) {
    refuse(format("the skin type 0x%x is not one a compile writes", skin_.skinType));
  }
  skin_.paletteScheme = u32(root, "paletteScheme");
  requireZero(root, "paletteSchemeHigh", where);
  uint32_t protect = u32(root, "protect");
  if (protect > 1)
    refuse(format("the protection byte is %u where a compile writes 0 or 1", protect));
  skin_.protect = protect == 1;
  requireZero(root, "reserved1", where);
  requireZero(root, "reserved2", where);
  requireZero(root, "reserved3", where);
}

void Reader::readSkinInfo(const SknChunk& chunk) {
  const std::string where = "the skin information";
  if (u32(chunk, "magic") != kSkinInfoMagic) {
    refuse(format("the skin information has the value 0x%x where a compile writes 0x%x",
                  u32(chunk, "magic"), kSkinInfoMagic));
  }
  requireZero(chunk, "reserved1", where);
  requireZero(chunk, "reserved2", where);
  requireZero(chunk, "reserved3", where);
  skin_.author = chunk.text("author");
  skin_.copyright = chunk.text("copyright");
  skin_.tool = chunk.text("tool");
  checkQuotedText(skin_.author, kMaxString, "the author");
  checkQuotedText(skin_.copyright, kMaxString, "the copyright");
  checkQuotedText(skin_.tool, kMaxString, "the tool");
}

// The MBM file name is the skin name of the command line and ".mbm", one unit
// per byte of the name.
void Reader::readSkinName(const SknChunk& chunk) {
  std::u16string name = chunk.text("name");
  const std::u16string suffix = u".mbm";
  if (chunk.value("fileNumber") != 0 || name.size() < suffix.size() ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
    refuse("the MBM file name chunk does not hold a skin name followed by \".mbm\"");
  }
  name.resize(name.size() - suffix.size());
  for (char16_t c : name) {
    if (c == 0 || c > 0xFF) refuse("the skin name holds a character no command line can give");
  }
  skin_.skinName = narrowCopy(name);
}

// One lookup per wrapper: a skin of many languages has one wrapper each.
ItemGroup& Reader::groupFor(Restriction restriction) {
  auto known = groupIndex_.emplace(restriction, skin_.groups.size());
  if (!known.second) return skin_.groups[known.first->second];
  ItemGroup& group = skin_.groups.emplace_back();
  group.restriction = restriction;
  return group;
}

Restriction Reader::wrapperRestriction(const SknChunk& wrapper) const {
  uint32_t major = u32(wrapper, "major");
  uint32_t minor = u32(wrapper, "minor");
  switch (wrapper.type) {
    case kSknRelease26Restriction:
      if (major != 2 || minor != 6) refuse("the release 2.6 wrapper names another release");
      return 0x206;
    case kSknReleaseRestriction:
      if ((major == 2 && minor == 6) || (major == 0 && minor == 0)) {
        refuse(format("a release wrapper names the release %u.%u, which a compile writes otherwise",
                      major, minor));
      }
      requireZero(wrapper, "reserved1", "a release wrapper");
      requireZero(wrapper, "reserved2", "a release wrapper");
      return (major << 8) | minor;
    case kSknLayoutOrLanguageRestriction: {
      uint32_t layout = u32(wrapper, "layout");
      uint32_t language = u32(wrapper, "language");
      if (layout == 0) return kFirstLanguageRestriction | language;
      if (language == 0 && (layout == 1 || layout == 2)) return layout << 16;
      refuse(format("a restriction wrapper names layout %u and language %u together", layout,
                    language));
    }
    default:
      refuse(std::string("the top-level chunks are out of order: a ") + wrapper.name() +
             " chunk stands where a restriction wrapper belongs");
  }
}

const SknChunk& Reader::wrappedList(const SknChunk& wrapper) const {
  if (wrapper.value("listCount") != 1 || wrapper.children.size() != 1) {
    refuse("a restriction wrapper holds other than one item list");
  }
  return wrapper.children[0];
}

// Compares two decoded chunks by content, wherever they stand in the file.
bool sameChunk(const SknChunk& a, const SknChunk& b) {
  auto sameFields = [](const std::vector<SknField>& x, const std::vector<SknField>& y) {
    if (x.size() != y.size()) return false;
    for (size_t i = 0; i < x.size(); ++i) {
      if (x[i].name != y[i].name || x[i].value != y[i].value || x[i].minor != y[i].minor ||
          x[i].text != y[i].text) {
        return false;
      }
    }
    return true;
  };
  if (a.type != b.type || a.size != b.size || !sameFields(a.fields, b.fields) ||
      a.entries.size() != b.entries.size() || a.params.size() != b.params.size() ||
      a.children.size() != b.children.size()) {
    return false;
  }
  for (size_t i = 0; i < a.entries.size(); ++i) {
    if (!sameFields(a.entries[i].fields, b.entries[i].fields)) return false;
  }
  for (size_t i = 0; i < a.params.size(); ++i) {
    const SknParam& p = a.params[i];
    const SknParam& q = b.params[i];
    if (p.size != q.size || p.reserved != q.reserved || p.typeCode != q.typeCode ||
        p.name != q.name || p.intValue != q.intValue || p.text != q.text ||
        p.bitmapIndex != q.bitmapIndex || p.maskIndex != q.maskIndex ||
        p.fileNumber != q.fileNumber) {
      return false;
    }
  }
  for (size_t i = 0; i < a.children.size(); ++i) {
    if (!sameChunk(a.children[i], b.children[i])) return false;
  }
  return true;
}

void Reader::readWrapper(const SknChunk& wrapper, Restriction expected) {
  Restriction restriction = wrapperRestriction(wrapper);
  if (restriction != expected) {
    refuse(format("a restriction wrapper for 0x%x stands where a compile writes the one for 0x%x",
                  restriction, expected));
  }
  const SknChunk& list = wrappedList(wrapper);
  if (restriction >= kFirstLanguageRestriction) {
    skin_.languageSections.push_back(restriction);
    // A language named by several RESTRICTION elements has one wrapper per
    // element, each with all of the language's items.
    auto first = firstLanguageList_.find(restriction);
    if (first != firstLanguageList_.end()) {
      if (!sameChunk(*first->second, list)) {
        refuse(
            format("the wrappers of the language %u hold different items, where a compile "
                   "writes the same items into each",
                   restriction & 0xFFFF));
      }
      return;
    }
    firstLanguageList_.emplace(restriction, &list);
  }
  readItemList(list, groupFor(restriction));
}

void Reader::claim(const ItemGroup& group, const ItemId& id, const char* kind) {
  if (!claimed_.insert(ClaimKey{id, group.restriction}).second) {
    refuse(format("the %s %s is defined twice under the restriction 0x%x, which a compile refuses",
                  kind, pairText(id).c_str(), group.restriction));
  }
}

void Reader::readItemList(const SknChunk& list, ItemGroup& group) {
  if (list.type != kSknItemList || list.value("listClass") != 0) {
    refuse("an item list has the wrong class for its place");
  }
  bool scalable = skin_.scalable();
  // The writer walks the kinds in this order: bitmaps, application icons
  // (scalable skins), frames, colour tables, bitmap animations, strings,
  // scalable items, animations.
  int stage = 0;
  auto advance = [&](int kindStage, const char* kind) {
    if (kindStage < stage) {
      refuse(std::string("an item list holds a ") + kind +
             " after items that a compile writes after it");
    }
    stage = kindStage;
  };
  for (const SknChunk& chunk : list.children) {
    switch (chunk.type) {
      case kSknBitmapItem: {
        advance(0, "bitmap");
        BitmapRecord bitmap = readBitmap(chunk);
        claim(group, bitmap.id, "bitmap");
        group.bitmaps.push_back(bitmap);
        break;
      }
      case kSknImageTableItem: {
        ImageTableRecord table = readImageTable(chunk);
        if (scalable && stage <= 1 && table.id.major == kApplicationIconMajor) {
          advance(1, "application icon");
          claim(group, table.id, "application icon");
          group.appIcons.push_back(std::move(table));
        } else {
          advance(2, "frame");
          if (table.parts.size() != 9) {
            refuse(format("the frame %s has %zu parts; every frame has 9",
                          pairText(table.id).c_str(), table.parts.size()));
          }
          claim(group, table.id, "frame");
          group.frames.push_back(std::move(table));
        }
        break;
      }
      case kSknColorTableItem: {
        advance(3, "colour table");
        ColorTableRecord table = readColorTable(chunk);
        claim(group, table.id, "colour table");
        group.colorTables.push_back(std::move(table));
        break;
      }
      case kSknBmpAnimItem: {
        advance(4, "bitmap animation");
        BmpAnimRecord anim = readBmpAnim(chunk);
        claim(group, anim.id, "bitmap animation");
        group.bmpAnims.push_back(std::move(anim));
        break;
      }
      case kSknStringItem: {
        advance(5, "string");
        StringRecord string{itemIdField(chunk, "id"), chunk.text("text")};
        checkQuotedText(string.text, kMaxString, "the string " + pairText(string.id));
        claim(group, string.id, "string");
        group.strings.push_back(std::move(string));
        break;
      }
      case kSknScalableItem: {
        if (!scalable) refuse("a normal skin holds a scalable item");
        advance(6, "scalable item");
        ScalableRecord item = readScalable(chunk);
        claim(group, item.id, "scalable item");
        group.scalables.push_back(std::move(item));
        break;
      }
      case kSknAnimationItem: {
        if (!scalable) refuse("a normal skin holds an animation");
        advance(7, "animation");
        AnimationRecord item = readAnimation(chunk);
        claim(group, item.id, "animation");
        group.animations.push_back(std::move(item));
        break;
      }
      default:
        break;
    }
  }
}

// Normal skins list their application icons apart, and only unrestricted
// ones; their bitmaps would need images, which a normal skin cannot hold.
void Reader::readAppIconList(const SknChunk& list, ItemGroup& group) {
  if (list.type != kSknItemList || list.value("listClass") != 1) {
    refuse("the application icon list is missing where a compile writes it");
  }
  for (const SknChunk& chunk : list.children) {
    if (chunk.type != kSknImageTableItem) {
      refuse(std::string("the application icon list holds a ") + chunk.name());
    }
    ImageTableRecord table = readImageTable(chunk);
    if (table.id.major != kApplicationIconMajor) {
      refuse("the application icon " + pairText(table.id) + " has a major an APPICON never has");
    }
    claim(group, table.id, "application icon");
    group.appIcons.push_back(std::move(table));
    ++appIconCount_;
  }
}

ImageAttributesRecord Reader::readAttributes(const SknChunk& item, const std::string& where) const {
  const SknChunk& chunk = item.children.at(0);
  requireZero(chunk, "reserved", where + "'s image attributes");
  ImageAttributesRecord a;
  a.flags = u32(chunk, "flags");
  a.align = u32(chunk, "align");
  a.x = static_cast<uint16_t>(chunk.value("x"));
  a.y = static_cast<uint16_t>(chunk.value("y"));
  a.width = static_cast<uint16_t>(chunk.value("width"));
  a.height = static_cast<uint16_t>(chunk.value("height"));
  uint32_t scalableBit = skin_.scalable() ? kAttrScalable : 0;
  bool alignKnown = false;
  for (uint32_t code : {0x09u, 0x21u, 0x11u, 0x0Cu, 0x24u, 0x14u, 0x0Au, 0x22u, 0x12u}) {
    alignKnown = alignKnown || a.align == code;
  }
  if ((a.flags & ~kAttrSettable & ~kAttrScalable) != 0 ||
      (a.flags & kAttrScalable) != scalableBit ||
      ((a.flags & kAttrCoords) == 0 && (a.x != 0 || a.y != 0)) ||
      ((a.flags & kAttrSize) == 0 && (a.width != 0 || a.height != 0)) ||
      ((a.flags & kAttrAlign) == 0 ? a.align != 0 : !alignKnown)) {
    refuse(format("%s has image attributes (flags 0x%x, align 0x%x) that no attribute tokens give",
                  where.c_str(), a.flags, a.align));
  }
  return a;
}

void Reader::requireEmptyAttributes(const SknChunk& item, const std::string& where,
                                    uint32_t flags) const {
  const SknChunk& chunk = item.children.at(0);
  for (const SknField& field : chunk.fields) {
    if (field.value != (field.name == "flags" ? flags : 0)) {
      refuse(where + " has image attributes other than the fixed ones a compile writes");
    }
  }
}

BitmapRecord Reader::readBitmap(const SknChunk& chunk) const {
  BitmapRecord bitmap;
  bitmap.id = itemIdField(chunk, "id");
  std::string where = "the bitmap " + pairText(bitmap.id);
  if (!skin_.scalable()) {
    refuse(where + " is an image in a normal skin, whose generation list refuses images");
  }
  bitmap.index = u32(chunk, "bitmapIndex");
  uint32_t mask = u32(chunk, "maskIndex");
  if (bitmap.index < kFirstImageIndex || bitmap.index % 2 != 0) {
    refuse(
        format("%s has the bitmap index 0x%x; image files are numbered from 0x4000 in steps of 2",
               where.c_str(), bitmap.index));
  }
  if (u32(chunk, "fileNumber") != 1) refuse(where + " names the wrong bitmap file");
  if (mask != kSknNoIndex && mask != bitmap.index + 1) {
    refuse(format("%s has the mask index 0x%x, which is not the one after its bitmap index",
                  where.c_str(), mask));
  }
  bitmap.masked = mask != kSknNoIndex;
  bitmap.attributes = readAttributes(chunk, where);
  return bitmap;
}

ColorTableRecord Reader::readColorTable(const SknChunk& chunk) const {
  ColorTableRecord table;
  table.id = itemIdField(chunk, "id");
  std::string where = "the colour table " + pairText(table.id);
  for (const SknEntry& entry : chunk.entries) {
    ColorEntryRecord colour{static_cast<uint16_t>(entryValue(entry, "index")),
                            entryValue(entry, "rgb")};
    // IDX= entries have no colour; RGB= entries have the index 0xFFFF and 24 bits.
    bool valid = colour.index == 0xFFFF ? (colour.rgb >> 24) == 0 : colour.rgb == 0;
    if (!valid) {
      refuse(format("%s has the entry index %u with colour 0x%x, which no entry gives",
                    where.c_str(), colour.index, colour.rgb));
    }
    table.entries.push_back(colour);
  }
  requireEmptyAttributes(chunk, where, skin_.scalable() ? kAttrScalable : 0);
  return table;
}

ImageTableRecord Reader::readImageTable(const SknChunk& chunk) const {
  ImageTableRecord table;
  table.id = itemIdField(chunk, "id");
  for (const SknEntry& entry : chunk.entries) table.parts.push_back(itemIdEntry(entry));
  requireEmptyAttributes(chunk, "the image table " + pairText(table.id), 0);
  return table;
}

BmpAnimRecord Reader::readBmpAnim(const SknChunk& chunk) const {
  BmpAnimRecord anim;
  anim.id = itemIdField(chunk, "id");
  std::string where = "the bitmap animation " + pairText(anim.id);
  anim.interval = static_cast<uint16_t>(chunk.value("interval"));
  anim.mode = static_cast<uint8_t>(chunk.value("mode"));
  anim.flash = static_cast<uint8_t>(chunk.value("flash"));
  if (anim.mode != 0 && anim.mode != 1 && anim.mode != 2 && anim.mode != 255) {
    refuse(format("%s has the mode %u, which no MODE= gives", where.c_str(), anim.mode));
  }
  if (anim.flash > 1) refuse(where + " has a flash byte other than 0 and 1");
  for (const SknEntry& entry : chunk.entries) {
    anim.frames.push_back(BmpAnimFrameRecord{itemIdEntry(entry),
                                             static_cast<uint16_t>(entryValue(entry, "time")),
                                             static_cast<uint16_t>(entryValue(entry, "posX")),
                                             static_cast<uint16_t>(entryValue(entry, "posY"))});
  }
  requireEmptyAttributes(chunk, where, 0);
  return anim;
}

ParamRecord Reader::readParam(const SknParam& param, const std::string& where) const {
  ParamRecord p;
  p.name = param.name;
  p.code = param.typeCode;
  std::string what = where + "'s parameter \"" + toUtf8(param.name) + "\"";
  if (param.reserved != 0) refuse(what + " has a reserved byte other than 0");
  if (!isNameToken(p.name)) refuse(what + " has a name no description token gives");
  switch (param.typeCode) {
    case kSknParamInt:
    case kSknParamNamedRef:
      p.intValue = param.intValue;
      break;
    case kSknParamString:
      p.text = param.text;
      if (p.text.size() > kMaxRawItems) {
        refuse(
            format("%s has %zu units; a RAW value holds at most 512", what.c_str(), p.text.size()));
      }
      break;
    case kSknParamBitmap: {
      p.bitmapIndex = param.bitmapIndex;
      p.maskIndex = param.maskIndex;
      // A missing image file leaves the index 0xFFFFFFFF and no mask.
      bool missing = p.bitmapIndex == kSknNoIndex && p.maskIndex == kSknNoIndex;
      bool source = p.bitmapIndex >= kFirstImageIndex && p.bitmapIndex % 2 == 0 &&
                    p.bitmapIndex != kSknNoIndex &&
                    (p.maskIndex == kSknNoIndex || p.maskIndex == p.bitmapIndex + 1);
      if ((!missing && !source) || param.fileNumber != 1) {
        refuse(format("%s has the bitmap index 0x%x and mask index 0x%x, which no BMP value gives",
                      what.c_str(), p.bitmapIndex, p.maskIndex));
      }
      break;
    }
    default:
      break;
  }
  return p;
}

EffectRecord Reader::readEffect(const SknChunk& chunk) const {
  EffectRecord effect;
  effect.uid = u32(chunk, "uid");
  std::string where = format("an effect 0x%x", effect.uid);
  effect.inputA = static_cast<uint16_t>(chunk.value("inputA"));
  effect.inputB = static_cast<uint16_t>(chunk.value("inputB"));
  effect.output = static_cast<uint16_t>(chunk.value("output"));
  checkLayer(effect.inputA, where, "INPUTA");
  checkLayer(effect.inputB, where, "INPUTB");
  checkLayer(effect.output, where, "OUTPUT");
  for (const SknParam& param : chunk.params) effect.params.push_back(readParam(param, where));
  return effect;
}

ScalableRecord Reader::readScalable(const SknChunk& chunk) const {
  ScalableRecord item;
  item.id = itemIdField(chunk, "id");
  std::string where = "the scalable item " + pairText(item.id);
  requireZero(chunk, "reserved", where);
  item.refId = itemIdField(chunk, "refId");
  item.input = static_cast<uint16_t>(chunk.value("input"));
  item.output = static_cast<uint16_t>(chunk.value("output"));
  // The REFIID form has no layers and no effects; the effect form no reference.
  item.reference = item.input == 0 && item.output == 0;
  if (item.reference) {
    if (!chunk.children.empty()) refuse(where + " has effects but no layers");
    return item;
  }
  if (item.refId != ItemId{0, 0}) refuse(where + " has both layers and a referenced item");
  checkLayer(item.input, where, "INPUT");
  checkLayer(item.output, where, "OUTPUT");
  for (const SknChunk& effect : chunk.children) item.effects.push_back(readEffect(effect));
  return item;
}

ParamGroupRecord Reader::readParamGroup(const SknChunk& chunk) const {
  ParamGroupRecord group;
  group.id = u32(chunk, "id");
  group.second = u32(chunk, "second");
  std::string where = format("an animation parameter group %u", group.id);
  for (const SknParam& param : chunk.params) group.params.push_back(readParam(param, where));
  return group;
}

AnimationRecord Reader::readAnimation(const SknChunk& chunk) const {
  AnimationRecord item;
  item.id = itemIdField(chunk, "id");
  std::string where = "the animation " + pairText(item.id);
  uint32_t morphing = u32(chunk, "morphing");
  if (morphing > 1) refuse(where + " has a morphing byte other than 0 and 1");
  item.morphing = morphing == 1;
  requireZero(chunk, "reserved1", where);
  requireZero(chunk, "reserved2", where);
  requireZero(chunk, "reserved3", where);
  item.input = static_cast<uint16_t>(chunk.value("input"));
  item.output = static_cast<uint16_t>(chunk.value("output"));
  checkLayer(item.input, where, "INPUT");
  checkLayer(item.output, where, "OUTPUT");
  item.minInterval = u32(chunk, "minInterval");
  for (const SknChunk& child : chunk.children) {
    if (child.list == "preprocess") {
      item.preprocess.push_back(readEffect(child));
    } else if (child.list == "commands") {
      item.commands.push_back(readEffect(child));
    } else if (child.list == "values") {
      item.values.push_back(readParamGroup(child));
    } else if (child.list == "timingModels") {
      item.timingModels.push_back(readParamGroup(child));
      if (item.timingModels.back().second != 0) refuse(where + " has a timing model with flags");
    } else if (child.list == "sizeBoundParams") {
      ParamGroupRecord group = readParamGroup(child);
      bool valid = group.second >= 1 && group.second <= 3 && group.params.size() == 1 &&
                   group.params[0].code == kSknParamInt && group.params[0].intValue == 0;
      if (!valid) refuse(where + " has a size-bound parameter no SIZEBOUNDPARAM line gives");
      item.sizeBoundParams.push_back(std::move(group));
    }
  }
  return item;
}

}  // namespace

bool readDecompiledSkin(const SknChunk& root, DecompiledSkin& skin, std::string& error) {
  skin = DecompiledSkin();
  try {
    Reader(skin).readFile(root);
  } catch (const Refusal& refusal) {
    error = refusal.reason;
    return false;
  }
  return true;
}

}  // namespace korvane
