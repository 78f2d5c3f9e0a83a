// "Did you mean" for the description's errors: from the system's message and
// the token it is about, the replacement texts for that token (best first;
// usually one, none rather than a poor guess). Item names come from the
// registry (a restriction prefix such as "Orv_3_0%" is kept), keywords,
// parameter keys and enumerated values from the vocabulary, image files from
// the names the caller lists.
#ifndef KORVANE_PARSER_SUGGESTIONS_H
#define KORVANE_PARSER_SUGGESTIONS_H

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class ItemIdRegistry;

struct SuggestionSources {
  // The registry the compile resolves names with (built-in and extension rows).
  const ItemIdRegistry* registry = nullptr;
  // The files beside a missing image (the names in its bitmap directory);
  // may be empty.
  std::function<std::vector<std::string>()> imageFiles;
};

// `message` is the error's or note's text as the report shows it; `token` the
// source text of its range.
std::vector<std::string> suggestReplacements(std::string_view message, std::u16string_view token,
                                             const SuggestionSources& sources);

// The nearest element keyword of the element loop.
std::string suggestElementKeyword(std::u16string_view token);
// The nearest registry name for an item reference: `reference` is the text
// after "IID=", possibly behind a restriction prefix and "%"; the answer keeps
// the prefix.
std::string suggestItemName(std::u16string_view reference, const ItemIdRegistry& registry);

}  // namespace korvane

#endif
