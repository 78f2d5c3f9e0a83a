// What the decompiler decides about a skin before writing it: how each image
// of a compound is written, which compounds generate identifiers or number
// animated files, and the elements of the description. Shared by the
// decompiler and the description writer.
#ifndef KORVANE_INSPECT_DECOMPILE_PLAN_H
#define KORVANE_INSPECT_DECOMPILE_PLAN_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/item_id.h"
#include "base/text.h"

namespace korvane::decompile {

// "(0x10005a26,0x1000)", as messages name an item.
inline std::string pairText(const ItemId& id) {
  return format("(0x%x,0x%x)", id.major, id.minor);
}

// Item kinds in the order the SKN writer lists them.
enum class Kind : uint8_t {
  kBitmap,
  kAppIcon,
  kFrame,
  kColorTable,
  kBmpAnim,
  kString,
  kScalable,
  kAnimation,
};
constexpr size_t kKindCount = 8;

inline const char* kindName(Kind kind) {
  static const char* const kNames[] = {"bitmap",        "application icon", "frame",
                                       "colour table",  "bitmap animation", "string",
                                       "scalable item", "animation"};
  return kNames[static_cast<size_t>(kind)];
}

// One image of a compound: a frame part, a bitmap animation frame, an
// application icon image.
struct Part {
  ItemId id;
  enum class Form : uint8_t {
    kNamed,    // IID=name
    kInline,   // depth and file, adding the bitmap at `bitmap` of the group
    kMissing,  // depth and a file that does not exist: only its identifier
  };
  Form form = Form::kNamed;
  int32_t bitmap = -1;
  bool generates = false;
  // The reference that numbers an animated SVG file.
  bool numbersAnimated = false;
};

struct Compound {
  size_t group = 0;
  Kind kind = Kind::kFrame;
  size_t record = 0;
  std::vector<Part> parts;
  bool animated = false;  // a bitmap animation that names its new files as animated SVG
  int32_t firstBitmap = -1;
  int32_t lastBitmap = -1;
};

// Blocks of an animation's main loop.
enum class Block : uint8_t { kCommand, kValue, kTimingModel, kSizeBound };

struct Element {
  Kind kind = Kind::kBitmap;
  size_t group = 0;
  size_t record = 0;
  int32_t compound = -1;
  std::vector<std::pair<Block, size_t>> blocks;  // animations, in written order
  // The first image file it names (its bitmap path is the element's), or 0.
  uint32_t firstImage = 0;
};

}  // namespace korvane::decompile

#endif
