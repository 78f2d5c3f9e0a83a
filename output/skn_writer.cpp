// The SKN buffer, the chunk frame, the file header and the skin-level chunks.
#include "output/skn_writer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/error.h"
#include "base/text.h"

namespace korvane {

namespace {

constexpr uint8_t kChunkTrailer = 0xF5;
constexpr uint32_t kSkinInfoMagic = 0x0002008D;

// Release wrappers written for every skin, in this order.
constexpr Restriction kFixedReleaseWrappers[] = {0x206, 0x207, 0x208, 0x300};
// Releases the parser accepts beyond those: a wrapper only when an item carries one.
constexpr Restriction kOptionalReleaseWrappers[] = {0x301, 0x302, 0x500};
// Layout wrappers written for every skin, after the release wrappers.
constexpr Restriction kLayoutWrappers[] = {0x10000, 0x20000};

// Bitmaps that the skin server also needs as wallpapers.
constexpr ItemId kWallpaperId{0x10005a26, 0x1180};
constexpr ItemId kPinboardWallpaperId{0x1000590b, 0x1009};

}  // namespace

void checkSknCount(size_t count, size_t max, const char* what) {
  if (count > max) {
    throw CKrvException(kErrorInternal, format("Too many %s for the SKN file (%zu, at most %zu)",
                                               what, count, max));
  }
}

SknWriter::SknWriter(FileSystem& fs, Clock& clock) : fs_(fs), clock_(clock) {}

void SknWriter::write(const SkinContent& content, const std::string& skinName,
                      const std::string& sknFileName) {
  buildImage(content, skinName);
  std::unique_ptr<OutputFile> file = fs_.openReplace(sknFileName);
  if (file == nullptr) {
    releaseImage();
    throw CKrvException(kErrorFileOpen, "Can not open target binary file for writing");
  }
  // A file not closed leaves the previous SKN file in place.
  bool saved = file->write(image_.get(), size_) && file->close();
  releaseImage();
  if (!saved) throw CKrvException(kErrorFileOpen, "Can not write target binary file");
}

std::vector<uint8_t> SknWriter::build(const SkinContent& content, const std::string& skinName) {
  buildImage(content, skinName);
  std::vector<uint8_t> image(image_.get(), image_.get() + size_);
  releaseImage();
  return image;
}

void SknWriter::buildImage(const SkinContent& content, const std::string& skinName) {
  content_ = &content;
  skinName_ = skinName;
  releaseImage();
  groupItemsByRestriction();
  checkRepeatedLanguageWrappers();
  reserveGuess(std::min<size_t>(estimateSize(), UINT32_MAX));

  writeHeader();
  grow(1);
  put8(kChunkTrailer);
  patch32(0, static_cast<uint32_t>(size_));

  if (cursor_ != size_) {
    throw CKrvException(kErrorInternal, "Internal binary output size does not match");
  }
  itemsByRestriction_.clear();
  content_ = nullptr;
}

void SknWriter::releaseImage() {
  image_.reset();
  size_ = 0;
  capacity_ = 0;
  cursor_ = 0;
}

// The block is left uninitialised: bytes beyond the image are never touched,
// so a generous reservation costs no memory pages.
// The guess is only a guess: when the host will not reserve that much, the
// image grows as it is written instead.
void SknWriter::reserveGuess(size_t capacity) {
  LargeBlock block(capacity);
  if (block.get() == nullptr) return;
  image_ = std::move(block);
  capacity_ = capacity;
}

void SknWriter::reserveImage(size_t capacity) {
  if (capacity <= capacity_) return;
  LargeBlock larger(capacity);
  if (larger.get() == nullptr) throw std::bad_alloc();
  if (size_ > 0) std::memcpy(larger.get(), image_.get(), size_);
  image_ = std::move(larger);
  capacity_ = capacity;
}

// A generous guess at the image size, reserved before writing: the image then
// grows in place, and reserved bytes that stay unused cost no memory pages.
// Language wrappers written more than once can make the guess short, which
// only costs a reallocation.
size_t SknWriter::estimateSize() const {
  const SkinContent& content = *content_;
  auto textBytes = [](std::u16string_view text) { return 2 * text.size(); };
  size_t size = 4096 + 4 * skinName_.size() + textBytes(content.author) +
                textBytes(content.copyright) + textBytes(content.tool);
  for (const LanguageName& name : content.names()) size += 32 + textBytes(name.name);
  for (const std::u16string& device : content.targetDevices()) size += 32 + textBytes(device);
  size += 2 * 64 * content.bitmaps().size();
  for (const ColorTableItem& item : content.colorTables()) size += 64 + 8 * item.entries.size();
  for (const FrameItem& item : content.frames()) size += 64 + 8 * item.parts.size();
  for (const AppIconItem& item : content.appIcons()) size += 64 + 8 * item.bitmaps.size();
  for (const BmpAnimItem& item : content.bmpAnims()) size += 64 + 16 * item.frames.size();
  for (const StringItem& item : content.strings()) size += 32 + textBytes(item.text);
  auto paramBytes = [&](const std::vector<EffectParam>& params) {
    size_t bytes = 0;
    for (const EffectParam& param : params) {
      bytes += 32 + textBytes(param.name) + textBytes(param.data);
    }
    return bytes;
  };
  auto effectBytes = [&](const std::vector<EffectCommand>& effects) {
    size_t bytes = 0;
    for (const EffectCommand& effect : effects) bytes += 64 + paramBytes(effect.params);
    return bytes;
  };
  auto groupBytes = [&](const std::vector<ParamGroup>& groups) {
    size_t bytes = 0;
    for (const ParamGroup& group : groups) bytes += 32 + paramBytes(group.params);
    return bytes;
  };
  for (const ScalableItem& item : content.scalableItems()) size += 64 + effectBytes(item.effects);
  for (const AnimationItem& item : content.animations()) {
    size += 128 + effectBytes(item.preprocess) + effectBytes(item.commands) +
            groupBytes(item.values) + groupBytes(item.timingModels) +
            groupBytes(item.sizeBoundParams);
  }
  return size + size / 4;
}

// The SKN file gives its size in 32 bits: the image never grows beyond that.
void SknWriter::growImage(size_t count) {
  checkSknCount(size_ + count, UINT32_MAX, "bytes");
  reserveImage(std::min<size_t>(std::max(2 * capacity_, size_ + count), UINT32_MAX));
}

void SknWriter::raiseBeyondReserved() {
  throw CKrvException(kErrorInternal, "Internal binary output written beyond its reserved size");
}

size_t SknWriter::beginChunk(uint16_t type, uint16_t version) {
  size_t start = cursor_;
  grow(8);
  put32(0);
  put16(type);
  put16(version);
  return start;
}

void SknWriter::endChunk(size_t start) {
  grow(1);
  put8(kChunkTrailer);
  size_t size = cursor_ - start;
  checkSknCount(size, UINT32_MAX, "bytes in one chunk");
  patch32(start, static_cast<uint32_t>(size));
}

void SknWriter::patch16(size_t position, size_t value, const char* what) {
  checkSknCount(value, UINT16_MAX, what);
  size_t end = cursor_;
  cursor_ = position;
  put16(static_cast<uint32_t>(value));
  cursor_ = end;
}

void SknWriter::patch32(size_t position, uint32_t value) {
  size_t end = cursor_;
  cursor_ = position;
  put32(value);
  cursor_ = end;
}

void SknWriter::putCountedText(std::u16string_view text) {
  checkSknCount(text.size(), UINT16_MAX, "units in a text");
  grow(2 + 2 * static_cast<int64_t>(text.size()));
  put16(static_cast<uint32_t>(text.size()));
  checkRoom(2 * text.size());
  uint8_t* out = image_.get() + cursor_;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  // The units lie in memory as the file holds them.
  if (!text.empty()) std::memcpy(out, text.data(), 2 * text.size());
#else
  for (char16_t unit : text) {
    *out++ = static_cast<uint8_t>(unit & 0xFF);
    *out++ = static_cast<uint8_t>(unit >> 8);
  }
#endif
  cursor_ += 2 * text.size();
}

void SknWriter::putCountedName(std::string_view name) {
  // Each byte becomes one unit, without sign: 0xE9 is written as 0x00E9.
  putCountedText(widenCopy(name));
}

void SknWriter::writeHeader() {
  const SkinContent& content = *content_;
  grow(8);
  put32(0);
  put16(kSknSkinFile);
  put16(1);
  grow(22);
  put32(content.packageIdLow);
  put32(content.packageIdHigh);
  put32(0);
  put16(content.skinType & 0xFFFF);
  put32(content.paletteScheme);
  put32(content.paletteSchemeHigh);
  grow(1);
  put8(content.protect == 1 ? 1 : 0);
  grow(1);
  put8(!content.isScalable() && !content.appIcons().empty() ? 1 : 0);
  grow(6);
  put16(0);
  put32(0);
  grow(4);
  size_t countPosition = cursor_;
  put32(0);

  uint32_t chunks = 0;
  writeSkinInfo();
  ++chunks;
  for (const std::u16string& device : content.targetDevices()) {
    writeTargetDevice(device);
    ++chunks;
  }
  for (const LanguageName& name : content.names()) {
    writeSkinName(name);
    ++chunks;
  }
  if (content.ahOverrideLow != 0 && content.ahOverrideHigh != 0) {
    writeLanguageOverride();
    ++chunks;
  }
  if (!content.isScalable()) chunks += writeWallpaperReferences();
  writeBitmapFileName(0, ".mbm");
  ++chunks;
  if (content.isScalable()) {
    writeBitmapFileName(1, ".mif");
    ++chunks;
  }
  writeItemList(0);
  ++chunks;
  if (!content.isScalable()) {
    writeAppIconList();
    ++chunks;
  }
  for (Restriction release : kFixedReleaseWrappers) {
    writeRestrictionWrapper(release);
    ++chunks;
  }
  for (Restriction release : kOptionalReleaseWrappers) {
    if (!hasItems(release)) continue;
    writeRestrictionWrapper(release);
    ++chunks;
  }
  for (Restriction layout : kLayoutWrappers) {
    writeRestrictionWrapper(layout);
    ++chunks;
  }
  for (uint32_t language : content.languageRestrictions) {
    writeRestrictionWrapper(language);
    ++chunks;
  }
  patch32(countPosition, chunks);
}

void SknWriter::writeSkinInfo() {
  const SkinContent& content = *content_;
  uint64_t now = clock_.now();
  size_t start = beginChunk(kSknSkinInformation, 2);
  grow(16);
  put32(static_cast<uint32_t>(now >> 32));
  put32(static_cast<uint32_t>(now));
  put32(kSkinInfoMagic);
  put32(0);
  putCountedText(content.author);
  putCountedText(content.copyright);
  grow(2);
  put8(0);
  put8(0);
  putCountedText(content.tool);
  endChunk(start);
}

void SknWriter::writeTargetDevice(const std::u16string& device) {
  size_t start = beginChunk(kSknTargetDevice, 1);
  putCountedText(device);
  endChunk(start);
}

void SknWriter::writeSkinName(const LanguageName& name) {
  size_t start = beginChunk(kSknSkinName, 1);
  grow(2);
  put16(name.languageId & 0xFFFF);
  putCountedText(name.name);
  endChunk(start);
}

void SknWriter::writeLanguageOverride() {
  size_t start = beginChunk(kSknLanguageOverride, 1);
  grow(9);
  put8(1);
  put32(content_->ahOverrideLow);
  put32(content_->ahOverrideHigh);
  endChunk(start);
}

uint32_t SknWriter::writeWallpaperReferences() {
  uint32_t written = 0;
  for (const BitmapItem& bitmap : content_->bitmaps()) {
    if (bitmap.id == kWallpaperId) {
      writeWallpaperReference(0, bitmap.bitmapIndex);
      writeWallpaperReference(1, bitmap.bitmapIndex);
      written += 2;
    } else if (bitmap.id == kPinboardWallpaperId) {
      writeWallpaperReference(2, bitmap.bitmapIndex);
      written += 1;
    }
  }
  return written;
}

void SknWriter::writeWallpaperReference(uint8_t slot, uint32_t bitmapIndex) {
  size_t start = beginChunk(kSknWallpaperReference, 1);
  grow(1);
  put8(slot);
  putCountedName(skinName_ + ".mbm");
  grow(4);
  put32(bitmapIndex);
  endChunk(start);
}

void SknWriter::writeBitmapFileName(uint32_t fileNumber, const char* extension) {
  size_t start = beginChunk(kSknBitmapFileName, 1);
  grow(4);
  put32(fileNumber);
  putCountedName(skinName_ + extension);
  endChunk(start);
}

}  // namespace korvane
