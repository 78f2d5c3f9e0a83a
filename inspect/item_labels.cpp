#include "inspect/item_labels.h"

#include "base/text.h"

namespace korvane {

namespace {

constexpr size_t kFrameParts = 9;

}  // namespace

std::string ItemLabel::text() const {
  switch (kind) {
    case Kind::kNamed:
      return name;
    case Kind::kGenerated:
      return "generated";
    case Kind::kApplication:
      return format("application UID 0x%x", uid);
    case Kind::kUnknown:
      break;
  }
  return std::string();
}

const char* imageTableKindText(ImageTableKind kind) {
  switch (kind) {
    case ImageTableKind::kFrame:
      return "frame";
    case ImageTableKind::kApplicationIcon:
      return "application icon";
    case ImageTableKind::kFrameOrApplicationIcon:
      return "frame or application icon";
    case ImageTableKind::kUnknown:
      break;
  }
  return nullptr;
}

ItemLabeler::ItemLabeler(const ItemNames* names, const SknChunk& root)
    : names_(names),
      packageIdHigh_(static_cast<uint32_t>(root.value("packageIdHigh"))),
      packageIdLow_(static_cast<uint32_t>(root.value("packageIdLow"))) {}

ItemLabel ItemLabeler::label(uint32_t major, uint32_t minor) const {
  ItemLabel label;
  if (names_ != nullptr) {
    label.name = names_->name(major, minor);
    if (!label.name.empty()) {
      label.kind = ItemLabel::Kind::kNamed;
      return label;
    }
  }
  if (isGeneratedItemId(major, minor, packageIdHigh_, packageIdLow_)) {
    label.kind = ItemLabel::Kind::kGenerated;
  }
  return label;
}

ItemLabel ItemLabeler::fieldLabel(const SknChunk& chunk, const SknField& field,
                                  ImageTableKind tableKind) const {
  uint32_t major = static_cast<uint32_t>(field.value);
  if (chunk.type == kSknImageTableItem && field.name == "id" &&
      tableKind == ImageTableKind::kApplicationIcon) {
    ItemLabel label;
    label.kind = ItemLabel::Kind::kApplication;
    label.uid = field.minor;
    return label;
  }
  // The effect form writes its input layer (never 0); the reference form
  // writes 0 there, and only then is (0, 0) a reference.
  if (chunk.type == kSknScalableItem && field.name == "refId" && major == 0 && field.minor == 0 &&
      chunk.value("input") != 0) {
    return ItemLabel();
  }
  return label(major, field.minor);
}

ImageTableKind ItemLabeler::imageTableKind(const SknChunk& table, uint64_t listClass) const {
  if (table.type != kSknImageTableItem) return ImageTableKind::kUnknown;
  if (listClass == 1) return ImageTableKind::kApplicationIcon;
  const SknField* id = table.field("id");
  if (id == nullptr) return ImageTableKind::kUnknown;
  bool nineParts = table.entries.size() == kFrameParts;
  if (id->value != kApplicationIconMajor) {
    return nineParts ? ImageTableKind::kFrame : ImageTableKind::kUnknown;
  }
  if (nineParts && names_ != nullptr && names_->find(kApplicationIconMajor, id->minor) != nullptr) {
    return ImageTableKind::kFrameOrApplicationIcon;
  }
  return ImageTableKind::kApplicationIcon;
}

}  // namespace korvane
