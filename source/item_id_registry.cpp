#include "source/item_id_registry.h"

#include <memory>

#include "base/diagnostics.h"
#include "base/error.h"
#include "source/source_lexer.h"
#include "source/tokens.h"

namespace korvane {

extern const char kBuiltinItemIdTable[];

ItemIdRegistry gItemIdRegistry;

namespace {

uint32_t parseTableNumber(const std::string& text) {
  return static_cast<uint32_t>(std::stoul(text, nullptr, 0));
}

// The table holds one row a line: name, major, minor, separated by blanks.
// Lines that are empty or begin with "#" are passed over.
std::vector<ItemIdEntry> parseBuiltinTable() {
  std::vector<ItemIdEntry> rows;
  std::string_view table(kBuiltinItemIdTable);
  while (!table.empty()) {
    size_t end = table.find('\n');
    std::string_view line = table.substr(0, end);
    table = end == std::string_view::npos ? std::string_view() : table.substr(end + 1);
    if (line.empty() || line[0] == '#') continue;
    std::string fields[3];
    size_t field = 0;
    for (char c : line) {
      if (c == ' ' || c == '\t' || c == '\r') {
        if (!fields[field].empty() && field < 2) ++field;
      } else {
        fields[field].push_back(c);
      }
    }
    rows.push_back(ItemIdEntry{widenCopy(fields[0]), parseTableNumber(fields[1]),
                               parseTableNumber(fields[2])});
  }
  return rows;
}

}  // namespace

const std::vector<ItemIdEntry>& builtinItemIds() {
  static const std::vector<ItemIdEntry> rows = parseBuiltinTable();
  return rows;
}

void ItemIdRegistry::loadBuiltins() {
  const std::vector<ItemIdEntry>& builtins = builtinItemIds();
  if (builtinRows_ == builtins.size()) {
    // The built-in rows are in place (rows are only ever appended after
    // them): dropping the extension rows is enough, which keeps repeated
    // compiles in one process cheap.
    for (size_t i = builtinRows_; i < rows_.size(); ++i) {
      auto it = index_.find(rows_[i].name);
      if (it != index_.end() && it->second == i) index_.erase(it);
    }
    rows_.resize(builtinRows_);
    return;
  }
  rows_.clear();
  index_.clear();
  rows_.reserve(builtins.size());
  index_.reserve(builtins.size());
  for (const ItemIdEntry& entry : builtins) append(entry);
  builtinRows_ = rows_.size();
}

void ItemIdRegistry::append(ItemIdEntry entry) {
  index_.emplace(entry.name, rows_.size());
  rows_.push_back(std::move(entry));
}

const ItemIdEntry* ItemIdRegistry::findByFullName(std::u16string_view name) const {
  auto it = index_.find(std::u16string(name));
  return it == index_.end() ? nullptr : &rows_[it->second];
}

void loadItemIds(FileSystem& fs, Console& console, const std::string& extensionListFile) {
  gItemIdRegistry.loadBuiltins();
  if (extensionListFile.empty()) return;
  printDiagnostic(console, Diagnostic::kNote,
                  "Reading item ID extensions from " + extensionListFile);
  // A reader of its own: the skin description's reader keeps its line at -1,
  // so errors here are reported without a line.
  auto lexer = std::make_unique<SourceLexer>();
  lexer->open(fs, extensionListFile);
  while (nextWord(*lexer)) {
    if (!equalsNoCase(lexer->token, u"IID")) throw CKrvException(kErrorParse, "IID token expected");
    readString(*lexer);
    std::u16string name = lexer->token;
    if (name.size() > ItemIdRegistry::kMaxName) {
      throw CKrvException(kErrorParse, "Item ID name longer than 255 characters");
    }
    nextParam(*lexer);
    uint32_t major = static_cast<uint32_t>(parseNumber(lexer->token));
    nextParam(*lexer);
    uint32_t minor = static_cast<uint32_t>(parseNumber(lexer->token));
    gItemIdRegistry.append(ItemIdEntry{std::move(name), major, minor});
  }
  printDiagnostic(console, Diagnostic::kNote, "Item ID extensions read and appended.\n");
}

const ItemIdEntry* findItemIdByFullName(std::u16string_view name) {
  return gItemIdRegistry.findByFullName(name);
}

const ItemIdEntry* findItemId(std::u16string_view name) {
  std::u16string full(kItemNamePrefix);
  full.append(name);
  return findItemIdByFullName(full);
}

const ItemIdEntry* findItemIdByFileName(Console& console, std::u16string_view fileName) {
  size_t percent = fileName.find(u'%');
  if (percent != std::u16string_view::npos) {
    printDiagnostic(console, Diagnostic::kWarning,
                    "Restriction stripped for IID match (" + narrowCopy(fileName) + ")");
    fileName = fileName.substr(percent + 1);
  }
  std::u16string name;
  for (char16_t c : fileName.substr(0, fileName.find(u'.'))) {
    if (c != u'_') name.push_back(c);
  }
  return findItemId(name);
}

}  // namespace korvane
