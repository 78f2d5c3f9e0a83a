// SkinContent: the in-memory record of one skin, its item records, and the
// operations through which the parser defines items and asks questions.
//
// The lists keep definition order and are never sorted. Lookups that the
// rules describe as first-match scans go through hash indexes kept beside
// the lists, so adding n items costs O(n) in total.
#ifndef KORVANE_MODEL_SKIN_CONTENT_H
#define KORVANE_MODEL_SKIN_CONTENT_H

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/diagnostics.h"
#include "base/item_id.h"
#include "base/platform.h"
#include "base/record_index.h"
#include "base/text.h"
#include "base/text_pool.h"
#include "model/probed_files.h"

namespace korvane {

// Capacities of the model's texts (units, without terminator).
constexpr size_t kMaxText = 511;
constexpr size_t kMaxTargetDevice = 127;

// Skin types (the whole `skinType` word) and its bits.
constexpr uint32_t kSkinTypeNormal = 0;
constexpr uint32_t kSkinTypeSystem = 1;
constexpr uint32_t kSkinTypeScalable = 128;
constexpr uint32_t kSkinTypeLanguageOverrideAH = 0x102;

// The first bitmap index; each source takes two (bitmap and mask).
constexpr uint32_t kFirstBitmapIndex = 0x4000;

// Image attribute flags.
constexpr uint32_t kAttrCoords = 0x001;
constexpr uint32_t kAttrSize = 0x002;
constexpr uint32_t kAttrStretch = 0x004;
constexpr uint32_t kAttrTile = 0x008;
constexpr uint32_t kAttrAlign = 0x010;
constexpr uint32_t kAttrTileX = 0x040;
constexpr uint32_t kAttrTileY = 0x080;
constexpr uint32_t kAttrScalable = 0x100;

// Mask kinds of a bitmap source (the colour-depth codes of "1" and "8").
constexpr uint32_t kMaskNone = 0;
constexpr uint32_t kMaskHard = 1;
constexpr uint32_t kMaskSoft = 4;

// Bitmap animation modes.
constexpr uint32_t kAnimModePlay = 0;
constexpr uint32_t kAnimModeCycle = 1;
constexpr uint32_t kAnimModeBounce = 2;
constexpr uint32_t kAnimModeSvgAnim = 255;

// Effect parameter types.
enum EffectParamType : uint32_t {
  kParamInt = 0,
  kParamStr = 1,
  kParamBmp = 2,
  kParamNamedRef = 3,
  kParamRaw = 4,
};

struct LanguageName {
  uint32_t languageId = 0;
  std::u16string name;
};

// The texts of a source registered with a skin lie in the skin's text pool.
// The views lead, so that a source takes no padding (64 bytes).
struct BitmapSource {
  std::u16string_view path;  // the bitmap path in force when the source was created
  std::u16string_view fileName;
  std::u16string_view maskFileName;  // empty for an unnamed mask
  uint32_t index = 0;
  uint32_t colorDepth = 0;
  uint32_t maskKind = kMaskNone;
  uint8_t svgAnim = 0;
};

struct ImageAttributes {
  uint32_t flags = 0;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint32_t align = 0;
};

struct BitmapItem {
  ItemId id;
  uint32_t bitmapIndex = 0;
  int32_t maskIndex = -1;  // -1 without mask, else bitmapIndex + 1
  ImageAttributes attributes;
  uint8_t appIcon = 0;
  Restriction restriction = 0;
};

struct ColorEntry {
  int32_t index = -1;  // -1 for an entry given as a colour value
  uint32_t rgb = 0;    // red in bits 0-7, green 8-15, blue 16-23
};

struct ColorTableItem {
  ItemId id;
  std::vector<ColorEntry> entries;
  Restriction restriction = 0;
};

struct FrameItem {
  ItemId id;
  std::vector<ItemId> parts;
  Restriction restriction = 0;
};

struct AppIconItem {
  ItemId id;
  std::vector<ItemId> bitmaps;
  Restriction restriction = 0;
};

struct BmpAnimFrame {
  ItemId id;
  int32_t time = -1;
  int32_t posX = 0;
  int32_t posY = 0;
};

struct BmpAnimItem {
  ItemId id;
  int32_t interval = -1;
  uint32_t mode = kAnimModePlay;
  uint32_t flash = 0;
  std::vector<BmpAnimFrame> frames;
  Restriction restriction = 0;
};

// The text of a string kept by a skin lies in its text pool (keepText).
struct StringItem {
  ItemId id;
  std::u16string_view text;
  Restriction restriction = 0;
};

// The texts of a parameter kept by a skin lie in its text pool (keepText).
struct EffectParam {
  std::u16string_view name;
  uint32_t type = kParamInt;
  int32_t intValue = 0;  // INT value or NAMEDREF value identifier
  uint32_t rawCount = 0;
  std::u16string_view data;  // STR text, or the RAW items (16 bits each)
  uint32_t bitmapDepth = 0;
  uint32_t bitmapIndex = 0;
  int32_t maskIndex = -1;
};

struct EffectCommand {
  uint32_t uid = 0;
  uint32_t inputA = 0;
  uint32_t inputB = 0;
  uint32_t output = 0;
  std::vector<EffectParam> params;
};

// VALUE: (UID, TIMINGID); TIMINGMODEL: (UID, 0); SIZEBOUNDPARAM: (VALUEID, flags).
struct ParamGroup {
  uint32_t id = 0;
  uint32_t second = 0;
  std::vector<EffectParam> params;
};

struct ScalableItem {
  ItemId id;
  ItemId refId;  // reference form only
  uint32_t input = 0;
  uint32_t output = 0;
  std::vector<EffectCommand> effects;
  Restriction restriction = 0;
};

struct AnimationItem {
  ItemId id;
  uint32_t input = 0;
  uint32_t output = 0;
  uint32_t minInterval = 0;
  uint8_t morphing = 0;
  std::vector<EffectCommand> preprocess;
  std::vector<EffectCommand> commands;
  std::vector<ParamGroup> values;
  std::vector<ParamGroup> timingModels;
  std::vector<ParamGroup> sizeBoundParams;
  Restriction restriction = 0;
};

class SkinContent {
 public:
  // The file system answers whether image files exist; notes go to the sink.
  SkinContent(FileSystem& fs, DiagnosticSink& sink);
  // The same with the notes printed as the report's lines on `console`.
  SkinContent(FileSystem& fs, Console& console);
  virtual ~SkinContent() = default;
  SkinContent(const SkinContent&) = delete;
  SkinContent& operator=(const SkinContent&) = delete;

