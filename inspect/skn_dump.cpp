#include "inspect/skn_dump.h"

#include <memory>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace korvane {

namespace {

bool isSurrogate(char16_t c, char16_t first, char16_t last) {
  return c >= first && c <= last;
}

const char* paramTypeName(uint8_t code) {
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

bool hasParams(const SknChunk& chunk) {
  return chunk.type == kSknEffect || chunk.type == kSknAnimationParamGroup;
}

std::string withNote(std::string value, const std::string& note) {
  if (!note.empty()) value += " (" + note + ")";
  return value;
}

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

bool shown(const SknField& field, const SknDumpOptions& options) {
  return options.showTime || field.kind != SknFieldKind::kTime;
}

std::string bitmapIndexText(uint32_t index) {
  return index == 0xFFFFFFFF ? "none" : format("0x%x", index);
}

std::string paramValueText(const SknParam& param) {
  switch (param.typeCode) {
    case kSknParamInt:
      return format("%d", static_cast<int32_t>(param.intValue));
    case kSknParamString:
      return quoteSknText(param.text);
    case kSknParamBitmap:
      return format("bitmapIndex %s, maskIndex %s, fileNumber %s",
                    bitmapIndexText(param.bitmapIndex).c_str(),
                    bitmapIndexText(param.maskIndex).c_str(),
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
                     const SknDumpOptions& options) {
  std::string indent(depth * 2, ' ');
  std::string inner = indent + "  ";
  out += indent;
  if (!chunk.list.empty()) out += chunk.list + ": ";
  out += chunk.name() ? chunk.name() : "?";
  if (!chunk.restriction.empty()) out += " " + chunk.restriction;
  out += format(" (type %u, version %u) at 0x%04x, %u bytes\n", chunk.type, chunk.version,
                chunk.offset, chunk.size);
  for (const SknField& field : chunk.fields) {
    if (shown(field, options)) out += inner + field.name + ": " + fieldText(field) + "\n";
  }
  for (size_t i = 0; i < chunk.entries.size(); ++i) {
    out += inner + format("%s %zu:", chunk.entryName.c_str(), i + 1);
    const std::vector<SknField>& fields = chunk.entries[i].fields;
    if (fields.size() == 1) {
      out += " " + fieldText(fields[0]);
    } else {
      for (size_t j = 0; j < fields.size(); ++j) {
        out += (j == 0 ? " " : ", ") + fields[j].name + " " + fieldText(fields[j]);
      }
    }
    out += "\n";
  }
  for (size_t i = 0; i < chunk.params.size(); ++i) {
    const SknParam& param = chunk.params[i];
    out += inner + format("parameter %zu at 0x%04x, %u bytes: %s ", i + 1, param.offset, param.size,
                          paramTypeName(param.typeCode));
    out += quoteSknText(param.name) + " = " + paramValueText(param);
    if (param.reserved != 0) out += format(", reserved byte %u", param.reserved);
    out += "\n";
  }
  for (const SknChunk& child : chunk.children) renderChunkText(out, child, depth + 1, options);
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
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
          text[i + 1] <= 0xDFFF) {
        ++i;
      } else if (c >= 0xD800 && c <= 0xDFFF) {
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

void fieldJson(JsonWriter& json, const SknField& field) {
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

void paramJson(JsonWriter& json, const SknParam& param) {
  json.beginObject();
  json.member("offset", param.offset);
  json.member("size", param.size);
  json.member("reserved", param.reserved);
  json.member("typeCode", param.typeCode);
  json.member("type", paramTypeName(param.typeCode));
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
      json.member("maskIndex", param.maskIndex);
      json.member("fileNumber", param.fileNumber);
      break;
    default:
      break;
  }
  json.endObject();
}

void chunkJson(JsonWriter& json, const SknChunk& chunk, const SknDumpOptions& options) {
  json.beginObject();
  json.member("name", chunk.name() ? chunk.name() : "?");
  json.member("type", chunk.type);
  json.member("version", chunk.version);
  json.member("offset", chunk.offset);
  json.member("size", chunk.size);
  if (!chunk.restriction.empty()) {
    json.member("restriction", chunk.restriction);
  }
  if (!chunk.list.empty()) {
    json.member("list", chunk.list);
  }
  json.key("fields");
  json.beginObject();
  for (const SknField& field : chunk.fields) {
    if (shown(field, options)) fieldJson(json, field);
  }
  json.endObject();
  if (!chunk.entryName.empty()) {
    json.key(chunk.entryName + "s");
    json.beginArray();
    for (const SknEntry& entry : chunk.entries) {
      json.beginObject();
      json.member("offset", entry.offset);
      for (const SknField& field : entry.fields) fieldJson(json, field);
      json.endObject();
    }
    json.endArray();
  }
  if (hasParams(chunk)) {
    json.key("parameters");
    json.beginArray();
    for (const SknParam& param : chunk.params) paramJson(json, param);
    json.endArray();
  }
  json.key("children");
  json.beginArray();
  for (const SknChunk& child : chunk.children) chunkJson(json, child, options);
  json.endArray();
  json.endObject();
}

}  // namespace

std::string quoteSknText(std::u16string_view text) {
  std::string out = "\"";
  std::u16string plain;
  auto escape = [&](char16_t unit) {
    out += toUtf8(plain);
    plain.clear();
    out += format("<%u>", unit);
  };
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (isSurrogate(c, 0xD800, 0xDBFF) && i + 1 < text.size() &&
        isSurrogate(text[i + 1], 0xDC00, 0xDFFF)) {
      plain += c;
      plain += text[++i];
    } else if (c < 0x20 || c == 0x7F || c == u'"' || c == u'<' || isSurrogate(c, 0xD800, 0xDFFF)) {
      escape(c);
    } else {
      plain += c;
    }
  }
  out += toUtf8(plain);
  out += '"';
  return out;
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
  renderChunkText(out, root, 0, options);
  return out;
}

std::string renderSknJson(const SknChunk& root, const SknDumpOptions& options) {
  JsonWriter json;
  chunkJson(json, root, options);
  return json.take();
}

}  // namespace korvane
