#include "lsp/document_state.h"

#include "base/text.h"

namespace korvane::lsp {

std::string imageFilePath(const DocumentState& state, int line, std::string_view fileName) {
  std::string bitmapPath;
  if (line >= 0 && static_cast<size_t>(line) < state.outline.lines.size()) {
    bitmapPath = state.outline.lines[static_cast<size_t>(line)].bitmapPath;
  }
  std::string name = bitmapPathOf(fileName);
  // A restriction prefix before "%" is not part of the file's name.
  return joinPath(joinPath(state.directory, bitmapPath), name);
}

bool imageNameAt(const OutlineLine& line, size_t index, std::string& name, int& column) {
  if (index >= line.tokens.size()) return false;
  const Token& token = line.tokens[index];
  for (std::string_view key : {"MASK=", "SOFTMASK="}) {
    if (tokenHasKey(token.text, key)) {
      name = token.text.substr(key.size());
      column = token.column + static_cast<int>(key.size());
      return !name.empty();
    }
  }
  if (index == 0 || token.text.find('=') != std::string::npos) return false;
  if (findNamedCode(kColorDepths, widenCopy(line.tokens[index - 1].text)) == nullptr) return false;
  name = token.text;
  column = token.column;
  return true;
}

Json toJson(const Position& position) {
  return Json{{"line", position.line}, {"character", position.character}};
}

Json toJson(const Range& range) {
  return Json{{"start", toJson(range.start)}, {"end", toJson(range.end)}};
}

Range lineRange(int line, int column, int endColumn) {
  return Range{Position{line, column}, Position{line, endColumn}};
}

bool readPosition(const Json& json, Position& position) {
  if (!json.is_object()) return false;
  auto line = json.find("line");
  auto character = json.find("character");
  if (line == json.end() || character == json.end() || !line->is_number_integer() ||
      !character->is_number_integer()) {
    return false;
  }
  long long l = line->get<long long>();
  long long c = character->get<long long>();
  if (l < 0 || c < 0 || l > 1'000'000'000 || c > 1'000'000'000) return false;
  position = Position{static_cast<int>(l), static_cast<int>(c)};
  return true;
}

bool readRange(const Json& json, Range& range) {
  return json.is_object() && json.contains("start") && json.contains("end") &&
         readPosition(json["start"], range.start) && readPosition(json["end"], range.end);
}

}  // namespace korvane::lsp
