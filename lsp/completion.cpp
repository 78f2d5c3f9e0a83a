// Completion: what may stand where the cursor is, from the element
// vocabulary, the item names and the image files of the bitmap directory.
#include <string>
#include <vector>

#include "base/text.h"
#include "lsp/document_state.h"

namespace korvane::lsp {
namespace {

// LSP completion item kinds.
constexpr int kKindKeyword = 14;
constexpr int kKindProperty = 10;
constexpr int kKindEnumMember = 20;
constexpr int kKindConstant = 21;
constexpr int kKindFile = 17;

// Item names are many: a page of them at a time, the client asks again as
// more is typed.
constexpr size_t kMaxItemNames = 200;

struct Completion {
  const DocumentState& state;
  Workspace& workspace;
  int line;
  int cursor;
  Json items = Json::array();
  bool incomplete = false;

  void add(std::string label, int kind, std::string detail, int startColumn) {
    Json item{{"label", label},
              {"kind", kind},
              {"textEdit",
               {{"range", toJson(lineRange(line, startColumn, cursor))}, {"newText", label}}}};
    if (!detail.empty()) item["detail"] = std::move(detail);
    items.push_back(std::move(item));
  }

  void addWords(VocabularyList<NamedCode> words, std::string_view typed, int kind,
                const char* detail, int startColumn, std::string_view suffix = {}) {
    for (const NamedCode& word : words) {
      std::string label = toUtf8(word.name) + std::string(suffix);
      if (startsWithNoCase(std::string_view(label), typed)) add(label, kind, detail, startColumn);
    }
  }

  void addKey(const ParamKey& key, std::string_view typed, int startColumn) {
    if (key.key.empty()) return;
    std::string label = toUtf8(key.key);
    if (startsWithNoCase(std::string_view(label), typed)) {
      add(label, kKindProperty, key.summary, startColumn);
    }
  }

  void addItemNames(std::string_view value, int valueColumn) {
    size_t percent = value.find('%');
    if (percent == std::string_view::npos) {
      addWords(kRestrictionSpecifiers, value, kKindEnumMember, "restriction prefix", valueColumn,
               "%");
    }
    std::string_view name = percent == std::string_view::npos ? value : value.substr(percent + 1);
    int nameColumn = valueColumn + utf16Length(value.substr(0, value.size() - name.size()));
    bool more = false;
    for (const CatalogItem& item : state.catalog->withPrefix(name, kMaxItemNames, more)) {
      std::string detail = formatPair(item.major, item.minor);
      if (item.extension) detail += " (extension list)";
      add(item.name, kKindConstant, detail, nameColumn);
    }
    incomplete = incomplete || more;
  }

  void addImageFiles(std::string_view typed, int startColumn) {
    std::string directory = imageFilePath(state, line, "");
    for (const std::string& name : workspace.listing.files(directory)) {
      if (startsWithNoCase(std::string_view(name), typed)) {
        add(name, kKindFile, joinPath(directory, name), startColumn);
      }
    }
  }

  void addLayer(std::string_view value, int valueColumn) {
    size_t slash = value.find('/');
    if (slash == std::string_view::npos) {
      if (startsWithNoCase(std::string_view("none"), value)) {
        add("none", kKindEnumMember, "no layer", valueColumn);
      }
      return;
    }
    addWords(kLayerChannels, value.substr(slash + 1), kKindEnumMember, "layer channels",
             valueColumn + utf16Length(value.substr(0, slash + 1)));
  }

  void addValue(const ParamKey& key, std::string_view value, int valueColumn) {
    switch (key.value) {
      case ValueKind::kItemName:
        addItemNames(value, valueColumn);
        break;
      case ValueKind::kEnumeration:
        addWords(key.values, value, kKindEnumMember, key.summary, valueColumn);
        break;
      case ValueKind::kColorDepth:
        addWords(kColorDepths, value, kKindEnumMember, "colour depth", valueColumn);
        break;
      case ValueKind::kFileName:
        addImageFiles(value, valueColumn);
        break;
      case ValueKind::kLayer:
        addLayer(value, valueColumn);
        break;
      default:
        break;
    }
  }

