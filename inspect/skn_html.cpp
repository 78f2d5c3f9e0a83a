#include "inspect/skn_html.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/text.h"
#include "inspect/item_labels.h"
#include "inspect/skn_dump.h"

namespace korvane {

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kDefault16 = 0xFFFF;

// Light page, dark text; no colour that an image or swatch of a skin would
// be mistaken for has a solid block of its own.
constexpr const char* kStyle = R"css(
body { font: 14px/1.4 sans-serif; margin: 0; padding: 16px 24px; background: #fafafa; color: #1a1a1a; }
h1 { font-size: 24px; margin: 0 0 4px; }
h2 { font-size: 18px; margin: 24px 0 8px; border-bottom: 1px solid #ccc; }
h3 { font-size: 15px; margin: 16px 0 8px; }
h4 { font-size: 14px; margin: 0; word-break: break-all; }
table.facts th { text-align: left; font-weight: normal; color: #555; padding-right: 16px; vertical-align: top; }
.sub, .pair, .note { color: #555; font-size: 12px; }
.pair { margin: 0 0 6px; word-break: break-all; }
.cards { display: grid; grid-template-columns: repeat(auto-fill, minmax(300px, 1fr)); gap: 10px; }
.item { background: #fff; border: 1px solid #ccc; border-radius: 4px; padding: 8px 10px; }
.item:target { outline: 2px solid #4060c0; }
.row { display: flex; flex-wrap: wrap; gap: 8px; align-items: flex-start; }
.image { width: 64px; height: 64px; object-fit: contain; image-rendering: pixelated; flex: none; }
.small .image { width: 40px; height: 40px; }
.placeholder { display: inline-flex; align-items: center; justify-content: center; box-sizing: border-box;
  border: 1px dashed #888; color: #555; font-size: 9px; text-align: center; overflow: hidden;
  word-break: break-all; background: repeating-linear-gradient(45deg, #f4f4f4 0 4px, #e6e6e6 4px 8px); }
figure { margin: 0; text-align: center; font-size: 11px; }
figcaption { max-width: 96px; word-break: break-all; }
.frame-grid { display: grid; grid-template-columns: repeat(3, 40px); grid-template-rows: repeat(3, 40px);
  gap: 2px; flex: none; }
.frame-grid .cell, .frame-grid a { display: flex; overflow: hidden; }
.frame-grid .image { width: 40px; height: 40px; }
ol.parts, ol.effects, ul.colours { margin: 4px 0; padding-left: 20px; font-size: 12px; }
ul.colours { list-style: none; padding: 0; }
ul.colours li { display: flex; align-items: center; gap: 8px; margin: 2px 0; }
.swatch { display: inline-block; width: 32px; height: 32px; border: 1px solid #777; flex: none; }
.swatch.palette { background: repeating-linear-gradient(45deg, #f4f4f4 0 4px, #e6e6e6 4px 8px); }
.text { font-family: monospace; white-space: pre-wrap; word-break: break-all; margin: 0; }
table.params { border-collapse: collapse; font-size: 12px; margin: 2px 0 6px; }
table.params td { border-top: 1px solid #e4e4e4; padding: 2px 6px 2px 0; vertical-align: middle; }
.effect-head, .block-head { font-size: 12px; font-family: monospace; }
.empty { color: #555; }
)css";

std::string escapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string pairText(uint32_t major, uint32_t minor) {
  return format("(0x%x, 0x%x)", major, minor);
}

std::string pairAttribute(uint32_t major, uint32_t minor) {
  return format("0x%x,0x%x", major, minor);
}

// A normalised path; "." becomes empty.
fs::path normal(const fs::path& path) {
  fs::path n = path.lexically_normal();
  return n == "." ? fs::path() : n;
}

bool climbs(const fs::path& path) {
  return !path.empty() && *path.begin() == "..";
}

// Starts at a root: "/skins" is one on Windows too, where it is not absolute
// (it lacks a drive) but names no place below the working directory either.
bool rooted(const fs::path& path) {
  return path.has_root_directory();
}

const char* kindSlug(uint16_t type, ImageTableKind tableKind) {
  switch (type) {
    case kSknBitmapItem:
      return "bitmap";
    case kSknColorTableItem:
      return "colour-table";
    case kSknImageTableItem:
      switch (tableKind) {
        case ImageTableKind::kFrame:
          return "frame";
        case ImageTableKind::kApplicationIcon:
          return "application-icon";
        default:
          return "image-table";
      }
    case kSknBmpAnimItem:
      return "bitmap-animation";
    case kSknStringItem:
      return "string";
    case kSknScalableItem:
      return "scalable-item";
    case kSknAnimationItem:
      return "animation";
    default:
      return "item";
  }
}

std::string kindTitle(uint16_t type, ImageTableKind tableKind) {
  switch (type) {
    case kSknBitmapItem:
      return "bitmap";
    case kSknColorTableItem:
      return "colour table";
    case kSknImageTableItem: {
      const char* text = imageTableKindText(tableKind);
      return text ? text : "image table";
    }
    case kSknBmpAnimItem:
      return "bitmap animation";
    case kSknStringItem:
      // The file keeps no difference between the two.
      return "string or sound";
    case kSknScalableItem:
      return "scalable item";
    case kSknAnimationItem:
      return "animation";
    default:
      return "item";
  }
}

// Frame parts in the order a frame lists them, with their cell in the 3x3 grid.
struct FramePart {
  const char* position;
  int row;
  int column;
};
constexpr FramePart kFrameParts[9] = {
    {"top left", 1, 1},     {"top right", 1, 3}, {"bottom left", 3, 1},
    {"bottom right", 3, 3}, {"top", 1, 2},       {"bottom", 3, 2},
    {"left", 2, 1},         {"right", 2, 3},     {"centre", 2, 2},
};

// "COORDS=0,0 SIZE=176,16 STRETCH ALIGN=CC", as the description writes them.
std::string attributesText(const SknChunk& attributes) {
  uint64_t flags = attributes.value("flags");
  auto signed16 = [&](const char* name) { return static_cast<int16_t>(attributes.value(name)); };
  std::string out;
  auto add = [&out](const std::string& part) {
    if (!out.empty()) out += ' ';
    out += part;
  };
  if (flags & 0x001) add(format("COORDS=%d,%d", signed16("x"), signed16("y")));
  if (flags & 0x002) add(format("SIZE=%d,%d", signed16("width"), signed16("height")));
  if (flags & 0x004) add("STRETCH");
  if (flags & 0x008) add("TILE");
  if (flags & 0x040) add("TILEX");
  if (flags & 0x080) add("TILEY");
  if (flags & 0x010) {
    const SknField* align = attributes.field("align");
    add("ALIGN=" + (align && !align->note.empty()
                        ? align->note
                        : format("0x%x", static_cast<unsigned>(attributes.value("align")))));
  }
  return out;
}

const SknChunk* childOfType(const SknChunk& chunk, uint16_t type) {
  for (const SknChunk& child : chunk.children) {
    if (child.type == type) return &child;
  }
  return nullptr;
}

struct PageItem {
  const SknChunk* chunk = nullptr;
  size_t group = 0;
  std::string anchor;
  ImageTableKind tableKind = ImageTableKind::kUnknown;
  ItemLabel label;
  uint32_t major = 0;
  uint32_t minor = 0;
};

struct PageGroup {
  enum Category { kUnrestricted, kRelease, kLayout, kLanguage };
  Category category = kUnrestricted;
  std::string restriction;  // "" for the unrestricted lists
  std::string title;
  std::vector<size_t> items;
};

class PageBuilder {
 public:
  PageBuilder(const SknChunk& root, const SknHtmlOptions& options)
      : root_(root), options_(options), labeler_(options.names, root) {}

  std::string render();

 private:
  void collect();
  void collectList(const SknChunk& list, PageGroup::Category category,
                   const std::string& restriction, const std::string& title);
  void renderInformation();
  void renderNames();
  void renderItems();
  void renderItem(const PageItem& item);
  void renderBitmap(const PageItem& item);
  void renderColourTable(const PageItem& item);
  void renderImageTable(const PageItem& item);
  void renderBmpAnim(const PageItem& item);
  void renderScalable(const PageItem& item);
  void renderAnimation(const PageItem& item);
  // The effects or parameter groups (`type`) of one of `owner`'s lists,
  // each with its parameters.
  void renderBlock(const SknChunk& owner, uint16_t type, const std::string& list,
                   const char* title);
  void renderParams(const SknChunk& chunk);

  std::string labelHtml(const ItemLabel& label, uint32_t major, uint32_t minor) const;
  // The image of a bitmap index, or a placeholder that says why there is none.
  std::string imageHtml(uint32_t index, const std::string& caption) const;
  std::string placeholderHtml(const std::string& text, const std::string& title,
                              const std::string& attributes) const;
  // The image of the bitmap item an item refers to by its pair, with a link to it.
  std::string referencedImageHtml(uint32_t major, uint32_t minor, const PageItem& from) const;
  // The item a reference from `from` reaches: under the same restriction
  // first, then unrestricted, then any; bitmaps before other kinds.
  const PageItem* findItem(uint32_t major, uint32_t minor, const PageItem& from) const;
  std::string referenceHtml(uint32_t major, uint32_t minor, const PageItem& from) const;
  std::string listedImageText(uint32_t index) const;
  // "index 0x4000: images\bg.bmp, c16" ("mask 0x4001: ..." with `what`
  // "mask"), or the index alone when the list has no such image.
  std::string indexNoteHtml(const char* what, uint32_t index) const;

  const SknChunk& root_;
  const SknHtmlOptions& options_;
  ItemLabeler labeler_;
  std::vector<PageGroup> groups_;
  std::vector<PageItem> items_;
  std::unordered_map<uint64_t, std::vector<size_t>> byPair_;
  std::string out_;
};

void PageBuilder::collectList(const SknChunk& list, PageGroup::Category category,
                              const std::string& restriction, const std::string& title) {
  PageGroup& group = groups_.emplace_back();
  group.category = category;
  group.restriction = restriction;
  group.title = title;
  uint64_t listClass = list.value("listClass");
  for (const SknChunk& chunk : list.children) {
    const SknField* id = chunk.field("id");
    if (id == nullptr || id->kind != SknFieldKind::kItemId) continue;
    PageItem item;
    item.chunk = &chunk;
    item.group = groups_.size() - 1;
    item.anchor = format("item-%zu", items_.size() + 1);
    item.tableKind = labeler_.imageTableKind(chunk, listClass);
    item.label = labeler_.fieldLabel(chunk, *id, item.tableKind);
    item.major = static_cast<uint32_t>(id->value);
    item.minor = id->minor;
    group.items.push_back(items_.size());
    byPair_[itemPairKey(item.major, item.minor)].push_back(items_.size());
    items_.push_back(std::move(item));
  }
}

void PageBuilder::collect() {
  // Unrestricted lists first, then the wrappers by kind, each in file order.
  for (const SknChunk& chunk : root_.children) {
    if (chunk.type != kSknItemList) continue;
    bool icons = chunk.value("listClass") == 1;
    collectList(chunk, PageGroup::kUnrestricted, "",
                icons ? "Application icons (unrestricted)" : "Unrestricted");
  }
  for (PageGroup::Category category :
       {PageGroup::kRelease, PageGroup::kLayout, PageGroup::kLanguage}) {
    for (const SknChunk& chunk : root_.children) {
      PageGroup::Category kind;
      std::string title;
      if (chunk.type == kSknRelease26Restriction || chunk.type == kSknReleaseRestriction) {
        kind = PageGroup::kRelease;
        title = "Release " + chunk.restriction;
      } else if (chunk.type == kSknLayoutOrLanguageRestriction) {
        bool language = chunk.value("layout") == 0;
        kind = language ? PageGroup::kLanguage : PageGroup::kLayout;
        title = (language ? "Language " : "Layout ") + chunk.restriction;
        if (chunk.restriction == "LAY_W") title += " (not mirrored)";
        if (chunk.restriction == "LAY_AH") title += " (mirrored)";
      } else {
        continue;
      }
      if (kind != category) continue;
      for (const SknChunk& list : chunk.children) {
        if (list.type == kSknItemList) collectList(list, kind, chunk.restriction, title);
      }
    }
  }
}

std::string PageBuilder::listedImageText(uint32_t index) const {
  const ListedImage* image = options_.list ? options_.list->find(index) : nullptr;
  if (image == nullptr) return std::string();
  std::string file = image->fileText();
  if (index != image->index) {
    return "mask of " + file + (image->maskDepth.empty() ? "" : ", depth " + image->maskDepth);
  }
  return file + ", " + image->depth + (image->svgAnim ? ", animated" : "");
}

std::string PageBuilder::indexNoteHtml(const char* what, uint32_t index) const {
  std::string listed = listedImageText(index);
  return escapeHtml(format("%s 0x%x", what, index) + (listed.empty() ? "" : ": " + listed));
}

std::string PageBuilder::placeholderHtml(const std::string& text, const std::string& title,
                                         const std::string& attributes) const {
  return "<span class=\"image placeholder\" title=\"" + escapeHtml(title) + "\"" + attributes +
         ">" + escapeHtml(text) + "</span>";
}

std::string PageBuilder::imageHtml(uint32_t index, const std::string& caption) const {
  std::string indexText = format("0x%x", index);
  std::string indexAttribute = " data-index=\"" + indexText + "\"";
  std::string prefix = caption.empty() ? std::string() : caption + ": ";
  if (options_.list == nullptr) {
    return placeholderHtml(indexText, prefix + "bitmap index " + indexText + " (no --list given)",
                           indexAttribute);
  }
  const ListedImage* image = options_.list->find(index);
  if (image == nullptr || image->index != index) {
    return placeholderHtml(indexText + " not listed",
                           prefix + "bitmap index " + indexText + " is not in the list",
                           indexAttribute);
  }
  std::string file = image->fileText();
  std::string fileAttribute = indexAttribute + " data-file=\"" + escapeHtml(file) + "\"";
  RelatedPath path =
      relatePath(options_.listFile, image->file, options_.pageFile, options_.workingDirectory);
  if (options_.fs != nullptr && !options_.fs->exists(path.fromWorkingDirectory)) {
    return placeholderHtml("missing " + file, prefix + file + " not found", fileAttribute);
  }
  if (path.fromPage.empty()) {
    return placeholderHtml(file, prefix + file + " cannot be reached from the page", fileAttribute);
  }
  std::string title = prefix + file + " (" + image->depth + ", index " + indexText + ")";
  return "<img class=\"image\" src=\"" + escapeHtml(relativeUrl(path.fromPage)) + "\" alt=\"" +
         escapeHtml(file) + "\" title=\"" + escapeHtml(title) + "\"" + fileAttribute + ">";
}

const PageItem* PageBuilder::findItem(uint32_t major, uint32_t minor, const PageItem& from) const {
  auto it = byPair_.find(itemPairKey(major, minor));
  if (it == byPair_.end()) return nullptr;
  const std::string& restriction = groups_[from.group].restriction;
  const PageItem* best = nullptr;
  int bestRank = 0;
  for (size_t index : it->second) {
    const PageItem& candidate = items_[index];
    const std::string& where = groups_[candidate.group].restriction;
    int rank = where == restriction ? 3 : where.empty() ? 2 : 1;
    rank = rank * 2 + (candidate.chunk->type == kSknBitmapItem ? 1 : 0);
    if (rank > bestRank) {
      best = &candidate;
      bestRank = rank;
    }
  }
  return best;
}

std::string PageBuilder::labelHtml(const ItemLabel& label, uint32_t major, uint32_t minor) const {
  std::string text = label.text();
  return escapeHtml(text.empty() ? pairText(major, minor) : text);
}

std::string PageBuilder::referenceHtml(uint32_t major, uint32_t minor, const PageItem& from) const {
  // Generated pairs share their label, so the pair tells them apart.
  ItemLabel label = labeler_.label(major, minor);
  std::string text = labelHtml(label, major, minor);
  if (label.kind == ItemLabel::Kind::kGenerated) text += " " + pairText(major, minor);
  const PageItem* target = findItem(major, minor, from);
  if (target == nullptr) return text;
  return "<a href=\"#" + target->anchor + "\">" + text + "</a>";
}

std::string PageBuilder::referencedImageHtml(uint32_t major, uint32_t minor,
                                             const PageItem& from) const {
  std::string label = labeler_.label(major, minor).text();
  std::string caption = label.empty() ? pairText(major, minor) : label;
  const PageItem* target = findItem(major, minor, from);
  std::string pair = " data-id=\"" + pairAttribute(major, minor) + "\"";
  if (target == nullptr) {
    return placeholderHtml(caption, caption + " is not an item of this skin", pair);
  }
  if (target->chunk->type != kSknBitmapItem) {
    return "<a href=\"#" + target->anchor + "\">" +
           placeholderHtml(caption,
                           caption + " is a " + kindTitle(target->chunk->type, target->tableKind),
                           pair) +
           "</a>";
  }
  return "<a href=\"#" + target->anchor + "\">" +
         imageHtml(static_cast<uint32_t>(target->chunk->value("bitmapIndex")), caption) + "</a>";
}

std::string PageBuilder::render() {
  collect();
  std::u16string title;  // the first name
  for (const SknChunk& chunk : root_.children) {
    if (chunk.type == kSknSkinName) {
      title = chunk.text("name");
      break;
    }
  }
  std::string titleHtml = title.empty() ? std::string("Skin") : escapeHtml(plainSknText(title));
  out_ += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  out_ += "<meta name=\"generator\" content=\"korvane-dump\">\n";
  out_ += "<title>" + titleHtml + " - skin preview</title>\n<style>" + kStyle + "</style>\n";
  out_ += "</head>\n<body>\n<header><h1>" + titleHtml + "</h1>\n<p class=\"sub\">Skin preview, " +
          format("%zu items", items_.size()) +
          (options_.list ? ", images from the generation list " + escapeHtml(options_.listFile)
                         : ", without a generation list: images are shown by their index") +
          "</p></header>\n";
  renderInformation();
  renderNames();
  renderItems();
  out_ += "</body>\n</html>\n";
  return std::move(out_);
}

void PageBuilder::renderInformation() {
  out_ += "<section id=\"information\">\n<h2>Skin information</h2>\n<table class=\"facts\">\n";
  auto row = [this](const std::string& name, const std::string& valueHtml) {
    out_ += "<tr><th>" + escapeHtml(name) + "</th><td>" + valueHtml + "</td></tr>\n";
  };
  uint64_t high = root_.value("packageIdHigh");
  uint64_t low = root_.value("packageIdLow");
  row("Package identifier", high == 0
                                ? format("UID 0x%llx", static_cast<unsigned long long>(low))
                                : format("PID 0x%llx 0x%llx", static_cast<unsigned long long>(high),
                                         static_cast<unsigned long long>(low)));
  if (const SknField* type = root_.field("skinType")) {
    row("Skin type", escapeHtml(format("0x%llx", static_cast<unsigned long long>(type->value)) +
                                (type->note.empty() ? "" : " (" + type->note + ")")));
  }
  std::string palette =
      format("%llu", static_cast<unsigned long long>(root_.value("paletteScheme")));
  if (root_.value("paletteSchemeHigh") != 0) {
    palette +=
        format(" (high %llu)", static_cast<unsigned long long>(root_.value("paletteSchemeHigh")));
  }
  row("Palette scheme", palette);
  row("Copy protection", root_.value("protect") ? "disablecopy" : "none");
  std::string devices;
  std::string files;
  std::string wallpapers;
  for (const SknChunk& chunk : root_.children) {
    switch (chunk.type) {
      case kSknSkinInformation:
        row("Author", escapeHtml(quoteSknText(chunk.text("author"))));
        row("Copyright", escapeHtml(quoteSknText(chunk.text("copyright"))));
        row("Tool", escapeHtml(quoteSknText(chunk.text("tool"))));
        if (const SknField* time = chunk.field("time")) row("Compiled", escapeHtml(time->note));
        break;
      case kSknTargetDevice:
        if (!devices.empty()) devices += "<br>";
        devices += escapeHtml(quoteSknText(chunk.text("device")));
        break;
      case kSknBitmapFileName: {
        if (!files.empty()) files += "<br>";
        const SknField* number = chunk.field("fileNumber");
        files += escapeHtml(quoteSknText(chunk.text("name")) +
                            (number && !number->note.empty() ? " (" + number->note + ")" : ""));
        break;
      }
      case kSknLanguageOverride:
        row("Language override",
            format("A&amp;H, low 0x%llx, high 0x%llx",
                   static_cast<unsigned long long>(chunk.value("ahOverrideLow")),
                   static_cast<unsigned long long>(chunk.value("ahOverrideHigh"))));
        break;
      case kSknWallpaperReference: {
        uint32_t index = static_cast<uint32_t>(chunk.value("bitmapIndex"));
        std::string listed = listedImageText(index);
        if (!wallpapers.empty()) wallpapers += "<br>";
        wallpapers +=
            escapeHtml(format("slot %llu: ", static_cast<unsigned long long>(chunk.value("slot"))) +
                       quoteSknText(chunk.text("name")) + format(", index 0x%x", index) +
                       (listed.empty() ? "" : " (" + listed + ")"));
        break;
      }
      default:
        break;
    }
  }
  if (!devices.empty()) row("Target devices", devices);
  if (!files.empty()) row("Bitmap files", files);
  if (!wallpapers.empty()) row("Wallpaper references", wallpapers);
  row("Generation list", options_.list ? escapeHtml(options_.listFile) : "none given");
  out_ += "</table>\n</section>\n";
}

void PageBuilder::renderNames() {
  out_ += "<section id=\"names\">\n<h2>Names</h2>\n<table class=\"facts\">\n";
  bool any = false;
  for (const SknChunk& chunk : root_.children) {
    if (chunk.type != kSknSkinName) continue;
    any = true;
    unsigned long long language = chunk.value("languageId");
    out_ += format("<tr data-language=\"%llu\"><th>Language %llu</th><td>", language, language) +
            escapeHtml(quoteSknText(chunk.text("name"))) + "</td></tr>\n";
  }
  out_ += "</table>\n";
  if (!any) out_ += "<p class=\"empty\">The skin has no names.</p>\n";
  out_ += "</section>\n";
}

void PageBuilder::renderItems() {
  out_ += "<section id=\"items\">\n<h2>Items</h2>\n";
  std::vector<std::string> empty;
  for (size_t g = 0; g < groups_.size(); ++g) {
    const PageGroup& group = groups_[g];
    if (group.items.empty()) {
      // The unrestricted list is shown even when empty; wrappers without items
      // are only named.
      if (group.category != PageGroup::kUnrestricted) {
        empty.push_back(group.restriction);
        continue;
      }
    }
    static const char* const kCategories[] = {"unrestricted", "release", "layout", "language"};
    out_ += format("<section class=\"group\" id=\"group-%zu\" data-category=\"%s\" ", g + 1,
                   kCategories[group.category]) +
            "data-restriction=\"" + escapeHtml(group.restriction) + "\">\n<h3>" +
            escapeHtml(group.title) +
            format(" <span class=\"note\">%zu item%s</span></h3>\n", group.items.size(),
                   group.items.size() == 1 ? "" : "s");
    if (group.items.empty()) out_ += "<p class=\"empty\">No items.</p>\n";
    out_ += "<div class=\"cards\">\n";
    for (size_t index : group.items) renderItem(items_[index]);
    out_ += "</div>\n</section>\n";
  }
  if (!empty.empty()) {
    out_ += "<p class=\"empty\" id=\"empty-restrictions\">No items under ";
    for (size_t i = 0; i < empty.size(); ++i) {
      if (i > 0) out_ += ", ";
      out_ += escapeHtml(empty[i]);
    }
    out_ += ".</p>\n";
  }
  out_ += "</section>\n";
}

void PageBuilder::renderItem(const PageItem& item) {
  const SknChunk& chunk = *item.chunk;
  std::string labelText = item.label.text();
  out_ += "<article class=\"item " + std::string(kindSlug(chunk.type, item.tableKind)) +
          "\" id=\"" + item.anchor + "\" data-kind=\"" + kindSlug(chunk.type, item.tableKind) +
          "\" data-item=\"" + escapeHtml(labelText) + "\" data-id=\"" +
          pairAttribute(item.major, item.minor) + "\" data-restriction=\"" +
          escapeHtml(groups_[item.group].restriction) + "\">\n";
  out_ += "<h4 class=\"name\">" + labelHtml(item.label, item.major, item.minor) + "</h4>\n";
  out_ += "<p class=\"pair\">" + escapeHtml(pairText(item.major, item.minor)) + ", " +
          escapeHtml(kindTitle(chunk.type, item.tableKind)) + "</p>\n";
  switch (chunk.type) {
    case kSknBitmapItem:
      renderBitmap(item);
      break;
    case kSknColorTableItem:
      renderColourTable(item);
      break;
    case kSknImageTableItem:
      renderImageTable(item);
      break;
    case kSknBmpAnimItem:
      renderBmpAnim(item);
      break;
    case kSknStringItem:
      out_ += "<p class=\"text\">" + escapeHtml(quoteSknText(chunk.text("text"))) + "</p>\n";
      break;
    case kSknScalableItem:
      renderScalable(item);
      break;
    case kSknAnimationItem:
      renderAnimation(item);
      break;
    default:
      break;
  }
  out_ += "</article>\n";
}

void PageBuilder::renderBitmap(const PageItem& item) {
  const SknChunk& chunk = *item.chunk;
  uint32_t index = static_cast<uint32_t>(chunk.value("bitmapIndex"));
  uint32_t mask = static_cast<uint32_t>(chunk.value("maskIndex"));
  out_ += "<div class=\"row\">" + imageHtml(index, std::string()) + "<div class=\"note\">";
  out_ += indexNoteHtml("index", index);
  out_ += mask != kSknNoIndex ? "<br>" + indexNoteHtml("mask", mask) : "<br>no mask";
  if (const SknChunk* attributes = childOfType(chunk, kSknImageAttributes)) {
    std::string text = attributesText(*attributes);
    if (!text.empty()) out_ += "<br>" + escapeHtml(text);
  }
  out_ += "</div></div>\n";
}

void PageBuilder::renderColourTable(const PageItem& item) {
  out_ += "<ul class=\"colours\">\n";
  for (const SknEntry& entry : item.chunk->entries) {
    uint32_t index = 0;
    uint32_t rgb = 0;
    for (const SknField& field : entry.fields) {
      if (field.name == "index") index = static_cast<uint32_t>(field.value);
      if (field.name == "rgb") rgb = static_cast<uint32_t>(field.value);
    }
    if (index == kDefault16) {
      // Red is stored in the low byte.
      std::string hex = format("%02x%02x%02x", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
      out_ += "<li><span class=\"swatch\" style=\"background:#" + hex + "\" data-rgb=\"#" + hex +
              "\"></span>RGB=0x" + hex + "</li>\n";
    } else {
      out_ += format(
          "<li><span class=\"swatch palette\" data-palette-index=\"%u\" title=\"palette index "
          "%u\"></span>IDX=%u (palette)</li>\n",
          index, index, index);
    }
  }
  if (item.chunk->entries.empty()) out_ += "<li class=\"empty\">no colours</li>\n";
  out_ += "</ul>\n";
}

void PageBuilder::renderImageTable(const PageItem& item) {
  const std::vector<SknEntry>& entries = item.chunk->entries;
  auto partId = [](const SknEntry& entry, uint32_t& major, uint32_t& minor) {
    major = entry.fields.empty() ? 0 : static_cast<uint32_t>(entry.fields[0].value);
    minor = entry.fields.empty() ? 0 : entry.fields[0].minor;
  };
  if (item.tableKind == ImageTableKind::kFrame) {
    out_ += "<div class=\"row\"><div class=\"frame-grid small\">";
    for (size_t i = 0; i < entries.size() && i < 9; ++i) {
      uint32_t major;
      uint32_t minor;
      partId(entries[i], major, minor);
      out_ += format("<div class=\"cell\" style=\"grid-area:%d/%d\" data-part=\"%zu\">",
                     kFrameParts[i].row, kFrameParts[i].column, i + 1) +
              referencedImageHtml(major, minor, item) + "</div>";
    }
    out_ += "</div>\n<ol class=\"parts\">\n";
    for (size_t i = 0; i < entries.size() && i < 9; ++i) {
      uint32_t major;
      uint32_t minor;
      partId(entries[i], major, minor);
      out_ += std::string("<li>") + kFrameParts[i].position + ": " +
              referenceHtml(major, minor, item) + "</li>\n";
    }
    out_ += "</ol></div>\n";
    return;
  }
  out_ += "<div class=\"row\">\n";
  for (const SknEntry& entry : entries) {
    uint32_t major;
    uint32_t minor;
    partId(entry, major, minor);
    out_ += "<figure>" + referencedImageHtml(major, minor, item) + "<figcaption>" +
            referenceHtml(major, minor, item) + "</figcaption></figure>\n";
  }
  if (entries.empty()) out_ += "<p class=\"empty\">no images</p>\n";
  out_ += "</div>\n";
}

void PageBuilder::renderBmpAnim(const PageItem& item) {
  const SknChunk& chunk = *item.chunk;
  uint64_t interval = chunk.value("interval");
  const SknField* mode = chunk.field("mode");
  std::string head = interval == kDefault16
                         ? std::string("default interval")
                         : format("interval %llu", static_cast<unsigned long long>(interval));
  head += ", mode " + (mode && !mode->note.empty()
                           ? mode->note
                           : format("%llu", static_cast<unsigned long long>(chunk.value("mode"))));
  if (chunk.value("flash") != 0) head += ", flash";
  out_ += "<p class=\"note\">" + escapeHtml(head) + "</p>\n<div class=\"row frames\">\n";
  for (size_t i = 0; i < chunk.entries.size(); ++i) {
    const SknEntry& entry = chunk.entries[i];
    uint32_t major = 0;
    uint32_t minor = 0;
    uint64_t time = kDefault16;
    int posX = 0;
    int posY = 0;
    for (const SknField& field : entry.fields) {
      if (field.name == "id") {
        major = static_cast<uint32_t>(field.value);
        minor = field.minor;
      } else if (field.name == "time") {
        time = field.value;
      } else if (field.name == "posX") {
        posX = static_cast<int16_t>(field.value);
      } else if (field.name == "posY") {
        posY = static_cast<int16_t>(field.value);
      }
    }
    std::string timing = time == kDefault16
                             ? std::string("default time")
                             : format("time %llu", static_cast<unsigned long long>(time));
    if (posX != 0 || posY != 0) timing += format(", at %d,%d", posX, posY);
    out_ += format("<figure data-frame=\"%zu\">", i + 1) + referencedImageHtml(major, minor, item) +
            format("<figcaption>%zu. ", i + 1) + escapeHtml(timing) + "<br>" +
            referenceHtml(major, minor, item) + "</figcaption></figure>\n";
  }
  if (chunk.entries.empty()) out_ += "<p class=\"empty\">no frames</p>\n";
  out_ += "</div>\n";
}

void PageBuilder::renderScalable(const PageItem& item) {
  const SknChunk& chunk = *item.chunk;
  const SknField* ref = chunk.field("refId");
  uint32_t refMajor = ref ? static_cast<uint32_t>(ref->value) : 0;
  uint32_t refMinor = ref ? ref->minor : 0;
  bool reference =
      chunk.value("input") == 0 && chunk.value("output") == 0 && chunk.children.empty();
  if (reference || refMajor != 0 || refMinor != 0) {
    out_ += "<p>stands for " + referenceHtml(refMajor, refMinor, item) + " <span class=\"pair\">" +
            escapeHtml(pairText(refMajor, refMinor)) + "</span></p>\n";
    if (reference) return;
  }
  out_ += "<p class=\"effect-head\">" +
          escapeHtml("input " + sknLayerText(static_cast<uint32_t>(chunk.value("input"))) +
                     ", output " + sknLayerText(static_cast<uint32_t>(chunk.value("output")))) +
          "</p>\n";
  renderBlock(chunk, kSknEffect, std::string(), "Effects");
}

// "effect 0x10208f8a: none + none -> 0/RGB"
std::string effectHead(const SknChunk& effect) {
  return format("effect 0x%llx: ", static_cast<unsigned long long>(effect.value("uid"))) +
         sknLayerText(static_cast<uint32_t>(effect.value("inputA"))) + " + " +
         sknLayerText(static_cast<uint32_t>(effect.value("inputB"))) + " -> " +
         sknLayerText(static_cast<uint32_t>(effect.value("output")));
}

// A parameter group as the description heads it in its list.
std::string groupHead(const SknChunk& group, const std::string& list) {
  unsigned long long id = group.value("id");
  unsigned long long second = group.value("second");
  if (list == "values") return format("UID=%llu TIMINGID=%llu", id, second);
  if (list == "timingModels") return format("UID=%llu", id);
  const SknField* flags = group.field("second");
  return format("VALUEID=%llu ", id) +
         (flags && !flags->note.empty() ? flags->note : format("flags %llu", second));
}

void PageBuilder::renderBlock(const SknChunk& owner, uint16_t type, const std::string& list,
                              const char* title) {
  std::vector<const SknChunk*> members;
  for (const SknChunk& child : owner.children) {
    if (child.type == type && child.list == list) members.push_back(&child);
  }
  out_ +=
      std::string("<div class=\"block-head\">") + title + format(" (%zu)</div>\n", members.size());
  if (members.empty()) return;
  out_ += "<ol class=\"effects\">\n";
  for (const SknChunk* member : members) {
    std::string head = type == kSknEffect ? effectHead(*member) : groupHead(*member, list);
    out_ += "<li><div class=\"effect-head\">" + escapeHtml(head) + "</div>\n";
    renderParams(*member);
    out_ += "</li>\n";
  }
  out_ += "</ol>\n";
}

void PageBuilder::renderParams(const SknChunk& chunk) {
  if (chunk.params.empty()) return;
  out_ += "<table class=\"params\">\n";
  for (const SknParam& param : chunk.params) {
    std::string valueHtml;
    switch (param.typeCode) {
      case kSknParamInt:
        valueHtml = format("%d", static_cast<int32_t>(param.intValue));
        break;
      case kSknParamNamedRef:
        valueHtml = format("VALUEID=%d", static_cast<int32_t>(param.intValue));
        break;
      case kSknParamString:
        valueHtml = escapeHtml(quoteSknText(param.text));
        break;
      case kSknParamBitmap:
        valueHtml = "<span class=\"row small\">" + imageHtml(param.bitmapIndex, std::string()) +
                    "<span>" + indexNoteHtml("index", param.bitmapIndex);
        if (param.maskIndex != kSknNoIndex) {
          valueHtml += "<br>" + escapeHtml(format("mask 0x%x", param.maskIndex));
        }
        valueHtml += "</span></span>";
        break;
      default:
        break;
    }
    out_ += "<tr><td>" + escapeHtml(sknParamTypeName(param.typeCode)) + "</td><td>" +
            escapeHtml(quoteSknText(param.name)) + "</td><td>" + valueHtml + "</td></tr>\n";
  }
  out_ += "</table>\n";
}

void PageBuilder::renderAnimation(const PageItem& item) {
  const SknChunk& chunk = *item.chunk;
  std::string head =
      "input " + sknLayerText(static_cast<uint32_t>(chunk.value("input"))) + ", output " +
      sknLayerText(static_cast<uint32_t>(chunk.value("output"))) +
      format(", MININTERVAL=%llu", static_cast<unsigned long long>(chunk.value("minInterval")));
  if (chunk.value("morphing") != 0) head += ", MORPHING";
  out_ += "<p class=\"effect-head\">" + escapeHtml(head) + "</p>\n";
  renderBlock(chunk, kSknEffect, "preprocess", "Preprocess");
  renderBlock(chunk, kSknEffect, "commands", "Commands");
  renderBlock(chunk, kSknAnimationParamGroup, "values", "Values");
  renderBlock(chunk, kSknAnimationParamGroup, "timingModels", "Timing models");
  renderBlock(chunk, kSknAnimationParamGroup, "sizeBoundParams", "Size-bound parameters");
}

}  // namespace

std::string relativeUrl(std::string_view path) {
  std::string out;
  for (char c : path) {
    unsigned char u = static_cast<unsigned char>(c);
    bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
                 u == '-' || u == '.' || u == '_' || u == '~' || u == '/';
    out += plain ? std::string(1, c) : format("%%%02X", u);
  }
  return out;
}

RelatedPath relatePath(const std::string& baseFile, const std::string& file,
                       const std::string& pageFile, const std::string& workingDirectory) {
  fs::path named(hostPath(file));
  fs::path image =
      normal(rooted(named) ? named : fs::path(hostPath(baseFile)).parent_path() / named);
  fs::path pageDirectory = normal(fs::path(hostPath(pageFile)).parent_path());
  RelatedPath related;
  related.fromWorkingDirectory = image.empty() ? "." : image.generic_string();
  std::optional<fs::path> relative;
  if (rooted(image) == rooted(pageDirectory) && !climbs(image) && !climbs(pageDirectory)) {
    relative = image.lexically_relative(pageDirectory);
  } else if (!workingDirectory.empty()) {
    fs::path cwd(workingDirectory);
    relative = normal(cwd / image).lexically_relative(normal(cwd / pageDirectory));
  }
  if (relative && !relative->empty()) related.fromPage = relative->generic_string();
  return related;
}

std::string renderSknHtml(const SknChunk& root, const SknHtmlOptions& options) {
  return PageBuilder(root, options).render();
}

}  // namespace korvane
