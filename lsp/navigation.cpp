// Hover, go to definition, document symbols and quick fixes.
#include <map>
#include <string>
#include <vector>

#include "base/text.h"
#include "lsp/document_state.h"

namespace korvane::lsp {
namespace {

// LSP symbol kinds.
constexpr int kSymbolNamespace = 3;
constexpr int kSymbolObject = 19;

const OutlineLine* outlineLineAt(const DocumentState& state, int line) {
  if (line < 0 || static_cast<size_t>(line) >= state.outline.lines.size()) return nullptr;
  return &state.outline.lines[static_cast<size_t>(line)];
}

// The item reference ("IID=" or "REFIID=") a token holds: its name and the
// column where the name starts.
bool itemReferenceOf(const Token& token, std::string& name, int& column) {
  for (std::string_view key : {"IID=", "REFIID="}) {
    if (!tokenHasKey(token.text, key)) continue;
    std::string_view value = std::string_view(token.text).substr(key.size());
    std::string_view itemName = itemNameOf(value);
    name = std::string(itemName);
    column = token.column + utf16Length(token.text.substr(0, token.text.size() - itemName.size()));
    return !name.empty();
  }
  return false;
}

std::string restrictionLabel(const std::string& restriction) {
  return restriction.empty() ? "no restriction" : restriction;
}

std::vector<const ItemDefinition*> definitionsOf(const DocumentState& state,
                                                 std::string_view name) {
  std::vector<const ItemDefinition*> found;
  for (const ItemDefinition& item : state.outline.items) {
    if (equalsNoCase(std::string_view(item.name), name)) found.push_back(&item);
  }
  return found;
}

Json markdown(const std::string& text, int line, const Token& token) {
  return Json{{"contents", {{"kind", "markdown"}, {"value", text}}},
              {"range", toJson(lineRange(line, token.column, token.endColumn))}};
}

std::string itemHover(const DocumentState& state, const std::string& name) {
  const ItemIdEntry* entry = state.catalog->find(name);
  if (entry == nullptr) return "`" + name + "`: no item of this name is known";
  std::string text = "`" + toUtf8(entry->name) + "` " + formatPair(entry->major, entry->minor);
  if (state.catalog->isExtension(entry)) text += " (from " + state.extensionList + ")";
  std::vector<const ItemDefinition*> definitions = definitionsOf(state, name);
  if (definitions.empty()) return text + "\n\nNot defined in this skin.";
  text += "\n\nDefined in this skin:";
  for (const ItemDefinition* item : definitions) {
    text += "\n- " + item->keyword + ", line " + std::to_string(item->line + 1) + " (" +
            restrictionLabel(item->restriction) + ")";
  }
  return text;
}

Json locationOf(const std::string& uri, const Range& range) {
  return Json{{"uri", uri}, {"range", toJson(range)}};
}

}  // namespace

Json hoverAt(const DocumentState& state, Position position, Workspace& workspace) {
  const OutlineLine* line = outlineLineAt(state, position.line);
  if (line == nullptr || line->comment) return nullptr;
  for (size_t i = 0; i < line->tokens.size(); ++i) {
    const Token& token = line->tokens[i];
    if (position.character < token.column || position.character >= token.endColumn) continue;
    if (i == 0 && line->element != nullptr) {
      return markdown("`" + toUtf8(line->element->keyword) + "`: " + line->element->summary,
                      position.line, token);
    }
    if (i == 0 && !line->block.empty() && equalsNoCase(std::string_view(token.text), "END")) {
      return markdown("`END`: end of the " + line->block + " block", position.line, token);
    }
    std::string name;
    int column = 0;
    if (itemReferenceOf(token, name, column)) {
      return markdown(itemHover(state, name), position.line, token);
    }
    if (imageNameAt(*line, i, name, column)) {
      std::string path = imageFilePath(state, position.line, name);
      bool exists = workspace.fs.exists(path);
      return markdown("Image `" + path + "`" + (exists ? "" : ": no such file"), position.line,
                      token);
    }
    return nullptr;
  }
  return nullptr;
}

Json definitionAt(const DocumentState& state, Position position, Workspace& workspace) {
  const OutlineLine* line = outlineLineAt(state, position.line);
  if (line == nullptr || line->comment) return nullptr;
  for (size_t i = 0; i < line->tokens.size(); ++i) {
    const Token& token = line->tokens[i];
    if (position.character < token.column || position.character >= token.endColumn) continue;
    std::string name;
    int column = 0;
    if (imageNameAt(*line, i, name, column)) {
      std::string path = imageFilePath(state, position.line, name);
      if (!workspace.fs.exists(path)) return nullptr;
      return locationOf(pathToUri(path), Range{});
    }
    if (!itemReferenceOf(token, name, column)) return nullptr;
    Json locations = Json::array();
    for (const ItemDefinition* item : definitionsOf(state, name)) {
      int nameEnd = item->token.endColumn;
      locations.push_back(
          locationOf(state.document.uri(), lineRange(item->line, item->nameColumn, nameEnd)));
    }
    if (locations.empty()) return nullptr;
    return locations;
  }
  return nullptr;
}

Json documentSymbols(const DocumentState& state) {
  // One group per restriction, in the order the skin first uses each.
  std::vector<std::string> order;
  std::map<std::string, std::vector<const ItemDefinition*>> groups;
  for (const ItemDefinition& item : state.outline.items) {
    auto& group = groups[item.restriction];
    if (group.empty()) order.push_back(item.restriction);
    group.push_back(&item);
  }
  Json symbols = Json::array();
  for (const std::string& restriction : order) {
    const auto& items = groups[restriction];
    Json children = Json::array();
    for (const ItemDefinition* item : items) {
      int lineEnd = utf16Length(state.document.line(item->line));
      children.push_back(Json{{"name", item->name},
                              {"detail", item->keyword},
                              {"kind", kSymbolObject},
                              {"range", toJson(lineRange(item->line, 0, lineEnd))},
                              {"selectionRange", toJson(lineRange(item->line, item->nameColumn,
                                                                  item->token.endColumn))}});
    }
    int lastLine = items.back()->line;
    Range range{Position{items.front()->line, 0},
                Position{lastLine, utf16Length(state.document.line(lastLine))}};
    symbols.push_back(Json{{"name", restriction.empty() ? "No restriction" : restriction},
                           {"kind", kSymbolNamespace},
                           {"range", toJson(range)},
                           {"selectionRange", toJson(Range{range.start, range.start})},
                           {"children", std::move(children)}});
  }
  return symbols;
}

Json codeActions(const DocumentState& state, const Range& range) {
  Json actions = Json::array();
  for (const PublishedDiagnostic& diagnostic : state.diagnostics) {
    if (diagnostic.range.start.line > range.end.line ||
        diagnostic.range.end.line < range.start.line) {
      continue;
    }
    Json diagnosticJson{{"range", toJson(diagnostic.range)},
                        {"message", diagnostic.message},
                        {"source", "korvane"}};
    if (!diagnostic.code.empty()) diagnosticJson["code"] = diagnostic.code;
    bool first = true;
    for (const std::string& suggestion : diagnostic.suggestions) {
      Json edit{{"range", toJson(diagnostic.range)}, {"newText", suggestion}};
      Json changes = Json::object();
      changes[state.document.uri()] = Json::array({edit});
      actions.push_back(Json{{"title", "Replace with '" + suggestion + "'"},
                             {"kind", "quickfix"},
                             {"isPreferred", first},
                             {"diagnostics", Json::array({diagnosticJson})},
                             {"edit", {{"changes", std::move(changes)}}}});
      first = false;
    }
  }
  return actions;
}

}  // namespace korvane::lsp
