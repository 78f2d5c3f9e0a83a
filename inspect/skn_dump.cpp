#include "inspect/skn_dump.h"

#include <string_view>
#include <vector>

#include "base/text.h"
#include "inspect/item_labels.h"

namespace korvane {

namespace {

bool isSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

// A high surrogate at `i` followed by a low one: one character, kept.
bool isSurrogatePairAt(std::u16string_view text, size_t i) {
  return text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
         text[i + 1] <= 0xDFFF;
}

// The text as UTF-8 with control characters and unpaired surrogates, and
// with `quoted` also the double quote and "<", written as <number> escapes.
std::string escapedSknText(std::u16string_view text, bool quoted) {
  std::string out;
  size_t plain = 0;  // start of the run not yet written
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (isSurrogatePairAt(text, i)) {
      ++i;
    } else if (c < 0x20 || c == 0x7F || isSurrogate(c) || (quoted && (c == u'"' || c == u'<'))) {
      out += toUtf8(text.substr(plain, i - plain));
      out += format("<%u>", c);
      plain = i + 1;
    }
  }
  return out + toUtf8(text.substr(plain));
}

bool hasParams(const SknChunk& chunk) {
  return chunk.type == kSknEffect || chunk.type == kSknAnimationParamGroup;
}

std::string withNote(std::string value, const std::string& note) {
  if (!note.empty()) value += " (" + note + ")";
  return value;
}

// The fields that hold a bitmap or mask index.
bool isIndexField(const SknChunk& chunk, const SknField& field) {
  if (chunk.type == kSknBitmapItem) return field.name == "bitmapIndex" || field.name == "maskIndex";
  return chunk.type == kSknWallpaperReference && field.name == "bitmapIndex";
}

// Everything a renderer needs beside the tree: the options, the labels of
// identifiers (when names are given) and the listed images of indices.
class DumpContext {
 public:
  DumpContext(const SknChunk& root, const SknDumpOptions& options)
      : options_(options), labeler_(options.names, root) {}

  const SknDumpOptions& options() const { return options_; }
  bool shown(const SknField& field) const {
    return options_.showTime || field.kind != SknFieldKind::kTime;
  }

  // The label of an identifier field, empty when names are not shown or the pair has none.
  ItemLabel label(const SknChunk& chunk, const SknField& field, ImageTableKind kind) const {
    if (options_.names == nullptr || field.kind != SknFieldKind::kItemId) return ItemLabel();
    return labeler_.fieldLabel(chunk, field, kind);
  }
  // The label of a pair in a table entry: frame parts and icon images are plain items.
  ItemLabel pairLabel(const SknField& field) const {
    if (options_.names == nullptr || field.kind != SknFieldKind::kItemId) return ItemLabel();
    return labeler_.label(static_cast<uint32_t>(field.value), field.minor);
  }
  ImageTableKind tableKind(const SknChunk& chunk, uint64_t listClass) const {
    if (options_.names == nullptr) return ImageTableKind::kUnknown;
    return labeler_.imageTableKind(chunk, listClass);
  }

  // The listed image of a bitmap or mask index, when a list is given and the
  // index is not "none".
  bool listed(uint32_t index) const { return options_.list != nullptr && index != kSknNoIndex; }
  // "images\bg.bmp, c16", "mask of images\bg.bmp, 1", "not in the list".
  std::string listedText(uint32_t index) const {
    const ListedImage* image = options_.list->find(index);
    if (image == nullptr) return "not in the list";
    std::string file = image->fileText();
    if (index != image->index) {
      return "mask of " + file + ", " +
             (image->maskDepth.empty() ? "none listed" : image->maskDepth);
    }
    return file + ", " + image->depth + (image->svgAnim ? ", animated" : "");
  }

