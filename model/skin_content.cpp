#include "model/skin_content.h"

#include <algorithm>

#include "base/diagnostics.h"
#include "base/error.h"
#include "base/expect_records.h"

namespace korvane {

namespace {

// Directory and file name narrowed to 8 bits and joined, as the file system
// is asked about them.
const std::string& joinedPath(std::u16string_view directory, std::u16string_view fileName) {
  thread_local std::string joined;
  joined.clear();
  appendNarrowed(joined, directory);
  appendNarrowed(joined, fileName);
  return joined;
}

}  // namespace

SkinContent::SkinContent(FileSystem& fs, DiagnosticSink& sink) : fs_(fs), sink_(sink) {}

uint32_t SkinContent::firstKey(const ItemId& id) const {
  return firstKeys_.find(hashOf(id), [&](uint32_t k) { return itemKeys_[k].id == id; });
}

bool SkinContent::itemExists(const ItemId& id) const {
  return firstKey(id) != kNoKey;
}

bool SkinContent::itemDefined(const ItemId& id, Restriction restriction) const {
  return definedKey(id, restriction) != kNoKey;
}

uint32_t SkinContent::definedKey(const ItemId& id, Restriction restriction) const {
  uint32_t first = firstKey(id);
  if (first == kNoKey || itemKeys_[first].restriction == restriction) return first;
  return definedKeys_.find(hashOf(id, restriction), [&](uint32_t k) {
    return itemKeys_[k].id == id && itemKeys_[k].restriction == restriction;
  });
}

Span SkinContent::definitionPlace(uint32_t key) const {
  if (key >= itemPlaces_.size()) return Span{};
  const ItemPlace& place = itemPlaces_[key];
  return Span{place.line, place.column, place.line, place.column + place.width};
}

void SkinContent::raiseAlreadyDefined(uint32_t firstKey) const {
  CKrvException error(kErrorContent, "Item already defined", DiagnosticCode::kItemAlreadyDefined);
  error.span = *definitionPlace_;
  error.related = definitionPlace(firstKey);
  if (error.related.known()) error.relatedMessage = "first defined here";
  throw error;
}

void SkinContent::expectDescriptionSize(uint64_t bytes) {
  bitmapSources_.reserve(expectRecords(bytes, 64));
  bitmaps_.reserve(expectRecords(bytes, 64));
  itemKeys_.reserve(expectRecords(bytes, 48));
  animations_.reserve(expectRecords(bytes, 512));
  scalableItems_.reserve(expectRecords(bytes, 512));
  strings_.reserve(expectRecords(bytes, 256));
}

void SkinContent::finishDefinitions() {
  finished_ = true;
  std::vector<ItemKey>().swap(itemKeys_);
  std::vector<ItemPlace>().swap(itemPlaces_);
  definedKeys_ = RecordIndex();
  firstKeys_ = RecordIndex();
  firstBitmap_ = RecordIndex();
  sourceIndex_ = RecordIndex();
  std::unordered_set<uint32_t>().swap(languageIds_);
}

void SkinContent::refuseFinished() const {
  if (finished_) throw CKrvException(kErrorInternal, "Internal: item defined after the last");
}

void SkinContent::claimItem(const ItemId& id, Restriction restriction) {
  refuseFinished();
  auto record = static_cast<uint32_t>(itemKeys_.size());
  // The first key of an identifier is found through firstKeys_ alone; only
  // the keys after it are in definedKeys_, so a new identifier costs one probe.
  uint32_t first = firstKeys_.findOrInsert(
      hashOf(id), [&](uint32_t k) { return itemKeys_[k].id == id; }, record);
  if (first != kNoKey) {
    if (itemKeys_[first].restriction == restriction) raiseAlreadyDefined(first);
    uint32_t defined = definedKeys_.findOrInsert(
        hashOf(id, restriction),
        [&](uint32_t k) {
          return itemKeys_[k].id == id && itemKeys_[k].restriction == restriction;
        },
        record);
    if (defined != kNoKey) raiseAlreadyDefined(defined);
  }
  itemKeys_.push_back(ItemKey{id, restriction});
  if (const Span& place = *definitionPlace_; place.known()) {
    auto held = [](int32_t value) { return static_cast<uint16_t>(std::clamp(value, 0, 0xFFFF)); };
    if (itemPlaces_.size() + 1 < itemKeys_.size()) {
      itemPlaces_.resize(itemKeys_.size() - 1, ItemPlace{0, 0, 0});
    }
    itemPlaces_.push_back(
        ItemPlace{place.line, held(place.column), held(place.endColumn - place.column)});
  }
}

void SkinContent::addLanguageName(uint32_t languageId, const std::u16string& name) {
  if (name.size() > kMaxText)
    throw CKrvException(kErrorParse, "Skin name longer than 511 characters");
  refuseFinished();
  if (languageIds_.count(languageId) != 0) {
    throw CKrvException(kErrorContent, "Name for the language ID has already been specified",
                        DiagnosticCode::kLanguageNameDefined);
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
  keptBitmapPath_ = std::u16string_view();
  bitmapPathHash_ = FoldedHash::kSeed;
}

void SkinContent::setBitmapPath(const std::u16string& path) {
  if (path.empty() || path.back() == u'\\') {
    if (path.size() > kMaxText)
      throw CKrvException(kErrorParse, "Bitmap path longer than 511 characters");
    bitmapPath_ = path;
  } else {
    if (path.size() + 1 > kMaxText)
      throw CKrvException(kErrorParse, "Bitmap path longer than 511 characters");
    bitmapPath_ = path + u'\\';
    report(sink_, DiagnosticCode::kTrailingBackslash, "Trailing backslash appended to bitmap path");
  }
  keptBitmapPath_ = texts_.keep(bitmapPath_);
  bitmapPathHash_ = FoldedHash::append(FoldedHash::kSeed, bitmapPath_);
}

uint64_t SkinContent::sourceHash(uint32_t colorDepth, const std::u16string& fileName) const {
  return FoldedHash::append(bitmapPathHash_ * 31 + colorDepth, fileName);
}

uint32_t SkinContent::findSourceRecord(uint64_t hash, uint32_t colorDepth,
                                       const std::u16string& fileName) const {
  return sourceIndex_.find(hash, [&](uint32_t record) {
    const BitmapSource& source = bitmapSources_[record];
    return source.colorDepth == colorDepth && equalsNoCase(source.fileName, fileName) &&
           equalsNoCase(source.path, bitmapPath_);
  });
}

const BitmapSource* SkinContent::findBitmapSource(uint32_t colorDepth,
                                                  const std::u16string& fileName) const {
  uint32_t record = findSourceRecord(sourceHash(colorDepth, fileName), colorDepth, fileName);
  return record == RecordIndex::kNone ? nullptr : &bitmapSources_[record];
}

BitmapSource* SkinContent::registerBitmapSource(uint32_t colorDepth, const std::u16string& fileName,
                                                uint8_t svgAnim) {
  refuseFinished();
  uint64_t hash = sourceHash(colorDepth, fileName);
  uint32_t record = findSourceRecord(hash, colorDepth, fileName);
  if (record != RecordIndex::kNone) return &bitmapSources_[record];
  if (!sourceFileExists(bitmapPath_, fileName)) {
    if (strictFiles_) {
      throw CKrvException(kErrorFileOpen,
                          "Image file " + joinedPath(bitmapPath_, fileName) + " not found");
    }
    report(sink_, DiagnosticCode::kMissingImageFile,
           "item " + narrowCopy(fileName) + " not add beacuse file not exist!!");
    return nullptr;
  }
  BitmapSource source;
  source.index = nextBitmapIndex_;
  source.path = keptBitmapPath_;
  source.colorDepth = colorDepth;
  source.fileName = texts_.keep(fileName);
  source.svgAnim = svgAnim;
  nextBitmapIndex_ += 2;
  sourceIndex_.insert(hash, static_cast<uint32_t>(bitmapSources_.size()));
  bitmapSources_.push_back(std::move(source));
  return &bitmapSources_.back();
}

bool SkinContent::sourceFileExists(std::u16string_view directory,
                                   std::u16string_view fileName) const {
  const std::string& path = joinedPath(directory, fileName);
  if (path.size() > kMaxText) {
    throw CKrvException(kErrorParse, "Bitmap source file name longer than 511 characters");
  }
  if (probedFiles_ != nullptr) probedFiles_->add(path);
  return imageFileExists(path);
}

// Only "no such file" is missing: a file the host cannot tell about is an error.
bool SkinContent::imageFileExists(const std::string& path) const {
  std::string reason;
  FileSystem::Presence presence = fs_.presence(path, reason);
  if (presence == FileSystem::Presence::kUnknown) {
    throw CKrvException(kErrorFileOpen, "Cannot look for image file " + path + ": " + reason);
  }
  return presence == FileSystem::Presence::kPresent;
}

void SkinContent::lookForMaskFile(const BitmapSource& source) {
  if ((!strictFiles_ && probedFiles_ == nullptr) || source.maskFileName.empty()) return;
  const std::string& path = joinedPath(source.path, source.maskFileName);
  if (probedFiles_ != nullptr) probedFiles_->add(path);
  if (strictFiles_ && !imageFileExists(path)) {
    throw CKrvException(kErrorFileOpen, "Mask file " + path + " not found");
  }
}

void SkinContent::setMaskFile(BitmapSource& source, uint32_t maskKind,
                              std::u16string_view fileName) {
  source.maskKind = maskKind;
  source.maskFileName = texts_.keep(fileName);
  lookForMaskFile(source);
}

const BitmapItem* SkinContent::findBitmap(const ItemId& id) const {
  uint32_t record = firstBitmap_.find(hashOf(id), [&](uint32_t b) { return bitmaps_[b].id == id; });
  return record == RecordIndex::kNone ? nullptr : &bitmaps_[record];
}

void SkinContent::addBitmap(const BitmapItem& item) {
  uint64_t idHash = hashOf(item.id);
  firstBitmap_.prefetch(idHash);  // loads while the item is claimed
  claimItem(item.id, item.restriction);
  firstBitmap_.findOrInsert(
      idHash, [&](uint32_t b) { return bitmaps_[b].id == item.id; },
      static_cast<uint32_t>(bitmaps_.size()));
  bitmaps_.push_back(item);
}

void SkinContent::addColorTable(const ColorTableItem& item) {
  addColorTable(ColorTableItem(item));
}

void SkinContent::addColorTable(ColorTableItem&& item) {
  claimItem(item.id, item.restriction);
  colorTables_.push_back(std::move(item));
}

void SkinContent::addFrame(const FrameItem& item) {
  addFrame(FrameItem(item));
}

void SkinContent::addFrame(FrameItem&& item) {
  if (uint32_t defined = definedKey(item.id, item.restriction); defined != kNoKey) {
    raiseAlreadyDefined(defined);
  }
  if (item.parts.size() != 9) {
    CKrvException error(kErrorContent, "Frame must have 9 elements",
                        DiagnosticCode::kFrameElements);
    error.span = *definitionPlace_;
    throw error;
  }
  claimItem(item.id, item.restriction);
  frames_.push_back(std::move(item));
}

void SkinContent::addAppIcon(const AppIconItem& item) {
  addAppIcon(AppIconItem(item));
}

void SkinContent::addAppIcon(AppIconItem&& item) {
  claimItem(item.id, item.restriction);
  appIcons_.push_back(std::move(item));
}

void SkinContent::addBmpAnim(const BmpAnimItem& item) {
  addBmpAnim(BmpAnimItem(item));
}

void SkinContent::addBmpAnim(BmpAnimItem&& item) {
  claimItem(item.id, item.restriction);
  bmpAnims_.push_back(std::move(item));
}

void SkinContent::addString(const StringItem& item) {
  addString(StringItem(item));
}

void SkinContent::addString(StringItem&& item) {
  claimItem(item.id, item.restriction);
  strings_.push_back(std::move(item));
}

void SkinContent::addScalableItem(const ScalableItem& item) {
  addScalableItem(ScalableItem(item));
}

void SkinContent::addScalableItem(ScalableItem&& item) {
  claimItem(item.id, item.restriction);
  scalableItems_.push_back(std::move(item));
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
  addAnimation(AnimationItem(item));
}

void SkinContent::addAnimation(AnimationItem&& item) {
  claimItem(item.id, item.restriction);
  animations_.push_back(std::move(item));
}

}  // namespace korvane