  // The first word of a line: an element, or inside a block its keys and
  // inner elements.
  void addLineStart(const OutlineLine& outlineLine, std::string_view typed, int startColumn) {
    if (outlineLine.blockElement == nullptr) {
      for (const ElementWords& element : elementVocabulary()) {
        if (element.placement == Placement::kInside) continue;
        std::string label = toUtf8(element.keyword);
        if (startsWithNoCase(std::string_view(label), typed)) {
          add(label, kKindKeyword, element.summary, startColumn);
        }
      }
      return;
    }
    std::u16string block = widenCopy(outlineLine.block);
    for (const ElementWords& element : elementVocabulary()) {
      if (element.placement != Placement::kInside ||
          findElementWords(element.keyword, Placement::kInside, block) != &element) {
        continue;
      }
      std::string label = toUtf8(element.keyword);
      if (startsWithNoCase(std::string_view(label), typed)) {
        add(label, kKindKeyword, element.summary, startColumn);
      }
    }
    if (startsWithNoCase(std::string_view("END"), typed)) {
      add("END", kKindKeyword, "end of the " + outlineLine.block + " block", startColumn);
    }
    for (const ParamKey& key : outlineLine.blockElement->bodyKeys) {
      if (key.key.empty()) {
        addValue(key, typed, startColumn);
      } else {
        addKey(key, typed, startColumn);
      }
    }
  }

  // The keys a parameter of this line may take.
  std::vector<const ParamKey*> keysOf(const OutlineLine& outlineLine) {
    std::vector<const ParamKey*> keys;
    const ElementWords* element = outlineLine.element;
    VocabularyList<ParamKey> own;
    bool attributes = false;
    if (element != nullptr) {
      own = element->lineKeys;
      attributes = element->imageAttributes;
    } else if (outlineLine.blockElement != nullptr) {
      own = outlineLine.blockElement->bodyKeys;
      attributes = outlineLine.blockElement->imageAttributes;
    }
    for (const ParamKey& key : own) keys.push_back(&key);
    if (attributes) {
      for (const ParamKey& key : imageAttributeKeys()) keys.push_back(&key);
    }
    return keys;
  }

  void addParameter(const OutlineLine& outlineLine, size_t tokenIndex, std::string_view typed,
                    int startColumn) {
    std::vector<const ParamKey*> keys = keysOf(outlineLine);
    size_t equals = typed.find('=');
    if (equals != std::string_view::npos) {
      std::string_view keyText = typed.substr(0, equals + 1);
      for (const ParamKey* key : keys) {
        if (!key->key.empty() && equalsNoCase(widenCopy(keyText), key->key)) {
          addValue(*key, typed.substr(equals + 1), startColumn + utf16Length(keyText));
          return;
        }
      }
      return;
    }
    bool afterDepth =
        tokenIndex > 0 &&
        findNamedCode(kColorDepths, widenCopy(outlineLine.tokens[tokenIndex - 1].text)) != nullptr;
    if (afterDepth) {
      addImageFiles(typed, startColumn);
      return;
    }
    bool depthsAdded = false;
    for (const ParamKey* key : keys) {
      if (!key->key.empty()) {
        addKey(*key, typed, startColumn);
      } else if (key->value == ValueKind::kEnumeration ||
                 (key->value == ValueKind::kColorDepth && !depthsAdded)) {
        depthsAdded = depthsAdded || key->value == ValueKind::kColorDepth;
        addValue(*key, typed, startColumn);
      }
    }
  }
};

bool insideString(std::string_view before) {
  size_t quotes = 0;
  for (char c : before) quotes += c == '"';
  return quotes % 2 == 1;
}

}  // namespace

Json completionAt(const DocumentState& state, Position position, Workspace& workspace) {
  Completion completion{state, workspace, position.line, position.character};
  if (position.line >= state.document.lineCount() ||
      static_cast<size_t>(position.line) >= state.outline.lines.size()) {
    return Json{{"isIncomplete", false}, {"items", Json::array()}};
  }
  const OutlineLine& outlineLine = state.outline.lines[static_cast<size_t>(position.line)];
  std::string_view text = state.document.line(position.line);
  size_t cursor = byteOffsetOfColumn(text, position.character);
  completion.cursor = utf16Length(text.substr(0, cursor));
  std::string_view before = text.substr(0, cursor);
  if (!outlineLine.comment && !insideString(before)) {
    size_t start = before.find_last_of(" \t\r");
    start = start == std::string_view::npos ? 0 : start + 1;
    std::string_view typed = before.substr(start);
    int startColumn = utf16Length(before.substr(0, start));
    size_t tokenIndex = 0;
    while (tokenIndex < outlineLine.tokens.size() &&
           outlineLine.tokens[tokenIndex].endColumn < startColumn) {
      ++tokenIndex;
    }
    if (tokenIndex == 0) {
      completion.addLineStart(outlineLine, typed, startColumn);
    } else {
      completion.addParameter(outlineLine, tokenIndex, typed, startColumn);
    }
  }
  return Json{{"isIncomplete", completion.incomplete}, {"items", std::move(completion.items)}};
}

}  // namespace korvane::lsp