 private:
  const SknDumpOptions& options_;
  ItemLabeler labeler_;
};

std::string fieldText(const SknField& field) {
  std::string value;
  switch (field.kind) {
    case SknFieldKind::kNumber:
      value = format("%llu", static_cast<unsigned long long>(field.value));
      break;
    case SknFieldKind::kSigned:
      value = format("%d", static_cast<int16_t>(field.value));
      break;
    case SknFieldKind::kHex:
      value = format("0x%llx", static_cast<unsigned long long>(field.value));
      break;
    case SknFieldKind::kItemId:
      value = format("(0x%x, 0x%x)", static_cast<uint32_t>(field.value), field.minor);
      break;
    case SknFieldKind::kLayer:
      value = sknLayerText(static_cast<uint32_t>(field.value));
      break;
    case SknFieldKind::kText:
      value = quoteSknText(field.text);
      break;
    case SknFieldKind::kTime:
      value = format("0x%016llx", static_cast<unsigned long long>(field.value));
      break;
  }
  return withNote(std::move(value), field.note);
}

// A field with what the context adds: the label before a pair, the listed
// image after an index.
std::string fieldText(const DumpContext& context, const SknChunk& chunk, const SknField& field,
                      ImageTableKind kind) {
  if (field.kind == SknFieldKind::kItemId) {
    std::string label = context.label(chunk, field, kind).text();
    if (!label.empty()) return label + " " + fieldText(field);
  }
  uint32_t value = static_cast<uint32_t>(field.value);
  if (isIndexField(chunk, field) && context.listed(value)) {
    return format("0x%x (%s)", value, context.listedText(value).c_str());
  }
  return fieldText(field);
}

std::string entryFieldText(const DumpContext& context, const SknField& field) {
  std::string label = context.pairLabel(field).text();
  return label.empty() ? fieldText(field) : label + " " + fieldText(field);
}

std::string bitmapIndexText(const DumpContext& context, uint32_t index) {
  if (index == kSknNoIndex) return "none";
  if (context.listed(index)) return format("0x%x (%s)", index, context.listedText(index).c_str());
  return format("0x%x", index);
}

std::string paramValueText(const DumpContext& context, const SknParam& param) {
  switch (param.typeCode) {
    case kSknParamInt:
      return format("%d", static_cast<int32_t>(param.intValue));
    case kSknParamString:
      return quoteSknText(param.text);
    case kSknParamBitmap:
      return format("bitmapIndex %s, maskIndex %s, fileNumber %s",
                    bitmapIndexText(context, param.bitmapIndex).c_str(),
                    bitmapIndexText(context, param.maskIndex).c_str(),
                    withNote(format("%u", param.fileNumber), param.fileNumber == 0   ? "MBM"
                                                             : param.fileNumber == 1 ? "MIF"
                                                                                     : "")
                        .c_str());
    case kSknParamNamedRef:
      return format("VALUEID=%d", static_cast<int32_t>(param.intValue));
    default:
      return "";
  }
}

void renderChunkText(std::string& out, const SknChunk& chunk, size_t depth,
                     const DumpContext& context, uint64_t listClass) {
  std::string indent(depth * 2, ' ');
  std::string inner = indent + "  ";
  ImageTableKind kind = context.tableKind(chunk, listClass);
  out += indent;
  if (!chunk.list.empty()) out += chunk.list + ": ";
  out += chunk.name() ? chunk.name() : "?";
  if (const char* kindText = imageTableKindText(kind)) out += std::string(", ") + kindText;
  if (!chunk.restriction.empty()) out += " " + chunk.restriction;
  out += format(" (type %u, version %u) at 0x%04x, %u bytes\n", chunk.type, chunk.version,
                chunk.offset, chunk.size);
  for (const SknField& field : chunk.fields) {
    if (context.shown(field)) {
      out += inner + field.name + ": " + fieldText(context, chunk, field, kind) + "\n";
    }
  }
  for (size_t i = 0; i < chunk.entries.size(); ++i) {
    out += inner + format("%s %zu:", chunk.entryName.c_str(), i + 1);
    const std::vector<SknField>& fields = chunk.entries[i].fields;
    if (fields.size() == 1) {
      out += " " + entryFieldText(context, fields[0]);
    } else {
      for (size_t j = 0; j < fields.size(); ++j) {
        out += (j == 0 ? " " : ", ") + fields[j].name + " " + entryFieldText(context, fields[j]);
      }
    }
    out += "\n";
  }
  for (size_t i = 0; i < chunk.params.size(); ++i) {
    const SknParam& param = chunk.params[i];
    out += inner + format("parameter %zu at 0x%04x, %u bytes: %s ", i + 1, param.offset, param.size,
                          sknParamTypeName(param.typeCode));
    out += quoteSknText(param.name) + " = " + paramValueText(context, param);
    if (param.reserved != 0) out += format(", reserved byte %u", param.reserved);
    out += "\n";
  }
  uint64_t childListClass = chunk.type == kSknItemList ? chunk.value("listClass") : listClass;
  for (const SknChunk& child : chunk.children) {
    renderChunkText(out, child, depth + 1, context, childListClass);
  }
}

// A minimal JSON writer: objects, arrays, numbers and strings, two spaces of
// indentation per level.
class JsonWriter {
 public:
  void beginObject() { open('{'); }
  void endObject() { close('}'); }
  void beginArray() { open('['); }
  void endArray() { close(']'); }
  void key(std::string_view name) {
    separate();
    appendString(name);
    out_ += ": ";
    afterKey_ = true;
  }
  void number(uint64_t value) {
    startValue();
    out_ += format("%llu", static_cast<unsigned long long>(value));
  }
  void signedNumber(int64_t value) {
    startValue();
    out_ += format("%lld", static_cast<long long>(value));
  }
  void string(std::string_view text) {
    startValue();
    appendString(text);
  }
  void boolean(bool value) {
    startValue();
    out_ += value ? "true" : "false";
  }
  void null() {
    startValue();
    out_ += "null";
  }
  // A text of the file: UTF-8, with unpaired surrogates kept as "\udXXX"
  // escapes instead of being replaced, so that scripts see every unit.
  void string(std::u16string_view text) {
    startValue();
    out_ += '"';
    size_t plain = 0;  // start of the run not yet written
    auto flush = [&](size_t end) {
      appendEscaped(toUtf8(text.substr(plain, end - plain)));
      plain = end;
    };
    for (size_t i = 0; i < text.size(); ++i) {
      char16_t c = text[i];
      if (isSurrogatePairAt(text, i)) {
        ++i;
      } else if (isSurrogate(c)) {
        flush(i);
        out_ += format("\\u%04x", c);
        plain = i + 1;
      }
    }
    flush(text.size());
    out_ += '"';
  }
  // A key and its value in one call.
  void member(std::string_view name, uint64_t value) {
    key(name);
    number(value);
  }
  void member(std::string_view name, std::string_view text) {
    key(name);
    string(text);
  }
  void member(std::string_view name, std::u16string_view text) {
    key(name);
    string(text);
  }
  std::string take() {
    out_ += '\n';
    return std::move(out_);
  }

