// SknWriter builds the binary SKN file of a finished skin in memory and saves it.
//
// The image is a tree of chunks (size, type, version, payload, 0xF5 trailer),
// written through a buffer that is always reserved with `grow` before it is
// filled with the puts; sizes and counts known only afterwards are
// back-patched. The whole image is built and checked before the file is
// opened, so an error while building leaves the target file untouched.
//
// The encoders live in three files: skn_writer.cpp (buffer, framing, the
// header and the skin-level chunks), skn_items.cpp (item lists, restriction
// wrappers, the graphic and text items) and skn_scalable.cpp (scalable items,
// effects, animations and effect parameters).
#ifndef KORVANE_OUTPUT_SKN_WRITER_H
#define KORVANE_OUTPUT_SKN_WRITER_H

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/large_block.h"
#include "base/platform.h"
#include "model/skin_content.h"
#include "output/skn_format.h"

namespace korvane {

class SknWriter {
 public:
  SknWriter(FileSystem& fs, Clock& clock);
  virtual ~SknWriter() = default;
  SknWriter(const SknWriter&) = delete;
  SknWriter& operator=(const SknWriter&) = delete;

  // Builds the image, then saves it to `sknFileName`, replacing the previous
  // file only once the new one is complete: a failed write or close leaves
  // the previous file as it was and raises an error.
  void write(const SkinContent& content, const std::string& skinName,
             const std::string& sknFileName);
  // Builds and checks the image without saving it.
  std::vector<uint8_t> build(const SkinContent& content, const std::string& skinName);

  // The buffer: `grow` reserves n more bytes (nothing for n <= 0), left
  // unset: the puts write little-endian values into reserved bytes at the
  // cursor and advance it, and a finished image must have its cursor at its
  // size, so every byte has been put once. A put beyond the reserved bytes
  // is an internal error.
  void grow(int64_t n) {
    if (n <= 0) return;
    auto count = static_cast<size_t>(n);
    if (capacity_ - size_ < count) growImage(count);
    size_ += count;
  }
  void put8(uint32_t value) {
    checkRoom(1);
    image_[cursor_++] = static_cast<uint8_t>(value & 0xFF);
  }
  void put16(uint32_t value) { putLittleEndian<2>(value); }
  void put32(uint32_t value) { putLittleEndian<4>(value); }

 private:
  enum class ItemKind : uint8_t {
    kBitmap,
    kAppIcon,
    kFrame,
    kColorTable,
    kBmpAnim,
    kString,
    kScalable,
    kAnimation,
  };
  struct ItemRef {
    ItemKind kind;
    size_t index;
  };

  // The image is built in image_; write() saves it from there, build()
  // hands out a copy.
  void buildImage(const SkinContent& content, const std::string& skinName);
  void releaseImage();
  void reserveImage(size_t capacity);
  void reserveGuess(size_t capacity);
  void growImage(size_t count);
  // The low `n` bytes of a value go in with one copy: a store of a byte at
  // a time may change any member for all the compiler knows, which it would
  // then read again before the next.
  template <size_t n>
  void putLittleEndian(uint32_t value) {
    checkRoom(n);
    uint8_t bytes[n];
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>((value >> (8 * i)) & 0xFF);
    std::memcpy(image_.get() + cursor_, bytes, n);
    cursor_ += n;
  }
  // Raises the internal error unless `n` reserved bytes follow the cursor.
  void checkRoom(size_t n) const {
    if (size_ - cursor_ < n || cursor_ > size_) raiseBeyondReserved();
  }
  [[noreturn]] static void raiseBeyondReserved();
  size_t estimateSize() const;
  // Refuses, before anything is written, a skin whose repeated language
  // wrappers alone would take the file beyond its 32-bit size.
  void checkRepeatedLanguageWrappers() const;

  // Framing and back-patching.
  size_t beginChunk(uint16_t type, uint16_t version);
  void endChunk(size_t start);
  void patch16(size_t position, size_t value, const char* what);
  void patch32(size_t position, uint32_t value);

  // Texts and layer fields.
  void putCountedText(std::u16string_view text);
  void putCountedName(std::string_view name);
  void putLayer(uint32_t layer);

  // Skin-level chunks (skn_writer.cpp).
  void writeHeader();
  void writeSkinInfo();
  void writeTargetDevice(const std::u16string& device);
  void writeSkinName(const LanguageName& name);
  void writeLanguageOverride();
  uint32_t writeWallpaperReferences();
  void writeWallpaperReference(uint8_t slot, uint32_t bitmapIndex);
  void writeBitmapFileName(uint32_t fileNumber, const char* extension);

  // Item lists and item chunks (skn_items.cpp).
  void groupItemsByRestriction();
  bool hasItems(Restriction restriction) const;
  void writeItemList(Restriction restriction);
  void writeAppIconList();
  void writeRestrictionWrapper(Restriction restriction);
  void writeItem(const ItemRef& ref);
  void writeBitmap(const BitmapItem& item);
  void writeColorTable(const ColorTableItem& item);
  void writeImageTable(const ItemId& id, const std::vector<ItemId>& ids);
  void writeBmpAnim(const BmpAnimItem& item);
  void writeImageAttributes(const ImageAttributes& attributes);
  void writeString(const StringItem& item);

  // Scalable items, effects and animations (skn_scalable.cpp).
  void writeScalableItem(const ScalableItem& item);
  void writeEffects(const std::vector<EffectCommand>& effects, const char* what);
  void writeEffect(const EffectCommand& effect);
  void writeAnimation(const AnimationItem& item);
  void writeParamGroups(const std::vector<ParamGroup>& groups, const char* what);
  void writeParamGroup(const ParamGroup& group);
  void writeParams(const std::vector<EffectParam>& params);
  void writeParam(const EffectParam& param);

  FileSystem& fs_;
  Clock& clock_;

  const SkinContent* content_ = nullptr;
  std::string skinName_;
  // The image: bytes [0, size_) of a block of capacity_ bytes.
  LargeBlock image_;
  size_t size_ = 0;
  size_t capacity_ = 0;
  size_t cursor_ = 0;
  // The items of each class-0 item list, in the order the list writes them.
  std::unordered_map<Restriction, std::vector<ItemRef>> itemsByRestriction_;
};

// Raises an internal error when a list of `count` entries does not fit a
// count field that holds at most `max`.
void checkSknCount(size_t count, size_t max, const char* what);

}  // namespace korvane

#endif
