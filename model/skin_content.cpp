#include "model/skin_content.h"

#include "base/diagnostics.h"
#include "base/error.h"

namespace korvane {

SkinContent::SkinContent(FileSystem& fs, Console& console) : fs_(fs), console_(console) {}

bool SkinContent::itemExists(const ItemId& id) const {
  return existingItems_.count(id) != 0;
}

bool SkinContent::itemDefined(const ItemId& id, Restriction restriction) const {
  return definedItems_.count(ItemKey{id, restriction}) != 0;
}

void SkinContent::claimItem(const ItemId& id, Restriction restriction) {
  if (!definedItems_.insert(ItemKey{id, restriction}).second) {
    throw CKrvException(kErrorContent, "Item already defined");
  }
  existingItems_.insert(id);
}

void SkinContent::addLanguageName(uint32_t languageId, const std::u16string& name) {
  if (name.size() > kMaxText)
    throw CKrvException(kErrorParse, "Skin name longer than 511 characters");
  if (languageIds_.count(languageId) != 0) {
    throw CKrvException(kErrorContent, "Name for the language ID has already been specified");
  }
  languageIds_.insert(languageId);
  names_.push_back(LanguageName{languageId, name});
}

void SkinContent::addTargetDevice(const std::u16string& device) {
  if (device.size() > kMaxTargetDevice) {
    throw CKrvException(kErrorParse, "Target device longer than 127 characters");
  }
  targetDevices_.push_back(device);
}

void SkinContent::setBitmapPath() {
  bitmapPath_.clear();
}

void SkinContent::setBitmapPath(const std::u16string& path) {
  if (path.empty() || path.back() == u'\\') {
    if (path.size() > kMaxText)
      throw CKrvException(kErrorParse, "Bitmap path longer than 511 characters");
    bitmapPath_ = path;
    return;
  }
  if (path.size() + 1 > kMaxText)
    throw CKrvException(kErrorParse, "Bitmap path longer than 511 characters");
  bitmapPath_ = path + u'\\';
  printDiagnostic(console_, Diagnostic::kNote, "Trailing backslash appended to bitmap path");
}

SkinContent::SourceKey SkinContent::sourceKey(uint32_t colorDepth,
                                              const std::u16string& fileName) const {
  return SourceKey{foldedCopy(bitmapPath_), colorDepth, foldedCopy(fileName)};
}

const BitmapSource* SkinContent::findBitmapSource(uint32_t colorDepth,
                                                  const std::u16string& fileName) const {
  auto it = sourceIndex_.find(sourceKey(colorDepth, fileName));
  return it == sourceIndex_.end() ? nullptr : &bitmapSources_[it->second];
}

BitmapSource* SkinContent::registerBitmapSource(uint32_t colorDepth, const std::u16string& fileName,
                                                uint8_t svgAnim) {
  SourceKey key = sourceKey(colorDepth, fileName);
  auto it = sourceIndex_.find(key);
  if (it != sourceIndex_.end()) return &bitmapSources_[it->second];
  if (!sourceFileExists(bitmapPath_, fileName)) {
    console_.out("NOTE: item " + narrowCopy(fileName) + " not add beacuse file not exist!!\n");
    return nullptr;
  }
  BitmapSource source;
  source.index = nextBitmapIndex_;
  source.path = bitmapPath_;
  source.colorDepth = colorDepth;
  source.fileName = fileName;
  source.svgAnim = svgAnim;
  nextBitmapIndex_ += 2;
  sourceIndex_.emplace(std::move(key), bitmapSources_.size());
  bitmapSources_.push_back(std::move(source));
  return &bitmapSources_.back();
}

bool SkinContent::sourceFileExists(const std::u16string& directory,
                                   const std::u16string& fileName) const {
  std::string joined = narrowCopy(directory) + narrowCopy(fileName);
  if (joined.size() > kMaxText) {
    throw CKrvException(kErrorParse, "Bitmap source file name longer than 511 characters");
  }
  return fs_.exists(joined);
}

const BitmapItem* SkinContent::findBitmap(const ItemId& id) const {
  auto it = firstBitmap_.find(id);
  return it == firstBitmap_.end() ? nullptr : &bitmaps_[it->second];
}

void SkinContent::addBitmap(const BitmapItem& item) {
  claimItem(item.id, item.restriction);
  firstBitmap_.emplace(item.id, bitmaps_.size());
  bitmaps_.push_back(item);
}

void SkinContent::addColorTable(const ColorTableItem& item) {
  claimItem(item.id, item.restriction);
  colorTables_.push_back(item);
}

void SkinContent::addFrame(const FrameItem& item) {
  if (itemDefined(item.id, item.restriction)) {
    throw CKrvException(kErrorContent, "Item already defined");
  }
  if (item.parts.size() != 9) throw CKrvException(kErrorContent, "Frame must have 9 elements");
  claimItem(item.id, item.restriction);
  frames_.push_back(item);
}

void SkinContent::addAppIcon(const AppIconItem& item) {
  claimItem(item.id, item.restriction);
  appIcons_.push_back(item);
}

void SkinContent::addBmpAnim(const BmpAnimItem& item) {
  claimItem(item.id, item.restriction);
  bmpAnims_.push_back(item);
}

void SkinContent::addString(const StringItem& item) {
  claimItem(item.id, item.restriction);
  strings_.push_back(item);
}

void SkinContent::addScalableItem(const ScalableItem& item) {
  claimItem(item.id, item.restriction);
  scalableItems_.push_back(item);
  scalableItems_.back().refId = ItemId{0, 0};
}

void SkinContent::addScalableRef(const ScalableItem& item) {
  claimItem(item.id, item.restriction);
  ScalableItem stored;
  stored.id = item.id;
  stored.refId = item.refId;
  stored.restriction = item.restriction;
  scalableItems_.push_back(std::move(stored));
}

void SkinContent::addAnimation(const AnimationItem& item) {
  claimItem(item.id, item.restriction);
  animations_.push_back(item);
}

}  // namespace korvane