 private:
  void startValue() {
    if (afterKey_) {
      afterKey_ = false;
      return;
    }
    separate();
  }
  void separate() {
    if (firsts_.empty()) return;
    if (!firsts_.back()) out_ += ',';
    firsts_.back() = false;
    newline();
  }
  void newline() {
    out_ += '\n';
    out_.append(firsts_.size() * 2, ' ');
  }
  void open(char bracket) {
    startValue();
    out_ += bracket;
    firsts_.push_back(true);
  }
  void close(char bracket) {
    bool empty = firsts_.back();
    firsts_.pop_back();
    if (!empty) newline();
    out_ += bracket;
  }
  void appendString(std::string_view text) {
    out_ += '"';
    appendEscaped(text);
    out_ += '"';
  }
  void appendEscaped(std::string_view text) {
    for (char c : text) {
      switch (c) {
        case '"':
          out_ += "\\\"";
          break;
        case '\\':
          out_ += "\\\\";
          break;
        case '\n':
          out_ += "\\n";
          break;
        case '\r':
          out_ += "\\r";
          break;
        case '\t':
          out_ += "\\t";
          break;
        default:
          if (static_cast<unsigned char>(c) < 0x20) {
            out_ += format("\\u%04x", static_cast<unsigned char>(c));
          } else {
            out_ += c;
          }
      }
    }
  }