  // Skin-level fields, written directly by the parser and the driver.
  uint32_t packageIdLow = 0;
  uint32_t packageIdHigh = 0;
  uint32_t skinType = kSkinTypeNormal;
  uint32_t ahOverrideLow = 0;
  uint32_t ahOverrideHigh = 0;
  uint32_t parentUidLow = 0;
  uint32_t parentUidHigh = 0;
  uint32_t paletteScheme = 0;
  uint32_t paletteSchemeHigh = 0;
  uint32_t nextGeneratedMinor = 0x1000;
  uint32_t protect = 0;
  std::u16string author;
  std::u16string copyright;
  std::u16string tool;
  Restriction currentRestriction = 0;
  // One value per RESTRICTION element with a language, duplicates kept.
  std::vector<uint32_t> languageRestrictions;

  // The lists, in definition order.
  const std::vector<LanguageName>& names() const { return names_; }
  const std::vector<BitmapSource>& bitmapSources() const { return bitmapSources_; }
  const std::vector<BitmapItem>& bitmaps() const { return bitmaps_; }
  const std::vector<ColorTableItem>& colorTables() const { return colorTables_; }
  const std::vector<FrameItem>& frames() const { return frames_; }
  const std::vector<AppIconItem>& appIcons() const { return appIcons_; }
  const std::vector<BmpAnimItem>& bmpAnims() const { return bmpAnims_; }
  const std::vector<std::u16string>& targetDevices() const { return targetDevices_; }
  const std::vector<StringItem>& strings() const { return strings_; }
  const std::vector<ScalableItem>& scalableItems() const { return scalableItems_; }
  const std::vector<AnimationItem>& animations() const { return animations_; }
  const std::u16string& bitmapPath() const { return bitmapPath_; }
  uint32_t nextBitmapIndex() const { return nextBitmapIndex_; }

