#include "inspect/skn_reader.h"

#include <utility>

#include "base/text.h"

namespace korvane {

namespace {

constexpr uint8_t kTrailer = 0xF5;
constexpr size_t kChunkHeaderSize = 8;  // size, type, version
constexpr size_t kChunkFrameSize = 9;   // the header and the trailer
constexpr size_t kSknHeaderEnd = 42;    // first byte after the fixed SKN header
constexpr size_t kParamHeaderSize = 4;  // size, reserved byte, file type code
constexpr size_t kParamFrameSize = 6;   // the header and the name's count
constexpr uint32_t kSkinInfoMagic = 0x0002008D;

// The releases a release wrapper (type 18) is written for, as major << 8 | minor.
constexpr uint32_t kWrappedReleases[] = {0x207, 0x208, 0x300, 0x301, 0x302, 0x500};

struct ChunkTypeInfo {
  const char* name;
  uint16_t version;
};

constexpr ChunkTypeInfo kChunkTypes[kSknLastChunkType + 1] = {
    {"skin file", 1},
    {"skin name", 1},
    {"bitmap file name", 1},
    {"item list", 1},
    {"bitmap item", 1},
    {"colour table item", 1},
    {"image table item", 1},
    {"image attributes", 2},
    {"bitmap animation item", 1},
    {"language override", 1},
    {"wallpaper reference", 1},
    {"skin information", 2},
    {"string item", 1},
    {"release 2.6 restriction", 1},
    {"target device", 1},
    {"layout or language restriction", 1},
    {"scalable item", 1},
    {"effect", 1},
    {"release restriction", 1},
    {"animation item", 1},
    {"animation parameter group", 1},
};

// Sets of chunk types, one bit per type.
using TypeSet = uint32_t;
constexpr TypeSet bit(uint16_t type) {
  return TypeSet{1} << type;
}

constexpr TypeSet kTopLevelTypes =
    bit(kSknSkinName) | bit(kSknBitmapFileName) | bit(kSknItemList) | bit(kSknLanguageOverride) |
    bit(kSknWallpaperReference) | bit(kSknSkinInformation) | bit(kSknRelease26Restriction) |
    bit(kSknTargetDevice) | bit(kSknLayoutOrLanguageRestriction) | bit(kSknReleaseRestriction);
constexpr TypeSet kItemTypes = bit(kSknBitmapItem) | bit(kSknColorTableItem) |
                               bit(kSknImageTableItem) | bit(kSknBmpAnimItem) |
                               bit(kSknStringItem) | bit(kSknScalableItem) | bit(kSknAnimationItem);

// Raised inside the decoder and turned into the SknError of the result.
struct DecodeFailure {
  size_t offset;
  std::string message;
};

// 100-nanosecond intervals since 1601-01-01 as "YYYY-MM-DD hh:mm:ss UTC".
std::string formatTimeStamp(uint64_t ticks) {
  constexpr int64_t kDaysFrom1601To1970 = 134774;
  uint64_t seconds = ticks / 10000000;
  int64_t days = static_cast<int64_t>(seconds / 86400) - kDaysFrom1601To1970;
  uint64_t secondOfDay = seconds % 86400;
  // Civil date from days since 1970-01-01 (proleptic Gregorian calendar).
  days += 719468;
  int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  int64_t dayOfEra = days - era * 146097;
  int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  return format("%04lld-%02lld-%02lld %02llu:%02llu:%02llu UTC", static_cast<long long>(year),
                static_cast<long long>(month), static_cast<long long>(day),
                static_cast<unsigned long long>(secondOfDay / 3600),
                static_cast<unsigned long long>(secondOfDay / 60 % 60),
                static_cast<unsigned long long>(secondOfDay % 60));
}

const char* skinTypeNote(uint64_t type) {
  switch (type) {
    case 0x0000:
      return "normal";
    case 0x0001:
      return "system";
    case 0x0080:
      return "scalable";
    case 0x0102:
      return "normal, A&H override";
    case 0x0182:
      return "scalable, A&H override";
    default:
      return "";
  }
}

const char* fileNumberNote(uint64_t number) {
  return number == 0 ? "MBM" : number == 1 ? "MIF" : "";
}

const char* animationModeNote(uint64_t mode) {
  switch (mode) {
    case 0:
      return "play";
    case 1:
      return "cycle";
    case 2:
      return "bounce";
    case 255:
      return "svganim";
    default:
      return "";
  }
}

// The attribute keywords behind the bits of the image attribute flags.
std::string attributeFlagsNote(uint64_t flags) {
  static constexpr struct {
    uint32_t bit;
    const char* name;
  } kFlags[] = {{0x001, "COORDS"}, {0x002, "SIZE"},  {0x004, "STRETCH"}, {0x008, "TILE"},
                {0x010, "ALIGN"},  {0x040, "TILEX"}, {0x080, "TILEY"},   {0x100, "scalable"}};
  std::string note;
  for (const auto& flag : kFlags) {
    if ((flags & flag.bit) == 0) continue;
    if (!note.empty()) note += ' ';
    note += flag.name;
  }
  return note;
}

// "TL", "CC", ... when the code is one vertical and one horizontal part.
std::string alignNote(uint64_t align) {
  const char* vertical = (align & 0x07) == 0x01   ? "T"
                         : (align & 0x07) == 0x02 ? "B"
                         : (align & 0x07) == 0x04 ? "C"
                                                  : nullptr;
  const char* horizontal = (align & 0x38) == 0x08   ? "L"
                           : (align & 0x38) == 0x10 ? "R"
                           : (align & 0x38) == 0x20 ? "C"
                                                    : nullptr;
  if (!vertical || !horizontal || (align & ~uint64_t{0x3F}) != 0) return "";
  return std::string(vertical) + horizontal;
}

// The bytes of one chunk payload (or parameter record) still to be read.
struct Region {
  size_t pos;
  size_t end;
  size_t left() const { return end - pos; }
};

class Decoder {
 public:
  Decoder(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  void decodeFile(SknChunk& root);
  std::string path() const;

 private:
  [[noreturn]] void fail(size_t offset, std::string message) {
    throw DecodeFailure{offset, std::move(message)};
  }

  void need(const Region& r, size_t n, const std::string& what) {
    if (r.left() < n) {
      fail(r.pos, format("%s needs %zu bytes but only %zu are left", what.c_str(), n, r.left()));
    }
  }
  uint32_t peek(size_t pos, size_t width) const {
    uint32_t v = 0;
    for (size_t i = 0; i < width; ++i) v |= static_cast<uint32_t>(data_[pos + i]) << (8 * i);
    return v;
  }
  uint32_t take(Region& r, size_t width, const std::string& what) {
    need(r, width, what);
    uint32_t v = peek(r.pos, width);
    r.pos += width;
    return v;
  }
  std::u16string takeText(Region& r, const std::string& what);

  SknField& addField(std::vector<SknField>& fields, const char* name, SknFieldKind kind,
                     size_t offset, uint64_t value) {
    SknField& field = fields.emplace_back();
    field.name = name;
    field.kind = kind;
    field.offset = static_cast<uint32_t>(offset);
    field.value = value;
    return field;
  }
  uint32_t number(std::vector<SknField>& fields, Region& r, const char* name, size_t width,
                  SknFieldKind kind = SknFieldKind::kNumber) {
    size_t offset = r.pos;
    uint32_t v = take(r, width, name);
    addField(fields, name, kind, offset, v);
    return v;
  }
  void hex(std::vector<SknField>& fields, Region& r, const char* name, size_t width) {
    number(fields, r, name, width, SknFieldKind::kHex);
  }
  void signed16(std::vector<SknField>& fields, Region& r, const char* name) {
    number(fields, r, name, 2, SknFieldKind::kSigned);
  }
  void noted(std::vector<SknField>& fields, Region& r, const char* name, size_t width,
             SknFieldKind kind, const char* (*note)(uint64_t)) {
    number(fields, r, name, width, kind);
    fields.back().note = note(fields.back().value);
  }
  // A bitmap file number: 0 for the MBM file, 1 for the MIF file.
  void checkFileNumber(size_t offset, const char* name, uint32_t value) {
    if (value > 1) fail(offset, format("%s is %u, expected 0 (MBM) or 1 (MIF)", name, value));
  }
  void fileNumber(std::vector<SknField>& fields, Region& r, const char* name) {
    size_t offset = r.pos;
    noted(fields, r, name, 4, SknFieldKind::kNumber, fileNumberNote);
    checkFileNumber(offset, name, static_cast<uint32_t>(fields.back().value));
  }
  void bitmapIndex(std::vector<SknField>& fields, Region& r, const char* name) {
    hex(fields, r, name, 4);
    if (fields.back().value == kSknNoIndex) fields.back().note = "none";
  }
  // A 16-bit value where 0xFFFF stands for the default.
  void defaulted16(std::vector<SknField>& fields, Region& r, const char* name) {
    number(fields, r, name, 2);
    if (fields.back().value == 0xFFFF) fields.back().note = "default";
  }
  void itemId(std::vector<SknField>& fields, Region& r, const char* name) {
    size_t offset = r.pos;
    need(r, 8, name);
    SknField& field = addField(fields, name, SknFieldKind::kItemId, offset, peek(r.pos, 4));
    field.minor = peek(r.pos + 4, 4);
    r.pos += 8;
  }
  void layer(std::vector<SknField>& fields, Region& r, const char* name) {
    size_t offset = r.pos;
    need(r, 2, name);
    // Two single bytes, the layer number first.
    uint32_t value = (static_cast<uint32_t>(data_[r.pos]) << 8) | data_[r.pos + 1];
    r.pos += 2;
    addField(fields, name, SknFieldKind::kLayer, offset, value);
  }
  // A field the writer always fills with `expected`.
  uint32_t fixed(std::vector<SknField>& fields, Region& r, const char* name, size_t width,
                 uint32_t expected) {
    size_t offset = r.pos;
    uint32_t v = number(fields, r, name, width);
    if (v != expected) fail(offset, format("%s is %u, expected %u", name, v, expected));
    return v;
  }
  // A field that is 0 or 1.
  uint32_t flag(std::vector<SknField>& fields, Region& r, const char* name, size_t width) {
    size_t offset = r.pos;
    uint32_t v = number(fields, r, name, width);
    if (v > 1) fail(offset, format("%s is %u, expected 0 or 1", name, v));
    return v;
  }
  void text(std::vector<SknField>& fields, Region& r, const char* name) {
    size_t offset = r.pos;
    std::u16string value = takeText(r, name);
    addField(fields, name, SknFieldKind::kText, offset, value.size()).text = std::move(value);
  }

  void decodeChild(Region& r, SknChunk& parent, TypeSet allowed, const char* list);
  void decodePayload(SknChunk& chunk, Region& r);
  // Chunks up to the end of the region, their number checked against `count`.
  void decodeChunksToEnd(Region& r, SknChunk& parent, TypeSet allowed, uint64_t count,
                         size_t countOffset, const char* what);
  // Exactly `count` chunks, for the lists inside an animation item.
  void decodeCountedChunks(Region& r, SknChunk& parent, TypeSet allowed, const char* list,
                           const char* countName);
  void decodeParamsToEnd(Region& r, SknChunk& chunk, uint64_t count, size_t countOffset);
  void decodeParam(Region& r, SknChunk& chunk);
  void decodeImageAttributesChild(Region& r, SknChunk& item);
  void decodeEntries(Region& r, SknChunk& chunk, const char* entryName, const char* countName,
                     void (Decoder::*entry)(Region&, std::vector<SknField>&));
  void colorEntry(Region& r, std::vector<SknField>& fields);
  void itemIdEntry(Region& r, std::vector<SknField>& fields);
  void frameEntry(Region& r, std::vector<SknField>& fields);
  void decodeWrapperList(Region& r, SknChunk& chunk, uint64_t count, size_t countOffset);

  const uint8_t* data_;
  size_t size_;
  // The names of the enclosing chunks and records at the current read.
  std::vector<std::string> path_;
};

std::string Decoder::path() const {
  std::string text;
  for (const std::string& part : path_) {
    if (!text.empty()) text += " > ";
    text += part;
  }
  return text;
}

std::u16string Decoder::takeText(Region& r, const std::string& what) {
  size_t countOffset = r.pos;
  size_t count = take(r, 2, "length of " + what);
  if (count * 2 > r.left()) {
    fail(countOffset, format("truncated text %s: %zu units need %zu bytes but only %zu are left",
                             what.c_str(), count, count * 2, r.left()));
  }
  std::u16string value;
  value.reserve(count);
  for (size_t i = 0; i < count; ++i) value.push_back(static_cast<char16_t>(peek(r.pos + 2 * i, 2)));
  r.pos += count * 2;
  return value;
}

void Decoder::decodeFile(SknChunk& root) {
  path_.assign(1, sknChunkName(kSknSkinFile));
  constexpr size_t kSmallestFile = kSknHeaderEnd + 1;
  if (size_ < kChunkHeaderSize) {
    fail(size_, format("truncated SKN header: the file has %zu bytes, at least %zu are needed",
                       size_, kSmallestFile));
  }
  uint32_t size = peek(0, 4);
  uint16_t type = static_cast<uint16_t>(peek(4, 2));
  uint16_t version = static_cast<uint16_t>(peek(6, 2));
  if (type != kSknSkinFile) fail(4, format("not a skin file: the first chunk has type %u", type));
  if (version != sknChunkVersion(kSknSkinFile)) {
    fail(6, format("unknown version %u of chunk type 0 (expected %u)", version,
                   sknChunkVersion(kSknSkinFile)));
  }
  if (size_ < kSmallestFile) {
    fail(size_, format("truncated SKN header: the file has %zu bytes, at least %zu are needed",
                       size_, kSmallestFile));
  }
  if (size != size_) {
    fail(0, format("file size field %u does not match the file length %zu", size, size_));
  }
  if (data_[size_ - 1] != kTrailer) {
    fail(size_ - 1, format("missing 0xF5 trailer (found 0x%02x)", data_[size_ - 1]));
  }
  root.offset = 0;
  root.size = size;
  root.type = type;
  root.version = version;

  Region r{kChunkHeaderSize, size_ - 1};
  std::vector<SknField>& f = root.fields;
  hex(f, r, "packageIdLow", 4);
  hex(f, r, "packageIdHigh", 4);
  fixed(f, r, "reserved1", 4, 0);
  noted(f, r, "skinType", 2, SknFieldKind::kHex, skinTypeNote);
  hex(f, r, "paletteScheme", 4);
  hex(f, r, "paletteSchemeHigh", 4);
  flag(f, r, "protect", 1);
  flag(f, r, "appIcons", 1);
  fixed(f, r, "reserved2", 2, 0);
  fixed(f, r, "reserved3", 4, 0);
  size_t countOffset = r.pos;
  uint32_t count = number(f, r, "chunkCount", 4);
  decodeChunksToEnd(r, root, kTopLevelTypes, count, countOffset, "top-level chunk");
}

void Decoder::decodeChunksToEnd(Region& r, SknChunk& parent, TypeSet allowed, uint64_t count,
                                size_t countOffset, const char* what) {
  size_t found = 0;
  while (r.left() > 0) {
    if (r.left() < kChunkHeaderSize) {
      fail(r.pos, format("%zu bytes left over after the last chunk", r.left()));
    }
    decodeChild(r, parent, allowed, nullptr);
    ++found;
  }
  if (found != count) {
    fail(countOffset, format("%s count %llu does not match the %zu chunks that follow", what,
                             static_cast<unsigned long long>(count), found));
  }
}

void Decoder::decodeCountedChunks(Region& r, SknChunk& parent, TypeSet allowed, const char* list,
                                  const char* countName) {
  size_t countOffset = r.pos;
  uint32_t count = number(parent.fields, r, countName, 2);
  for (uint32_t i = 0; i < count; ++i) {
    if (r.left() == 0) {
      fail(countOffset, format("%s %u does not match: the chunk ends after %u of its chunks",
                               countName, count, i));
    }
    decodeChild(r, parent, allowed, list);
  }
}

void Decoder::decodeChild(Region& r, SknChunk& parent, TypeSet allowed, const char* list) {
  size_t start = r.pos;
  if (r.left() < kChunkHeaderSize) {
    fail(start,
         format("chunk header needs %zu bytes but only %zu are left", kChunkHeaderSize, r.left()));
  }
  uint32_t size = peek(start, 4);
  uint16_t type = static_cast<uint16_t>(peek(start + 4, 2));
  uint16_t version = static_cast<uint16_t>(peek(start + 6, 2));
  const char* name = sknChunkName(type);
  if (!name) fail(start + 4, format("unknown chunk type %u", type));
  path_.push_back(name);
  if (version != sknChunkVersion(type)) {
    fail(start + 6, format("unknown version %u of chunk type %u (expected %u)", version, type,
                           sknChunkVersion(type)));
  }
  if (size < kChunkFrameSize) {
    fail(start,
         format("chunk size %u is smaller than a chunk frame (%zu bytes)", size, kChunkFrameSize));
  }
  if (size > r.left()) {
    fail(start,
         format("chunk size %u runs past the end of its parent (ends at 0x%04zx)", size, r.end));
  }
  size_t end = start + size;
  if (data_[end - 1] != kTrailer) {
    fail(end - 1, format("missing 0xF5 trailer (found 0x%02x)", data_[end - 1]));
  }
  if ((allowed & bit(type)) == 0) {
    fail(start, format("chunk type %u (%s) does not belong in %s", type, name, parent.name()));
  }

  // The reference stays valid: only this chunk's own lists grow below.
  SknChunk& chunk = parent.children.emplace_back();
  chunk.offset = static_cast<uint32_t>(start);
  chunk.size = size;
  chunk.type = type;
  chunk.version = version;
  if (list) chunk.list = list;
  Region payload{start + kChunkHeaderSize, end - 1};
  decodePayload(chunk, payload);
  if (payload.left() > 0) {
    fail(payload.pos, format("%zu bytes left over at the end of the chunk", payload.left()));
  }
  r.pos = end;
  path_.pop_back();
}

void Decoder::decodeImageAttributesChild(Region& r, SknChunk& item) {
  if (r.left() == 0) fail(r.pos, "image attributes chunk missing");
  decodeChild(r, item, bit(kSknImageAttributes), nullptr);
}

void Decoder::decodeEntries(Region& r, SknChunk& chunk, const char* entryName,
                            const char* countName,
                            void (Decoder::*entry)(Region&, std::vector<SknField>&)) {
  uint32_t count = number(chunk.fields, r, countName, 1);
  chunk.entryName = entryName;
  for (uint32_t i = 0; i < count; ++i) {
    SknEntry& row = chunk.entries.emplace_back();
    row.offset = static_cast<uint32_t>(r.pos);
    (this->*entry)(r, row.fields);
  }
}

void Decoder::colorEntry(Region& r, std::vector<SknField>& fields) {
  number(fields, r, "index", 2);
  bool isRgb = fields.back().value == 0xFFFF;
  if (isRgb) fields.back().note = "RGB";
  hex(fields, r, "rgb", 4);
  // Red is stored in the low byte; the description writes it first.
  uint64_t rgb = fields.back().value;
  if (isRgb) {
    fields.back().note =
        format("RGB=0x%02x%02x%02x", static_cast<unsigned>(rgb & 0xFF),
               static_cast<unsigned>((rgb >> 8) & 0xFF), static_cast<unsigned>((rgb >> 16) & 0xFF));
  }
}

void Decoder::itemIdEntry(Region& r, std::vector<SknField>& fields) {
  itemId(fields, r, "id");
}

void Decoder::frameEntry(Region& r, std::vector<SknField>& fields) {
  itemId(fields, r, "id");
  defaulted16(fields, r, "time");
  signed16(fields, r, "posX");
  signed16(fields, r, "posY");
}

void Decoder::decodeWrapperList(Region& r, SknChunk& chunk, uint64_t count, size_t countOffset) {
  decodeChunksToEnd(r, chunk, bit(kSknItemList), count, countOffset, "item list");
}

// Every chunk type reachable here holds only chunk types further down the
// tree (skin file > wrapper > item list > item > effect or parameter group),
// so the recursion is at most five chunks deep whatever the input.
void Decoder::decodePayload(SknChunk& chunk, Region& r) {
  std::vector<SknField>& f = chunk.fields;
  switch (chunk.type) {
    case kSknSkinName:
      number(f, r, "languageId", 2);
      text(f, r, "name");
      break;
    case kSknBitmapFileName:
      fileNumber(f, r, "fileNumber");
      text(f, r, "name");
      break;
    case kSknItemList: {
      size_t classOffset = r.pos;
      uint32_t listClass = number(f, r, "listClass", 1);
      f.back().note = listClass == 0 ? "items" : listClass == 1 ? "application icons" : "";
      // Application icons have a list of their own beside the unrestricted
      // one; a restriction wrapper holds items only.
      bool topLevel = path_.size() == 2;
      if (listClass > 1 || (listClass == 1 && !topLevel)) {
        fail(classOffset, format("listClass is %u, expected 0%s", listClass,
                                 topLevel ? " or 1" : " inside a restriction wrapper"));
      }
      size_t countOffset = r.pos;
      uint32_t count = number(f, r, "count", 4);
      decodeChunksToEnd(r, chunk, kItemTypes, count, countOffset, "item");
      break;
    }
    case kSknBitmapItem:
      itemId(f, r, "id");
      fileNumber(f, r, "fileNumber");
      bitmapIndex(f, r, "bitmapIndex");
      bitmapIndex(f, r, "maskIndex");
      decodeImageAttributesChild(r, chunk);
      break;
    case kSknColorTableItem:
      itemId(f, r, "id");
      decodeEntries(r, chunk, "colour", "colourCount", &Decoder::colorEntry);
      decodeImageAttributesChild(r, chunk);
      break;
    case kSknImageTableItem:
      itemId(f, r, "id");
      decodeEntries(r, chunk, "id", "idCount", &Decoder::itemIdEntry);
      decodeImageAttributesChild(r, chunk);
      break;
    case kSknImageAttributes: {
      size_t flagsOffset = r.pos;
      uint32_t low = take(r, 1, "flags");
      addField(f, "flags", SknFieldKind::kHex, flagsOffset, low);
      number(f, r, "align", 1);
      f.back().note = alignNote(f.back().value);
      signed16(f, r, "x");
      signed16(f, r, "y");
      signed16(f, r, "width");
      signed16(f, r, "height");
      // The flag bits 8 to 23 follow the geometry; they join the low bits in one field.
      uint32_t high = take(r, 2, "flags");
      f[0].value = low | (high << 8);
      f[0].note = attributeFlagsNote(f[0].value);
      if (high > 1)
        fail(flagsOffset + 10, format("flags bits 8 to 23 are %u, expected 0 or 1", high));
      fixed(f, r, "reserved", 4, 0);
      break;
    }
    case kSknBmpAnimItem:
      itemId(f, r, "id");
      defaulted16(f, r, "interval");
      noted(f, r, "mode", 1, SknFieldKind::kNumber, animationModeNote);
      flag(f, r, "flash", 1);
      decodeEntries(r, chunk, "frame", "frameCount", &Decoder::frameEntry);
      decodeImageAttributesChild(r, chunk);
      break;
    case kSknLanguageOverride:
      fixed(f, r, "flag", 1, 1);
      hex(f, r, "ahOverrideLow", 4);
      hex(f, r, "ahOverrideHigh", 4);
      break;
    case kSknWallpaperReference:
      number(f, r, "slot", 1);
      text(f, r, "name");
      bitmapIndex(f, r, "bitmapIndex");
      break;
    case kSknSkinInformation: {
      size_t timeOffset = r.pos;
      need(r, 8, "time");
      // The high half comes first.
      uint64_t time = (static_cast<uint64_t>(peek(r.pos, 4)) << 32) | peek(r.pos + 4, 4);
      r.pos += 8;
      addField(f, "time", SknFieldKind::kTime, timeOffset, time).note = formatTimeStamp(time);
      size_t magicOffset = r.pos;
      hex(f, r, "magic", 4);
      if (f.back().value != kSkinInfoMagic) {
        fail(magicOffset, format("magic is 0x%llx, expected 0x%x",
                                 static_cast<unsigned long long>(f.back().value), kSkinInfoMagic));
      }
      fixed(f, r, "reserved1", 4, 0);
      text(f, r, "author");
      text(f, r, "copyright");
      fixed(f, r, "reserved2", 1, 0);
      fixed(f, r, "reserved3", 1, 0);
      text(f, r, "tool");
      break;
    }
    case kSknStringItem:
      itemId(f, r, "id");
      text(f, r, "text");
      break;
    case kSknRelease26Restriction: {
      uint32_t major = fixed(f, r, "major", 1, 2);
      uint32_t minor = fixed(f, r, "minor", 1, 6);
      chunk.restriction = format("Orv_%u_%u", major, minor);
      size_t countOffset = r.pos;
      uint32_t count = fixed(f, r, "listCount", 4, 1);
      decodeWrapperList(r, chunk, count, countOffset);
      break;
    }
    case kSknTargetDevice:
      text(f, r, "device");
      break;
    case kSknLayoutOrLanguageRestriction: {
      size_t valueOffset = r.pos;
      uint32_t layout = number(f, r, "layout", 2);
      uint32_t language = number(f, r, "language", 2);
      if (layout == 1 && language == 0) {
        chunk.restriction = "LAY_W";
      } else if (layout == 2 && language == 0) {
        chunk.restriction = "LAY_AH";
      } else if (layout == 0) {
        chunk.restriction = format("LANG=%u", language);
      } else {
        fail(valueOffset, format("layout %u with language %u: expected layout 1 or 2 with "
                                 "language 0, or layout 0 with a language",
                                 layout, language));
      }
      size_t countOffset = r.pos;
      uint32_t count = fixed(f, r, "listCount", 4, 1);
      decodeWrapperList(r, chunk, count, countOffset);
      break;
    }
    case kSknScalableItem: {
      itemId(f, r, "id");
      itemId(f, r, "refId");
      layer(f, r, "input");
      layer(f, r, "output");
      fixed(f, r, "reserved", 4, 0);
      size_t countOffset = r.pos;
      uint32_t count = number(f, r, "effectCount", 2);
      decodeChunksToEnd(r, chunk, bit(kSknEffect), count, countOffset, "effect");
      break;
    }
    case kSknEffect: {
      hex(f, r, "uid", 4);
      layer(f, r, "inputA");
      layer(f, r, "inputB");
      layer(f, r, "output");
      size_t countOffset = r.pos;
      uint32_t count = number(f, r, "paramCount", 2);
      decodeParamsToEnd(r, chunk, count, countOffset);
      break;
    }
    case kSknReleaseRestriction: {
      size_t releaseOffset = r.pos;
      uint32_t major = number(f, r, "major", 1);
      uint32_t minor = number(f, r, "minor", 1);
      bool known = false;
      for (uint32_t release : kWrappedReleases) known = known || release == (major << 8 | minor);
      if (!known) {
        fail(releaseOffset,
             format("release %u.%u: expected 2.7, 2.8, 3.0, 3.1, 3.2 or 5.0", major, minor));
      }
      chunk.restriction = format("Orv_%u_%u", major, minor);
      fixed(f, r, "reserved1", 4, 0);
      fixed(f, r, "reserved2", 4, 0);
      size_t countOffset = r.pos;
      uint32_t count = fixed(f, r, "listCount", 4, 1);
      decodeWrapperList(r, chunk, count, countOffset);
      break;
    }
    case kSknAnimationItem:
      itemId(f, r, "id");
      flag(f, r, "morphing", 1);
      fixed(f, r, "reserved1", 1, 0);
      fixed(f, r, "reserved2", 2, 0);
      fixed(f, r, "reserved3", 4, 0);
      layer(f, r, "input");
      layer(f, r, "output");
      number(f, r, "minInterval", 4);
      decodeCountedChunks(r, chunk, bit(kSknEffect), "preprocess", "preprocessCount");
      decodeCountedChunks(r, chunk, bit(kSknEffect), "commands", "commandCount");
      decodeCountedChunks(r, chunk, bit(kSknAnimationParamGroup), "values", "valueCount");
      decodeCountedChunks(r, chunk, bit(kSknAnimationParamGroup), "timingModels",
                          "timingModelCount");
      decodeCountedChunks(r, chunk, bit(kSknAnimationParamGroup), "sizeBoundParams",
                          "sizeBoundParamCount");
      break;
    case kSknAnimationParamGroup: {
      number(f, r, "id", 4);
      number(f, r, "second", 4);
      if (chunk.list == "sizeBoundParams") {
        uint64_t second = f.back().value;
        f.back().note = second == 1   ? "FLAGS=W"
                        : second == 2 ? "FLAGS=H"
                        : second == 3 ? "FLAGS=W_AND_H"
                                      : "";
      }
      size_t countOffset = r.pos;
      uint32_t count = number(f, r, "paramCount", 2);
      decodeParamsToEnd(r, chunk, count, countOffset);
      break;
    }
    default:
      // The skin file chunk never nests; decodeChild refuses it before this.
      break;
  }
}

void Decoder::decodeParamsToEnd(Region& r, SknChunk& chunk, uint64_t count, size_t countOffset) {
  while (r.left() > 0) {
    if (r.left() < kParamHeaderSize) {
      fail(r.pos, format("%zu bytes left over after the last parameter record", r.left()));
    }
    path_.push_back(format("parameter %zu", chunk.params.size() + 1));
    decodeParam(r, chunk);
    path_.pop_back();
  }
  if (chunk.params.size() != count) {
    fail(countOffset, format("parameter count %llu does not match the %zu parameter records "
                             "that follow",
                             static_cast<unsigned long long>(count), chunk.params.size()));
  }
}

void Decoder::decodeParam(Region& r, SknChunk& chunk) {
  size_t start = r.pos;
  uint16_t size = static_cast<uint16_t>(peek(start, 2));
  if (size < kParamFrameSize) {
    fail(start, format("parameter record size %u is smaller than a parameter frame (%zu bytes)",
                       size, kParamFrameSize));
  }
  if (size > r.left()) {
    fail(start, format("parameter record size %u runs past the end of its chunk (ends at 0x%04zx)",
                       size, r.end));
  }
  SknParam& param = chunk.params.emplace_back();
  param.offset = static_cast<uint32_t>(start);
  param.size = size;
  param.reserved = data_[start + 2];
  param.typeCode = data_[start + 3];
  if (param.reserved != 0) {
    fail(start + 2, format("reserved byte is %u, expected 0", param.reserved));
  }
  Region record{start + kParamHeaderSize, start + size};
  param.name = takeText(record, "name");
  switch (param.typeCode) {
    case kSknParamInt:
    case kSknParamNamedRef:
      param.intValue = take(record, 4, "value");
      break;
    case kSknParamString:
      param.text = takeText(record, "value");
      break;
    case kSknParamBitmap: {
      param.bitmapIndex = take(record, 4, "bitmapIndex");
      param.maskIndex = take(record, 4, "maskIndex");
      size_t numberOffset = record.pos;
      param.fileNumber = take(record, 4, "fileNumber");
      checkFileNumber(numberOffset, "fileNumber", param.fileNumber);
      break;
    }
    default:
      fail(start + 3, format("unknown parameter type code %u", param.typeCode));
  }
  if (record.left() > 0) {
    fail(record.pos,
         format("%zu bytes left over at the end of the parameter record", record.left()));
  }
  r.pos = start + size;
}

}  // namespace

const char* sknChunkName(uint16_t type) {
  return type <= kSknLastChunkType ? kChunkTypes[type].name : nullptr;
}

uint16_t sknChunkVersion(uint16_t type) {
  return type <= kSknLastChunkType ? kChunkTypes[type].version : 0;
}

const SknField* SknChunk::field(std::string_view fieldName) const {
  for (const SknField& f : fields) {
    if (f.name == fieldName) return &f;
  }
  return nullptr;
}

uint64_t SknChunk::value(std::string_view fieldName) const {
  const SknField* f = field(fieldName);
  return f ? f->value : 0;
}

std::u16string SknChunk::text(std::string_view fieldName) const {
  const SknField* f = field(fieldName);
  return f ? f->text : std::u16string();
}

std::string SknError::describe() const {
  return format("error at offset 0x%04x in %s: %s", offset, path.c_str(), message.c_str());
}

SknDecodeResult decodeSkn(const uint8_t* data, size_t size) {
  SknDecodeResult result;
  Decoder decoder(data, size);
  try {
    decoder.decodeFile(result.root);
    result.ok = true;
  } catch (const DecodeFailure& failure) {
    result.error.offset = static_cast<uint32_t>(failure.offset);
    result.error.path = decoder.path();
    result.error.message = failure.message;
  }
  return result;
}

}  // namespace korvane