  std::string out_;
  std::vector<bool> firsts_;  // per open container: nothing written into it yet
  bool afterKey_ = false;
};

void fieldJson(JsonWriter& json, const SknField& field, const ItemLabel& label) {
  json.key(field.name);
  switch (field.kind) {
    case SknFieldKind::kNumber:
    case SknFieldKind::kHex:
      json.number(field.value);
      break;
    case SknFieldKind::kSigned:
      json.signedNumber(static_cast<int16_t>(field.value));
      break;
    case SknFieldKind::kItemId:
      json.beginObject();
      json.member("major", field.value);
      json.member("minor", field.minor);
      switch (label.kind) {
        case ItemLabel::Kind::kNamed:
          json.member("name", label.name);
          break;
        case ItemLabel::Kind::kGenerated:
          json.key("generated");
          json.boolean(true);
          break;
        case ItemLabel::Kind::kApplication:
          json.member("applicationUid", label.uid);
          break;
        case ItemLabel::Kind::kUnknown:
          break;
      }
      json.endObject();
      break;
    case SknFieldKind::kLayer:
      json.string(sknLayerText(static_cast<uint32_t>(field.value)));
      break;
    case SknFieldKind::kText:
      json.string(std::u16string_view(field.text));
      break;
    case SknFieldKind::kTime:
      json.string(format("0x%016llx", static_cast<unsigned long long>(field.value)));
      break;
  }
}

// "<key>Image": the listed image of a bitmap or mask index, null when the
// list has none; nothing without a list or for "none".
void listedImageJson(JsonWriter& json, const DumpContext& context, const std::string& key,
                     uint32_t index) {
  if (!context.listed(index)) return;
  json.key(key + "Image");
  const ListedImage* image = context.options().list->find(index);
  if (image == nullptr) {
    json.null();
    return;
  }
  json.beginObject();
  if (index == image->index) {
    json.member("file", image->fileText());
    json.member("depth", image->depth);
    if (image->svgAnim) {
      json.key("animated");
      json.boolean(true);
    }
  } else {
    json.member("maskOf", image->fileText());
    if (!image->maskDepth.empty()) json.member("depth", image->maskDepth);
  }
  json.endObject();
}

void paramJson(JsonWriter& json, const DumpContext& context, const SknParam& param) {
  json.beginObject();
  json.member("offset", param.offset);
  json.member("size", param.size);
  json.member("reserved", param.reserved);
  json.member("typeCode", param.typeCode);
  json.member("type", sknParamTypeName(param.typeCode));
  json.member("name", std::u16string_view(param.name));
  switch (param.typeCode) {
    case kSknParamInt:
    case kSknParamNamedRef:
      json.key("value");
      json.signedNumber(static_cast<int32_t>(param.intValue));
      break;
    case kSknParamString:
      json.member("value", std::u16string_view(param.text));
      // The exact 16-bit units, for RAW items and texts that UTF-8 can't carry.
      json.key("units");
      json.beginArray();
      for (char16_t unit : param.text) json.number(unit);
      json.endArray();
      break;
    case kSknParamBitmap:
      json.member("bitmapIndex", param.bitmapIndex);
      listedImageJson(json, context, "bitmapIndex", param.bitmapIndex);
      json.member("maskIndex", param.maskIndex);
      listedImageJson(json, context, "maskIndex", param.maskIndex);
      json.member("fileNumber", param.fileNumber);
      break;
    default:
      break;
  }
  json.endObject();
}

void chunkJson(JsonWriter& json, const SknChunk& chunk, const DumpContext& context,
               uint64_t listClass) {
  ImageTableKind kind = context.tableKind(chunk, listClass);
  json.beginObject();
  json.member("name", chunk.name() ? chunk.name() : "?");
  json.member("type", chunk.type);
  json.member("version", chunk.version);
  json.member("offset", chunk.offset);
  json.member("size", chunk.size);
  if (const char* kindText = imageTableKindText(kind)) {
    json.member("kind", kindText);
  }
  if (!chunk.restriction.empty()) {
    json.member("restriction", chunk.restriction);
  }
  if (!chunk.list.empty()) {
    json.member("list", chunk.list);
  }
  json.key("fields");
  json.beginObject();
  for (const SknField& field : chunk.fields) {
    if (!context.shown(field)) continue;
    fieldJson(json, field, context.label(chunk, field, kind));
    if (isIndexField(chunk, field)) {
      listedImageJson(json, context, field.name, static_cast<uint32_t>(field.value));
    }
  }
  json.endObject();
  if (!chunk.entryName.empty()) {
    json.key(chunk.entryName + "s");
    json.beginArray();
    for (const SknEntry& entry : chunk.entries) {
      json.beginObject();
      json.member("offset", entry.offset);
      for (const SknField& field : entry.fields) fieldJson(json, field, context.pairLabel(field));
      json.endObject();
    }
    json.endArray();
  }
  if (hasParams(chunk)) {
    json.key("parameters");
    json.beginArray();
    for (const SknParam& param : chunk.params) paramJson(json, context, param);
    json.endArray();
  }
  uint64_t childListClass = chunk.type == kSknItemList ? chunk.value("listClass") : listClass;
  json.key("children");
  json.beginArray();
  for (const SknChunk& child : chunk.children) chunkJson(json, child, context, childListClass);
  json.endArray();
  json.endObject();
}

}  // namespace

std::string quoteSknText(std::u16string_view text) {
  return '"' + escapedSknText(text, true) + '"';
}

std::string plainSknText(std::u16string_view text) {
  return escapedSknText(text, false);
}

const char* sknParamTypeName(uint8_t code) {
  switch (code) {
    case kSknParamInt:
      return "INT";
    case kSknParamString:
      return "STR/RAW";
    case kSknParamBitmap:
      return "BMP";
    case kSknParamNamedRef:
      return "NAMEDREF";
    default:
      return "?";
  }
}

std::string sknLayerText(uint32_t value) {
  uint32_t layer = (value >> 8) & 0xFF;
  switch (value & 0xFF) {
    case 1:
      if (layer == 0) return "none";
      break;
    case 2:
      return format("%u/RGB", layer);
    case 4:
      return format("%u/A", layer);
    case 8:
      return format("%u/RGBA", layer);
    default:
      break;
  }
  return format("raw 0x%04x", value & 0xFFFF);
}

std::string renderSknText(const SknChunk& root, const SknDumpOptions& options) {
  std::string out;
  renderChunkText(out, root, 0, DumpContext(root, options), 0);
  return out;
}

std::string renderSknJson(const SknChunk& root, const SknDumpOptions& options) {
  JsonWriter json;
  chunkJson(json, root, DumpContext(root, options), 0);
  return json.take();
}

}  // namespace korvane