  bool isScalable() const { return skinType == kSkinTypeScalable; }
  // Any item of any kind with this identifier, whatever its restriction.
  bool itemExists(const ItemId& id) const;
  // Any item of any kind with this identifier and restriction.
  bool itemDefined(const ItemId& id, Restriction restriction) const;

  // Where the element being added is defined: the parser sets it before each
  // add, and each item keeps it (for "Item already defined" and its first
  // definition). Not known: nothing is kept.
  // The place is read where `place` points (the parser's element place, set
  // once); null: not known.
  void setDefinitionPlace(const Span* place) {
    definitionPlace_ = place != nullptr ? place : &kNoPlace;
  }
  const Span& definitionPlace() const { return *definitionPlace_; }

  // A copy of `text` that lives as long as the skin.
  std::u16string_view keepText(std::u16string_view text) { return texts_.keep(text); }

  void addLanguageName(uint32_t languageId, const std::u16string& name);
  void addTargetDevice(const std::u16string& device);
  // Without a text the path becomes empty ("automatic").
  void setBitmapPath();
  void setBitmapPath(const std::u16string& path);

  // The source of the current bitmap path with this depth and file name, or null.
  const BitmapSource* findBitmapSource(uint32_t colorDepth, const std::u16string& fileName) const;
  // The source to use for an image file: an existing one, or a new one when the
  // file exists. Returns null, after a note, when the file does not exist. The
  // pointer stays valid until the next source is registered.
  BitmapSource* registerBitmapSource(uint32_t colorDepth, const std::u16string& fileName,
                                     uint8_t svgAnim);
  bool sourceFileExists(std::u16string_view directory, std::u16string_view fileName) const;
  bool imageFileExists(const std::string& path) const;
  // Called when a named mask is set on `source`: the mask file lies in the
  // source's directory. It is only looked for in a strict run or while the
  // files looked for are recorded.
  void lookForMaskFile(const BitmapSource& source);
  // Gives a registered source its named mask (a copy of `fileName`) and
  // looks for the mask file as lookForMaskFile does.
  void setMaskFile(BitmapSource& source, uint32_t maskKind, std::u16string_view fileName);

  // Strict runs refuse a missing image or mask file (code 1, naming the path
  // as the file system was asked) instead of leaving the item out after a note.
  void setStrictFiles(bool strict) { strictFiles_ = strict; }
  // Every image and mask file looked for is added to `files` (null: none kept).
  void recordProbedFiles(ProbedFiles* files) { probedFiles_ = files; }
  // The first bitmap item with this identifier (any restriction), or null.
  const BitmapItem* findBitmap(const ItemId& id) const;

  // Makes room in the big lists for the items of a description of `bytes`
  // bytes, so that they are filled in place instead of being copied to new
  // memory each time they grow (see expectRecords).
  void expectDescriptionSize(uint64_t bytes);

  // Called once every item is defined: lets go of what only definitions and
  // lookups need (the indexes, the identifiers' keys and places), so that the
  // outputs are written with the lists alone. Afterwards the lists stay as
  // they are; an add is an internal error, and lookups find nothing.
  void finishDefinitions();

  // Each add operation copies its record (the overloads for a record the
  // caller gives up take it over instead); a second item with the same
  // identifier and restriction is refused.
  void addBitmap(const BitmapItem& item);
  void addColorTable(const ColorTableItem& item);
  void addColorTable(ColorTableItem&& item);
  void addFrame(const FrameItem& item);
  void addFrame(FrameItem&& item);
  void addAppIcon(const AppIconItem& item);
  void addAppIcon(AppIconItem&& item);
  void addBmpAnim(const BmpAnimItem& item);
  void addBmpAnim(BmpAnimItem&& item);
  void addString(const StringItem& item);
  void addString(StringItem&& item);
  // Effect form: the reference is stored as (0, 0).
  void addScalableItem(const ScalableItem& item);
  void addScalableItem(ScalableItem&& item);
  // Reference form: input, output and effects are stored empty.
  void addScalableRef(const ScalableItem& item);
  void addAnimation(const AnimationItem& item);
  void addAnimation(AnimationItem&& item);

