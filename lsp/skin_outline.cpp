#include "lsp/skin_outline.h"

#include "base/text.h"

namespace korvane::lsp {
namespace {

constexpr size_t kMaxBlockDepth = 32;

bool isSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\0';
}

std::vector<Token> splitTokens(std::string_view line) {
  std::vector<Token> tokens;
  size_t at = 0;
  int column = 0;
  while (at < line.size()) {
    if (isSeparator(line[at])) {
      ++at;
      ++column;
      continue;
    }
    size_t start = at;
    bool quoted = false;
    while (at < line.size() && (quoted || !isSeparator(line[at]))) {
      if (line[at] == '"') quoted = !quoted;
      ++at;
    }
    Token token;
    token.text = std::string(line.substr(start, at - start));
    token.column = column;
    token.endColumn = column + utf16Length(token.text);
    column = token.endColumn;
    tokens.push_back(std::move(token));
  }
  return tokens;
}

std::u16string wide(std::string_view text) {
  return widenCopy(text);
}

const ElementWords* topLevelElement(std::string_view keyword) {
  std::u16string word = wide(keyword);
  if (const ElementWords* e = findElementWords(word, Placement::kTopLevel)) return e;
  return findElementWords(word, Placement::kOpening);
}

bool lineHasKey(const OutlineLine& line, std::string_view key) {
  for (const Token& token : line.tokens) {
    if (tokenHasKey(token.text, key)) return true;
  }
  return false;
}

// A scalable item that stands for another ("REFIID=") has no block.
bool opensBlock(const ElementWords& element, const OutlineLine& line) {
  if (!element.block) return false;
  return !(equalsNoCase(element.keyword, u"SCALABLEITEM") && lineHasKey(line, "REFIID="));
}

bool definesItems(const ElementWords& element) {
  for (const ParamKey& key : element.lineKeys) {
    if (equalsNoCase(key.key, u"IID=")) return true;
  }
  return false;
}

// The restriction a RESTRICTION line sets, "" for none.
std::string restrictionOfLine(const OutlineLine& line) {
  if (line.tokens.size() < 2) return "";
  const std::string& specifier = line.tokens[1].text;
  if (const NamedCode* s = findNamedCode(kRestrictionSpecifiers, wide(specifier))) {
    return toUtf8(s->name);
  }
  if (tokenHasKey(specifier, "LANG=")) return specifier;
  return "";
}

std::string restrictionOfPrefix(std::string_view value) {
  size_t percent = value.find('%');
  if (percent == std::string_view::npos) return "";
  std::u16string prefix = wide(value.substr(0, percent));
  if (const NamedCode* s = findNamedCode(kRestrictionSpecifiers, prefix)) return toUtf8(s->name);
  return std::string(value.substr(0, percent));
}

}  // namespace

bool tokenHasKey(std::string_view token, std::string_view key) {
  return startsWithNoCase(token, key);
}

std::string_view itemNameOf(std::string_view value) {
  size_t percent = value.find('%');
  return percent == std::string_view::npos ? value : value.substr(percent + 1);
}

std::string bitmapPathOf(std::string_view token) {
  std::string path(token);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  while (!path.empty() && path.back() == '/') path.pop_back();
  if (path == ".") path.clear();
  return path;
}

const Token* tokenAt(const OutlineLine& line, int column) {
  for (const Token& token : line.tokens) {
    if (column >= token.column && column <= token.endColumn) return &token;
  }
  return nullptr;
}

SkinOutline outlineSkin(const TextDocument& document) {
  SkinOutline outline;
  outline.lines.resize(static_cast<size_t>(document.lineCount()));
  std::vector<std::pair<std::string, const ElementWords*>> blocks;
  std::string restriction;
  std::string bitmapPath;
  for (int l = 0; l < document.lineCount(); ++l) {
    OutlineLine& line = outline.lines[static_cast<size_t>(l)];
    std::string_view text = document.line(l);
    line.bitmapPath = bitmapPath;
    if (!blocks.empty()) {
      line.block = blocks.back().first;
      line.blockElement = blocks.back().second;
    }
    if (!text.empty() && text[0] == '/') {
      line.comment = true;
      continue;
    }
    line.tokens = splitTokens(text);
    if (line.tokens.empty()) continue;
    const std::string& first = line.tokens[0].text;
    if (!blocks.empty()) {
      if (equalsNoCase(std::string_view(first), std::string_view("END"))) {
        blocks.pop_back();
        continue;
      }
      line.element = findElementWords(wide(first), Placement::kInside, wide(blocks.back().first));
      if (line.element != nullptr && opensBlock(*line.element, line) &&
          blocks.size() < kMaxBlockDepth) {
        blocks.emplace_back(first, line.element);
      }
      continue;
    }
    line.element = topLevelElement(first);
    if (line.element == nullptr) continue;
    if (equalsNoCase(line.element->keyword, u"RESTRICTION")) {
      restriction = restrictionOfLine(line);
    } else if (equalsNoCase(line.element->keyword, u"BITMAPPATH")) {
      bitmapPath = line.tokens.size() > 1 ? bitmapPathOf(line.tokens[1].text) : "";
    } else if (definesItems(*line.element)) {
      for (const Token& token : line.tokens) {
        if (!tokenHasKey(token.text, "IID=")) continue;
        std::string_view value = std::string_view(token.text).substr(4);
        ItemDefinition item;
        item.keyword = first;
        item.name = std::string(itemNameOf(value));
        std::string prefix = restrictionOfPrefix(value);
        item.restriction = prefix.empty() ? restriction : prefix;
        item.line = l;
        item.token = token;
        item.nameColumn =
            token.column + 4 + utf16Length(value.substr(0, value.size() - item.name.size()));
        outline.items.push_back(std::move(item));
        break;
      }
    }
    if (opensBlock(*line.element, line)) blocks.emplace_back(first, line.element);
  }
  return outline;
}

}  // namespace korvane::lsp
