// SKN item lists, restriction wrappers and the graphic and text item chunks.
#include <unordered_map>

#include "base/error.h"
#include "output/skn_writer.h"

namespace korvane {

namespace {

constexpr uint8_t kListClassItems = 0;
constexpr uint8_t kListClassAppIcons = 1;

constexpr Restriction kRelease26 = 0x206;
constexpr Restriction kFirstLayout = 0x10000;
constexpr Restriction kFirstLanguage = 0x30000;

uint32_t fileNumberOf(uint32_t bitmapIndex) {
  return bitmapIndex >= kFirstBitmapIndex ? 1 : 0;
}

}  // namespace

// Walks the model's lists once, in the order every class-0 item list writes
// them, so that each list (and each repeated language wrapper) only visits
// its own items.
void SknWriter::groupItemsByRestriction() {
  const SkinContent& content = *content_;
  bool scalable = content.isScalable();
  itemsByRestriction_.clear();
  auto add = [this](ItemKind kind, const auto& records) {
    for (size_t i = 0; i < records.size(); ++i) {
      itemsByRestriction_[records[i].restriction].push_back(ItemRef{kind, i});
    }
  };
  for (size_t i = 0; i < content.bitmaps().size(); ++i) {
    const BitmapItem& bitmap = content.bitmaps()[i];
    // In a normal skin application icon bitmaps go to the application icon list only.
    if (bitmap.appIcon == 0 || scalable) {
      itemsByRestriction_[bitmap.restriction].push_back(ItemRef{ItemKind::kBitmap, i});
    }
  }
  if (scalable) add(ItemKind::kAppIcon, content.appIcons());
  add(ItemKind::kFrame, content.frames());
  add(ItemKind::kColorTable, content.colorTables());
  add(ItemKind::kBmpAnim, content.bmpAnims());
  add(ItemKind::kString, content.strings());
  if (scalable) {
    add(ItemKind::kScalable, content.scalableItems());
    add(ItemKind::kAnimation, content.animations());
  }
}

// A language named by n RESTRICTION elements gets n wrappers, each holding
// all of its items, so a description of a few hundred kilobytes can ask for
// gigabytes. Every item chunk takes at least kSmallestItemChunk bytes (a
// string item with an empty text).
void SknWriter::checkRepeatedLanguageWrappers() const {
  constexpr uint64_t kSmallestItemChunk = 19;
  std::unordered_map<Restriction, uint64_t> wrappers;
  for (Restriction language : content_->languageRestrictions) ++wrappers[language];
  uint64_t bytes = 0;
  for (const auto& [language, count] : wrappers) {
    auto it = itemsByRestriction_.find(language);
    if (it != itemsByRestriction_.end()) bytes += count * it->second.size() * kSmallestItemChunk;
  }
  checkSknCount(bytes, UINT32_MAX, "bytes");
}

bool SknWriter::hasItems(Restriction restriction) const {
  auto it = itemsByRestriction_.find(restriction);
  return it != itemsByRestriction_.end() && !it->second.empty();
}

void SknWriter::writeItemList(Restriction restriction) {
  size_t start = beginChunk(kSknItemList, 1);
  grow(5);
  put8(kListClassItems);
  size_t countPosition = cursor_;
  put32(0);
  uint32_t count = 0;
  auto it = itemsByRestriction_.find(restriction);
  if (it != itemsByRestriction_.end()) {
    for (const ItemRef& ref : it->second) {
      writeItem(ref);
      ++count;
    }
  }
  patch32(countPosition, count);
  endChunk(start);
}

void SknWriter::writeAppIconList() {
  const SkinContent& content = *content_;
  size_t start = beginChunk(kSknItemList, 1);
  grow(5);
  put8(kListClassAppIcons);
  size_t countPosition = cursor_;
  put32(0);
  uint32_t count = 0;
  for (const BitmapItem& bitmap : content.bitmaps()) {
    if (bitmap.appIcon != 1) continue;
    if (bitmap.restriction != 0) {
      throw CKrvException(kErrorContent, "Application icon bitmap contains restrictions");
    }
    writeBitmap(bitmap);
    ++count;
  }
  for (const AppIconItem& icon : content.appIcons()) {
    if (icon.restriction != 0) {
      throw CKrvException(kErrorContent, "Application icon contains restrictions");
    }
    writeImageTable(icon.id, icon.bitmaps);
    ++count;
  }
  patch32(countPosition, count);
  endChunk(start);
}

void SknWriter::writeRestrictionWrapper(Restriction restriction) {
  size_t start;
  if (restriction == kRelease26) {
    start = beginChunk(kSknRelease26Restriction, 1);
    grow(6);
    put8(2);
    put8(6);
    put32(1);
  } else if (restriction < kFirstLayout) {
    start = beginChunk(kSknReleaseRestriction, 1);
    grow(14);
    put8((restriction >> 8) & 0xFF);
    put8(restriction & 0xFF);
    put32(0);
    put32(0);
    put32(1);
  } else {
    start = beginChunk(kSknLayoutOrLanguageRestriction, 1);
    grow(8);
    if (restriction < kFirstLanguage) {
      put16(restriction >> 16);
      put16(0);
    } else {
      put16(0);
      put16(restriction & 0xFFFF);
    }
    put32(1);
  }
  writeItemList(restriction);
  endChunk(start);
}

void SknWriter::writeItem(const ItemRef& ref) {
  const SkinContent& content = *content_;
  switch (ref.kind) {
    case ItemKind::kBitmap:
      writeBitmap(content.bitmaps()[ref.index]);
      break;
    case ItemKind::kAppIcon: {
      const AppIconItem& icon = content.appIcons()[ref.index];
      writeImageTable(icon.id, icon.bitmaps);
      break;
    }
    case ItemKind::kFrame: {
      const FrameItem& frame = content.frames()[ref.index];
      writeImageTable(frame.id, frame.parts);
      break;
    }
    case ItemKind::kColorTable:
      writeColorTable(content.colorTables()[ref.index]);
      break;
    case ItemKind::kBmpAnim:
      writeBmpAnim(content.bmpAnims()[ref.index]);
      break;
    case ItemKind::kString:
      writeString(content.strings()[ref.index]);
      break;
    case ItemKind::kScalable:
      writeScalableItem(content.scalableItems()[ref.index]);
      break;
    case ItemKind::kAnimation:
      writeAnimation(content.animations()[ref.index]);
      break;
  }
}

void SknWriter::writeBitmap(const BitmapItem& item) {
  size_t start = beginChunk(kSknBitmapItem, 1);
  grow(20);
  put32(item.id.major);
  put32(item.id.minor);
  put32(fileNumberOf(item.bitmapIndex));
  put32(item.bitmapIndex);
  put32(static_cast<uint32_t>(item.maskIndex));
  writeImageAttributes(item.attributes);
  endChunk(start);
}

void SknWriter::writeColorTable(const ColorTableItem& item) {
  checkSknCount(item.entries.size(), UINT8_MAX, "colour table entries");
  size_t start = beginChunk(kSknColorTableItem, 1);
  grow(9);
  put32(item.id.major);
  put32(item.id.minor);
  put8(static_cast<uint32_t>(item.entries.size()));
  for (const ColorEntry& entry : item.entries) {
    grow(6);
    put16(static_cast<uint32_t>(entry.index) & 0xFFFF);
    put32(entry.rgb);
  }
  ImageAttributes attributes;
  attributes.flags = content_->isScalable() ? kAttrScalable : 0;
  writeImageAttributes(attributes);
  endChunk(start);
}

void SknWriter::writeImageTable(const ItemId& id, const std::vector<ItemId>& ids) {
  checkSknCount(ids.size(), UINT8_MAX, "item IDs in an image table");
  size_t start = beginChunk(kSknImageTableItem, 1);
  grow(9);
  put32(id.major);
  put32(id.minor);
  put8(static_cast<uint32_t>(ids.size()));
  for (const ItemId& part : ids) {
    grow(8);
    put32(part.major);
    put32(part.minor);
  }
  writeImageAttributes(ImageAttributes());
  endChunk(start);
}

void SknWriter::writeBmpAnim(const BmpAnimItem& item) {
  checkSknCount(item.frames.size(), UINT8_MAX, "bitmap animation frames");
  size_t start = beginChunk(kSknBmpAnimItem, 1);
  grow(13);
  put32(item.id.major);
  put32(item.id.minor);
  put16(static_cast<uint32_t>(item.interval) & 0xFFFF);
  put8(item.mode & 0xFF);
  put8(item.flash & 0xFF);
  put8(static_cast<uint32_t>(item.frames.size()));
  for (const BmpAnimFrame& frame : item.frames) {
    grow(14);
    put32(frame.id.major);
    put32(frame.id.minor);
    put16(static_cast<uint32_t>(frame.time) & 0xFFFF);
    put16(static_cast<uint32_t>(frame.posX) & 0xFFFF);
    put16(static_cast<uint32_t>(frame.posY) & 0xFFFF);
  }
  writeImageAttributes(ImageAttributes());
  endChunk(start);
}

void SknWriter::writeImageAttributes(const ImageAttributes& attributes) {
  size_t start = beginChunk(kSknImageAttributes, 2);
  grow(16);
  put8(attributes.flags & 0xFF);
  put8(attributes.align & 0xFF);
  put16(static_cast<uint32_t>(attributes.x) & 0xFFFF);
  put16(static_cast<uint32_t>(attributes.y) & 0xFFFF);
  put16(static_cast<uint32_t>(attributes.width) & 0xFFFF);
  put16(static_cast<uint32_t>(attributes.height) & 0xFFFF);
  put16((attributes.flags >> 8) & 0xFFFF);
  put32(0);
  endChunk(start);
}

void SknWriter::writeString(const StringItem& item) {
  size_t start = beginChunk(kSknStringItem, 1);
  grow(8);
  put32(item.id.major);
  put32(item.id.minor);
  putCountedText(item.text);
  endChunk(start);
}

}  // namespace korvane
