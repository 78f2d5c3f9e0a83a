// The SKN reader: bytes in, a tree of decoded chunks out, or the first
// framing or content fault with its offset and the path of enclosing chunks.
// It is written from the file format alone, independent of SknWriter, so the
// writer's tests can check their bytes against a second reading of the format.
// Any bytes are safe input: every read is bounds-checked and every size and
// count is checked against what surrounds it.
#ifndef KORVANE_INSPECT_SKN_READER_H
#define KORVANE_INSPECT_SKN_READER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "output/skn_format.h"

namespace korvane {

// The name of a chunk type ("bitmap item"), or nullptr for an unknown type.
const char* sknChunkName(uint16_t type);
// The one version each chunk type is written with (0 for an unknown type).
uint16_t sknChunkVersion(uint16_t type);

enum class SknFieldKind : uint8_t {
  kNumber,  // unsigned, shown in decimal
  kSigned,  // a 16-bit two's complement value
  kHex,     // unsigned, shown in hexadecimal
  kItemId,  // `value` is the major, `minor` the minor
  kLayer,   // two bytes, layer number then channel code, as (layer << 8) | channel
  kText,    // a counted text or counted name
  kTime,    // the 64-bit time stamp of the skin information
};

struct SknField {
  std::string name;
  SknFieldKind kind = SknFieldKind::kNumber;
  uint32_t offset = 0;
  uint64_t value = 0;
  uint32_t minor = 0;
  std::u16string text;
  // What the value stands for, when it has a name ("MIF", "default", "scalable").
  std::string note;
};

// One row of a fixed-size table inside a chunk (colour entries, item IDs, frames).
struct SknEntry {
  uint32_t offset = 0;
  std::vector<SknField> fields;
};

// A bitmap or mask index that names no image.
constexpr uint32_t kSknNoIndex = 0xFFFFFFFF;

// Parameter file type codes. Code 1 carries both STR texts and RAW items.
enum SknParamCode : uint8_t {
  kSknParamInt = 0,
  kSknParamString = 1,
  kSknParamBitmap = 2,
  kSknParamNamedRef = 3,
};

struct SknParam {
  uint32_t offset = 0;
  uint16_t size = 0;
  uint8_t reserved = 0;
  uint8_t typeCode = 0;
  std::u16string name;
  uint32_t intValue = 0;  // INT and NAMEDREF
  std::u16string text;    // STR text or RAW items, one 16-bit unit each
  uint32_t bitmapIndex = 0;
  uint32_t maskIndex = 0;
  uint32_t fileNumber = 0;
};

struct SknChunk {
  uint32_t offset = 0;
  uint32_t size = 0;
  uint16_t type = 0;
  uint16_t version = 0;
  // Restriction wrappers: the restriction as the description writes it
  // ("Orv_2_6", "LAY_AH", "LANG=31").
  std::string restriction;
  // Children of an animation item: the list the chunk belongs to
  // ("preprocess", "commands", "values", "timingModels", "sizeBoundParams").
  std::string list;
  std::vector<SknField> fields;
  // Name of one entry ("colour", "id", "frame"); empty for chunks without a table.
  std::string entryName;
  std::vector<SknEntry> entries;
  std::vector<SknParam> params;
  std::vector<SknChunk> children;

  const char* name() const { return sknChunkName(type); }
  // The field of that name, or nullptr.
  const SknField* field(std::string_view fieldName) const;
  // The value of that field, 0 when there is none.
  uint64_t value(std::string_view fieldName) const;
  // The text of that field, empty when there is none.
  std::u16string text(std::string_view fieldName) const;
};

struct SknError {
  uint32_t offset = 0;
  std::string path;  // enclosing chunks, "skin file > item list > bitmap item"
  std::string message;
  // "error at offset 0x0042 in <path>: <message>"
  std::string describe() const;
};

struct SknDecodeResult {
  bool ok = false;
  // The decoded tree: the skin file chunk with the SKN header fields and the
  // top-level chunks as children. After an error it holds what was decoded.
  SknChunk root;
  SknError error;
};

SknDecodeResult decodeSkn(const uint8_t* data, size_t size);
inline SknDecodeResult decodeSkn(std::string_view bytes) {
  return decodeSkn(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace korvane

#endif
