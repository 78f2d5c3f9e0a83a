#include "lsp/item_catalog.h"

#include <cstdio>
#include <functional>
#include <memory>

#include "base/error.h"
#include "base/text.h"
#include "source/source_lexer.h"
#include "source/tokens.h"

namespace korvane::lsp {

ItemCatalog::ItemCatalog() {
  registry_.loadBuiltins();
}

bool ItemCatalog::loadExtensionList(FileSystem& fs, const std::string& path) {
  std::vector<ItemIdEntry> rows;
  std::vector<std::u16string> names;
  try {
    auto lexer = std::make_unique<SourceLexer>();
    lexer->open(fs, path);
    while (nextWord(*lexer)) {
      if (!equalsNoCase(lexer->token, u"IID")) return false;
      readString(*lexer);
      std::u16string name = lexer->token;
      if (name.size() > ItemIdRegistry::kMaxName) return false;
      nextParam(*lexer);
      uint32_t major = static_cast<uint32_t>(parseNumber(lexer->token));
      nextParam(*lexer);
      uint32_t minor = static_cast<uint32_t>(parseNumber(lexer->token));
      names.push_back(std::move(name));
      rows.push_back(ItemIdEntry{{}, major, minor});
    }
  } catch (const CKrvException&) {
    return false;
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    rows[i].name = names[i];
    registry_.append(rows[i]);
  }
  return true;
}

const ItemIdEntry* ItemCatalog::find(std::string_view name) const {
  return registry_.findByPrefixedName(kItemNamePrefix, widenCopy(name));
}

bool ItemCatalog::isExtension(const ItemIdEntry* entry) const {
  ItemIdRows builtins = builtinItemIds();
  if (entry == nullptr || builtins.size() == 0) return false;
  std::less<const ItemIdEntry*> before;
  return before(entry, &builtins[0]) || before(&builtins.back(), entry);
}

std::vector<CatalogItem> ItemCatalog::withPrefix(std::string_view prefix, size_t limit,
                                                 bool& more) const {
  std::vector<CatalogItem> items;
  more = false;
  std::u16string wanted = widenCopy(prefix);
  ItemIdRows rows = registry_.rows();
  size_t builtinCount = builtinItemIds().size();
  for (size_t i = 0; i < rows.size(); ++i) {
    const ItemIdEntry& row = rows[i];
    // Only names with the prefix can be referred to.
    if (!startsWithNoCase(row.name, kItemNamePrefix)) continue;
    std::u16string_view name = row.name.substr(kItemNamePrefix.size());
    if (!startsWithNoCase(name, wanted)) continue;
    // The row a name finds is the first of its name: later ones are unreachable.
    if (registry_.findByFullName(row.name) != &row) continue;
    if (items.size() == limit) {
      more = true;
      break;
    }
    items.push_back(CatalogItem{toUtf8(name), row.major, row.minor, i >= builtinCount});
  }
  return items;
}

std::string formatPair(uint32_t major, uint32_t minor) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%08X 0x%X", major, minor);
  return text;
}

}  // namespace korvane::lsp
