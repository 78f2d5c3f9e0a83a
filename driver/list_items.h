// The item catalogue: --list-items[=PATTERN] prints the registry's names, as
// a description writes them after "IID=", with their identifier pairs.
#ifndef KORVANE_DRIVER_LIST_ITEMS_H
#define KORVANE_DRIVER_LIST_ITEMS_H

#include <string_view>

#include "base/platform.h"
#include "driver/command_line.h"
#include "source/item_id_registry.h"

namespace korvane {

// A shell glob ("*" any run, "?" one character, "[abc]", "[a-z]", "[!x]"),
// the letters A to Z compared without case. An unclosed "[" is an ordinary
// character. Linear in the text for each star of the pattern, never
// exponential.
bool globMatchesNoCase(std::u16string_view pattern, std::u16string_view text);

// Writes one line per row whose name (with or without the "KTavsIID" prefix)
// matches `pattern` (every row when it is empty): the name without the
// prefix, then the pair, "QsnBgScreen (0x10005a26, 0x1000)". Rows whose name
// lacks the prefix are left out, since no reference can find them. Returns
// the number of lines.
size_t listItems(const ItemIdRegistry& registry, std::string_view pattern, Console& console);

// The run of --list-items: loads the registry (and the -i extension list,
// whose notes are not printed), lists the matching rows on standard output
// and returns exit code 0; 3 with the error report when the extension list
// is invalid, 1 with the usage when the pattern is too long.
int runListItems(const CompileOptions& options, Platform& platform);

}  // namespace korvane

#endif
