// What the identifiers and image tables of a decoded skin stand for, as far
// as the file shows it: the registry name of a pair, a pair the compiler
// made up for an inline image, the application UID of an icon, and whether
// an image table is a frame or an application icon. The text dump, the JSON
// dump and the HTML preview all label items through here.
#ifndef KORVANE_INSPECT_ITEM_LABELS_H
#define KORVANE_INSPECT_ITEM_LABELS_H

#include <cstdint>
#include <string>

#include "inspect/item_names.h"
#include "inspect/skn_reader.h"

namespace korvane {

// The major of every application icon's identifier; its minor is the UID.
constexpr uint32_t kApplicationIconMajor = 0x101F84B6;

struct ItemLabel {
  enum class Kind { kUnknown, kNamed, kGenerated, kApplication };
  Kind kind = Kind::kUnknown;
  std::string name;  // kNamed: the registry name without its "KTavsIID" prefix
  uint32_t uid = 0;  // kApplication: the application UID

  // "QsnBgScreen", "generated", "application UID 0x2000abcd"; empty when unknown.
  std::string text() const;
};

enum class ImageTableKind { kUnknown, kFrame, kApplicationIcon, kFrameOrApplicationIcon };

// "frame", "application icon", "frame or application icon"; null when unknown.
const char* imageTableKindText(ImageTableKind kind);

class ItemLabeler {
 public:
  // Generated pairs depend on the skin's package identifier, read from the
  // SKN header of `root`. Without `names` no pair has a registry name.
  ItemLabeler(const ItemNames* names, const SknChunk& root);

  ItemLabel label(uint32_t major, uint32_t minor) const;

  // The label of an item-identifier field of `chunk`. The own identifier of
  // an application icon names its application, not an item; the empty
  // reference of a scalable item built from effects names nothing.
  ItemLabel fieldLabel(const SknChunk& chunk, const SknField& field,
                       ImageTableKind tableKind = ImageTableKind::kUnknown) const;

  // What an image table is, told by the list it stands in (class 1 holds
  // application icons), its identifier (application icons have their own
  // major) and its parts (a frame has exactly nine). A table with nine parts
  // whose pair is both an application icon's and a registry row's could be
  // either. `listClass` is that of the enclosing item list.
  ImageTableKind imageTableKind(const SknChunk& table, uint64_t listClass) const;

 private:
  const ItemNames* names_;
  uint32_t packageIdHigh_ = 0;
  uint32_t packageIdLow_ = 0;
};

}  // namespace korvane

#endif
