#include "source/item_id_registry.h"

#include <charconv>
#include <memory>

#include "base/diagnostics.h"
#include "base/error.h"
#include "source/source_lexer.h"
#include "source/tokens.h"

namespace korvane {

extern const char kBuiltinItemIdTable[];

ItemIdRegistry gItemIdRegistry;

namespace {

// Table numbers are hexadecimal with "0x", or decimal.
uint32_t parseTableNumber(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  uint32_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value, base);
  return value;
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
    std::string_view fields[3];
    size_t field = 0;
    size_t start = std::string_view::npos;
    for (size_t i = 0; i <= line.size(); ++i) {
      bool blank = i == line.size() || line[i] == ' ' || line[i] == '\t' || line[i] == '\r';
      if (!blank && start == std::string_view::npos) start = i;
      if (blank && start != std::string_view::npos && field < 3) {
        fields[field++] = line.substr(start, i - start);
        start = std::string_view::npos;
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
    rows_.resize(builtinRows_);
    index_ = builtinIndex_;
    return;
  }
  rows_.clear();
  index_.clear();
  rows_.reserve(builtins.size());
  index_.reserve(builtins.size());
  for (const ItemIdEntry& entry : builtins) append(entry);
  builtinRows_ = rows_.size();
  builtinIndex_ = index_;
}

void ItemIdRegistry::append(ItemIdEntry entry) {
  index_.findOrInsert(
      FoldedHash()(entry.name), [&](uint32_t r) { return equalsNoCase(rows_[r].name, entry.name); },
      static_cast<uint32_t>(rows_.size()));
  rows_.push_back(std::move(entry));
}

const ItemIdEntry* ItemIdRegistry::findByFullName(std::u16string_view name) const {
  return findByPrefixedName(std::u16string_view(), name);
}

const ItemIdEntry* ItemIdRegistry::findByPrefixedName(std::u16string_view prefix,
                                                      std::u16string_view name) const {
  uint64_t hash = FoldedHash::append(FoldedHash::append(FoldedHash::kSeed, prefix), name);
  uint32_t row = index_.find(hash, [&](uint32_t r) {
    std::u16string_view candidate = rows_[r].name;
    return candidate.size() == prefix.size() + name.size() &&
           equalsNoCase(candidate.substr(prefix.size()), name) &&
           equalsNoCase(candidate.substr(0, prefix.size()), prefix);
  });
  return row == RecordIndex::kNone ? nullptr : &rows_[row];
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
  return gItemIdRegistry.findByPrefixedName(kItemNamePrefix, name);
}

const ItemIdEntry* findItemIdByFileName(Console& console, std::u16string_view fileName) {
  size_t percent = fileName.find(u'%');
  if (percent != std::u16string_view::npos) {
    printDiagnostic(console, Diagnostic::kWarning,
                    "Restriction stripped for IID match (" + narrowCopy(fileName) + ")");
    fileName = fileName.substr(percent + 1);
  }
  std::u16string_view stem = fileName.substr(0, fileName.find(u'.'));
  if (stem.find(u'_') == std::u16string_view::npos) return findItemId(stem);
  thread_local std::u16string name;
  name.clear();
  for (char16_t c : stem) {
    if (c != u'_') name.push_back(c);
  }
  return findItemId(name);
}

}  // namespace korvane
