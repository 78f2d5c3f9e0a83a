#include "source/item_id_registry.h"

#include <algorithm>
#include <memory>

#include "base/diagnostics.h"
#include "base/error.h"
#include "base/expect_records.h"
#include "source/builtin_item_ids.h"
#include "source/source_lexer.h"
#include "source/tokens.h"

namespace korvane {

ItemIdRows builtinItemIds() {
  return ItemIdRows(kBuiltinItemIds, kBuiltinItemIdCount, nullptr);
}

void ItemIdRegistry::loadBuiltins() {
  builtins_ = kBuiltinItemIds;
  builtinCount_ = kBuiltinItemIdCount;
  std::vector<ItemIdEntry>().swap(appended_);
  names_.clear();
  index_ = RecordIndex::borrow(kBuiltinItemIdSlots, kBuiltinItemIdSlotCount, kBuiltinItemIdIndexed);
}

void ItemIdRegistry::append(const ItemIdEntry& entry, uint64_t nameHash) {
  auto record = static_cast<uint32_t>(builtinCount_ + appended_.size());
  ItemIdEntry kept{names_.keep(entry.name), entry.major, entry.minor};
  index_.findOrInsert(
      nameHash, [&](uint32_t r) { return equalsNoCase(row(r).name, kept.name); }, record);
  appended_.push_back(kept);
}

void ItemIdRegistry::expectListSize(uint64_t bytes) {
  // A row takes a line of some 45 bytes, 12 at the least.
  appended_.reserve(expectRecords(bytes, 24));
}

const ItemIdEntry* ItemIdRegistry::findByFullName(std::u16string_view name) const {
  return findByPrefixedName(std::u16string_view(), name);
}

const ItemIdEntry* ItemIdRegistry::findByPrefixedName(std::u16string_view prefix,
                                                      std::u16string_view name) const {
  // Most names follow the item-name prefix, whose hash is made once.
  static const uint64_t kItemNamePrefixHash = FoldedHash()(kItemNamePrefix);
  uint64_t hash = prefix == kItemNamePrefix ? FoldedHash::append(kItemNamePrefixHash, name)
                                            : FoldedHash::ofJoined(prefix, name);
  uint32_t found = index_.find(hash, [&](uint32_t r) {
    std::u16string_view candidate = row(r).name;
    return candidate.size() == prefix.size() + name.size() &&
           equalsNoCase(candidate.substr(prefix.size()), name) &&
           equalsNoCase(candidate.substr(0, prefix.size()), prefix);
  });
  return found == RecordIndex::kNone ? nullptr : &row(found);
}

const ItemIdEntry* ItemIdRegistry::findByFileName(std::u16string_view fileName) const {
  size_t percent = fileName.find(u'%');
  if (percent != std::u16string_view::npos) fileName.remove_prefix(percent + 1);
  // The stem without "_", in one pass; no row has a longer name.
  char16_t name[kMaxName];
  size_t length = 0;
  for (char16_t c : fileName) {
    if (c == u'.') break;
    if (c == u'_') continue;
    if (length == kMaxName) return nullptr;
    name[length++] = c;
  }
  return findByPrefixedName(kItemNamePrefix, std::u16string_view(name, length));
}

namespace {

// The rest of a row after its "IID", read straight from the line at hand
// when the row is plain: one line of 8-bit text holding a quoted name of 1
// to 255 characters with no escape or control, then two numbers, separated
// by blanks (0 bytes among them), with a blank or a line end after the last.
// Every such row reads as the general token readers read it; anything else
// (where those readers may differ or raise an error) is left to them, with
// nothing read.
bool readPlainRow(SourceLexer& lexer, ItemIdRegistry& registry) {
  const SourceLexer::LineAhead line = lexer.lineAhead();
  const auto* bytes = reinterpret_cast<const unsigned char*>(line.bytes.data());
  const size_t size = line.bytes.size();
  // The blanks and token ends of nextParam. The line feed after the line
  // ends every scan: it is no blank, no token byte and no plain name byte.
  auto skipBlanks = [&](size_t at) {
    while (kBlanks.continuesSkipRun(bytes[at])) ++at;
    return at;
  };
  if (size == 0 || !kBlanks.continuesSkipRun(bytes[0])) return false;
  size_t at = skipBlanks(0);
  if (bytes[at] != '"') return false;
  const size_t nameStart = ++at;
  while (bytes[at] >= ' ' && bytes[at] != '"' && bytes[at] != '<') ++at;
  const size_t nameLength = at - nameStart;
  if (bytes[at] != '"' || nameLength == 0 || nameLength > ItemIdRegistry::kMaxName) return false;
  const std::u16string_view name(line.units + nameStart, nameLength);
  const uint64_t nameHash = registry.prepareAppend(name);

  int32_t numbers[2] = {};
  size_t start = at + 1;
  size_t end = start;
  for (int32_t& number : numbers) {
    start = skipBlanks(end);
    end = kSeparators.tokenRunEnd(bytes, start, size);
    if (end == start) return false;
    if (readNumber(std::u16string_view(line.units + start, end - start), number)) return false;
    // The first number must have its second on the line; the second, no
    // control after it but a line end.
    const bool last = &number == &numbers[1];
    if (end == size ? !last
                    : !kBlanks.continuesSkipRun(bytes[end]) && !(last && bytes[end] == '\r')) {
      return false;
    }
  }
  registry.append(
      ItemIdEntry{name, static_cast<uint32_t>(numbers[0]), static_cast<uint32_t>(numbers[1])},
      nameHash);
  lexer.tokenReadAhead(start, end);
  return true;
}

}  // namespace

void loadItemIds(ItemIdRegistry& registry, FileSystem& fs, DiagnosticSink& sink,
                 const std::string& extensionListFile) {
  registry.loadBuiltins();
  if (extensionListFile.empty()) return;
  report(sink, DiagnosticCode::kExtensionListReading,
         "Reading item ID extensions from " + extensionListFile);
  // A reader of its own: the skin description's reader keeps its line at -1,
  // so errors here are reported without a line. An error carries its place
  // in the list (the reader's last token).
  auto lexer = std::make_unique<SourceLexer>();
  try {
    lexer->open(fs, extensionListFile);
    registry.expectListSize(lexer->inputSize());
    std::u16string name;  // one buffer for every entry: the registry keeps its own copy
    while (nextWord(*lexer)) {
      if (!equalsNoCase(lexer->token, u"IID")) {
        throw CKrvException(kErrorParse, "IID token expected", DiagnosticCode::kExtensionListEntry);
      }
      if (readPlainRow(*lexer, registry)) continue;
      readString(*lexer);
      name = lexer->token;
      uint64_t nameHash = registry.prepareAppend(name);
      if (name.size() > ItemIdRegistry::kMaxName) {
        throw CKrvException(kErrorParse, "Item ID name longer than 255 characters");
      }
      nextParam(*lexer);
      uint32_t major = static_cast<uint32_t>(parseNumber(lexer->token));
      nextParam(*lexer);
      uint32_t minor = static_cast<uint32_t>(parseNumber(lexer->token));
      registry.append(ItemIdEntry{name, major, minor}, nameHash);
    }
  } catch (CKrvException& e) {
    if (!e.span.known() && lexer->tokenLine > 0) e.span = lexer->tokenSpan();
    throw;
  }
  report(sink, DiagnosticCode::kExtensionListRead, "Item ID extensions read and appended.\n");
}

const ItemIdEntry* findItemIdByFullName(const ItemIdRegistry& registry, std::u16string_view name) {
  return registry.findByFullName(name);
}

const ItemIdEntry* findItemId(const ItemIdRegistry& registry, std::u16string_view name) {
  return registry.findByPrefixedName(kItemNamePrefix, name);
}

const ItemIdEntry* findItemIdByFileName(const ItemIdRegistry& registry, DiagnosticSink& sink,
                                        std::u16string_view fileName) {
  if (fileName.find(u'%') != std::u16string_view::npos) {
    report(sink, DiagnosticCode::kRestrictionStripped,
           "Restriction stripped for IID match (" + narrowCopy(fileName) + ")");
  }
  return registry.findByFileName(fileName);
}

}  // namespace korvane