 private:
  // The identifier and restriction of one item.
  struct ItemKey {
    ItemId id;
    Restriction restriction;
  };
  static constexpr uint32_t kNoKey = RecordIndex::kNone;
  static uint64_t hashOf(const ItemId& id) {
    return (static_cast<uint64_t>(id.major) << 32) | id.minor;
  }
  static uint64_t hashOf(const ItemId& id, Restriction restriction) {
    return hashOf(id) ^ (static_cast<uint64_t>(restriction) * 0xC2B2AE3D27D4EB4Full);
  }
  // The first key of this identifier, or kNoKey.
  uint32_t firstKey(const ItemId& id) const;
  // The key of this identifier and restriction, or kNoKey.
  uint32_t definedKey(const ItemId& id, Restriction restriction) const;
  Span definitionPlace(uint32_t key) const;
  [[noreturn]] void raiseAlreadyDefined(uint32_t firstKey) const;

  void refuseFinished() const;
  // Refuses a duplicate, then records the item in the indexes.
  void claimItem(const ItemId& id, Restriction restriction);
  uint64_t sourceHash(uint32_t colorDepth, const std::u16string& fileName) const;
  uint32_t findSourceRecord(uint64_t hash, uint32_t colorDepth,
                            const std::u16string& fileName) const;

  FileSystem& fs_;
  std::unique_ptr<ConsoleDiagnostics> consoleSink_;
  DiagnosticSink& sink_;

  std::vector<LanguageName> names_;
  std::vector<BitmapSource> bitmapSources_;
  std::vector<BitmapItem> bitmaps_;
  std::vector<ColorTableItem> colorTables_;
  std::vector<FrameItem> frames_;
  std::vector<AppIconItem> appIcons_;
  std::vector<BmpAnimItem> bmpAnims_;
  std::vector<std::u16string> targetDevices_;
  std::vector<StringItem> strings_;
  std::vector<ScalableItem> scalableItems_;
  std::vector<AnimationItem> animations_;
  std::u16string bitmapPath_;
  // The texts of the bitmap sources, effect parameters and strings; each
  // bitmap path is kept there once, for every source that takes it.
  TextPool texts_;
  std::u16string_view keptBitmapPath_;  // bitmapPath_ in texts_
  uint32_t nextBitmapIndex_ = kFirstBitmapIndex;

  // The key of every item, in definition order, indexed by the first key of
  // each identifier and, for the keys after an identifier's first, by
  // identifier and restriction (one identifier may hold thousands of
  // language restrictions, so no walk over an identifier's keys).
  std::vector<ItemKey> itemKeys_;
  // Where each key's item was defined, in 8 bytes (a big skin has hundreds
  // of thousands): the line, the column and the width of its keyword, held
  // to 65535. Shorter than itemKeys_ when places are not known.
  struct ItemPlace {
    int32_t line;
    uint16_t column;
    uint16_t width;
  };
  std::vector<ItemPlace> itemPlaces_;
  static constexpr Span kNoPlace{};
  const Span* definitionPlace_ = &kNoPlace;
  RecordIndex definedKeys_;
  RecordIndex firstKeys_;
  // The first bitmap of each identifier.
  RecordIndex firstBitmap_;
  std::unordered_set<uint32_t> languageIds_;
  // Sources by folded path, colour depth and folded file name.
  RecordIndex sourceIndex_;
  uint64_t bitmapPathHash_ = FoldedHash::kSeed;

  bool finished_ = false;
  bool strictFiles_ = false;
  ProbedFiles* probedFiles_ = nullptr;
};

}  // namespace korvane

#endif
