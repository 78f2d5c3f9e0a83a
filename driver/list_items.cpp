#include "driver/list_items.h"

#include <string>

#include "base/error.h"
#include "base/text.h"
#include "driver/compile_run.h"
#include "source/source_lexer.h"

namespace korvane {

namespace {

// Matches one bracket class starting at pattern[at] == '['. Sets `end` past
// the closing ']'; false when the class is not closed (then '[' is literal).
bool classMatches(std::u16string_view pattern, size_t at, char16_t c, size_t& end, bool& matched) {
  size_t i = at + 1;
  bool negate = i < pattern.size() && (pattern[i] == u'!' || pattern[i] == u'^');
  if (negate) ++i;
  size_t first = i;
  matched = false;
  char16_t folded = foldAZ(c);
  while (i < pattern.size() && (pattern[i] != u']' || i == first)) {
    char16_t low = foldAZ(pattern[i]);
    char16_t high = low;
    if (i + 2 < pattern.size() && pattern[i + 1] == u'-' && pattern[i + 2] != u']') {
      high = foldAZ(pattern[i + 2]);
      i += 2;
    }
    if (low <= folded && folded <= high) matched = true;
    ++i;
  }
  if (i >= pattern.size()) return false;
  end = i + 1;
  if (negate) matched = !matched;
  return true;
}

}  // namespace

bool globMatchesNoCase(std::u16string_view pattern, std::u16string_view text) {
  // The classic one-star backtrack: on a mismatch, resume after the last
  // star with one more character of the text given to it.
  size_t p = 0;
  size_t t = 0;
  size_t starP = std::u16string_view::npos;
  size_t starT = 0;
  while (t < text.size()) {
    if (p < pattern.size()) {
      char16_t pc = pattern[p];
      if (pc == u'*') {
        starP = ++p;
        starT = t;
        continue;
      }
      size_t end = 0;
      bool matched = false;
      if (pc == u'[' && classMatches(pattern, p, text[t], end, matched)) {
        if (matched) {
          p = end;
          ++t;
          continue;
        }
      } else if (pc == u'?' || foldAZ(pc) == foldAZ(text[t])) {
        ++p;
        ++t;
        continue;
      }
    }
    if (starP == std::u16string_view::npos) return false;
    p = starP;
    t = ++starT;
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

size_t listItems(const ItemIdRegistry& registry, std::string_view pattern, Console& console) {
  const std::u16string wide = widenCopy(pattern);
  size_t lines = 0;
  std::string out;
  for (const ItemIdEntry& row : registry.rows()) {
    if (!startsWithNoCase(row.name, kItemNamePrefix)) continue;
    std::u16string_view shortName = row.name.substr(kItemNamePrefix.size());
    if (!wide.empty() && !globMatchesNoCase(wide, shortName) &&
        !globMatchesNoCase(wide, row.name)) {
      continue;
    }
    out += narrowCopy(shortName);
    out += format(" (0x%x, 0x%x)\n", row.major, row.minor);
    ++lines;
    if (out.size() >= 16384) {
      console.out(out);
      out.clear();
    }
  }
  console.out(out);
  return lines;
}

int runListItems(const CompileOptions& options, Platform& platform) {
  if (options.listItemsPattern.size() > kMaxOptionText) {
    printUsage(platform.console);
    return kExitUsage;
  }
  ItemIdRegistry registry;
  NullDiagnosticSink notes;
  try {
    loadItemIds(registry, platform.fs, notes, options.extensionListFile);
  } catch (const CKrvException& e) {
    e.reportError(platform.console, -1);  // the list's errors name no line
    platform.console.out("\nItem ID extension list is invalid, INITIALIZATION FAILED!\n");
    return kExitInvalidExtensionList;
  }
  listItems(registry, options.listItemsPattern, platform.console);
  return kExitSuccess;
}

}  // namespace korvane
