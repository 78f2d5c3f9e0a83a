#include "parser/suggestions.h"

#include "base/suggest.h"
#include "base/text.h"
#include "parser/vocabulary.h"
#include "source/item_id_registry.h"

namespace korvane {

namespace {

using Words = std::vector<std::u16string>;

// The nearest of `candidates` to `token`. A candidate that ends in "=" is an
// open key: it is compared with the token's own key (through its "=") and
// the token's value is kept after it; other candidates are whole tokens.
std::string nearestToken(std::u16string_view token, const Words& candidates) {
  size_t equals = token.find(u'=');
  SuggestionSearch whole(token);
  std::u16string_view key =
      equals == std::u16string_view::npos ? std::u16string_view() : token.substr(0, equals + 1);
  SuggestionSearch keyed(key);
  for (const std::u16string& candidate : candidates) {
    if (!candidate.empty() && candidate.back() == u'=') {
      if (!key.empty()) keyed.consider(std::u16string_view(candidate));
    } else {
      whole.consider(std::u16string_view(candidate));
    }
  }
  if (keyed.found() && (!whole.found() || keyed.distance() < whole.distance())) {
    return narrowCopy(keyed.best()) + narrowCopy(token.substr(equals + 1));
  }
  return whole.found() ? whole.bestNarrow() : std::string();
}

template <typename List>
void addNames(Words& words, const List& list, std::u16string_view prefix = {}) {
  for (const auto& entry : list)
    words.push_back(std::u16string(prefix) + std::u16string(entry.name));
}

// The keys of a parameter list, with each enumerated value of a key spelt
// out ("MODE=play") and the open keys kept open ("INTERVAL=").
void addKeys(Words& words, VocabularyList<ParamKey> keys) {
  for (const ParamKey& key : keys) {
    if (key.key.empty()) continue;
    if (key.value == ValueKind::kEnumeration && key.key.back() == u'=') {
      addNames(words, key.values, key.key);
    } else {
      words.emplace_back(key.key);
    }
  }
}

const ElementWords* topLevel(std::u16string_view keyword) {
  return findElementWords(keyword, Placement::kTopLevel);
}

// The alternatives of an expected-token message: "EFFECT or END",
// "STR, INT, BMP, RAW or NAMEDREF"; open-key variants ("MASK=") come too.
Words expectedWords(std::string_view expected) {
  Words words;
  if (expected == "<BMPANIM parameter>") {
    addKeys(words, topLevel(u"BMPANIM")->lineKeys);
    return words;
  }
  std::string text(expected);
  for (const char* separator : {", or ", " or ", ", "}) {
    for (size_t at; (at = text.find(separator)) != std::string::npos;) {
      text.replace(at, std::string_view(separator).size(), "|");
    }
  }
  size_t start = 0;
  while (start <= text.size()) {
    size_t bar = text.find('|', start);
    std::string word =
        text.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
    if (!word.empty() && word.front() != '<') {
      words.push_back(widenCopy(word));
      if (word == "MASK" || word == "SOFTMASK") words.push_back(widenCopy(word + "="));
    }
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return words;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}
bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// Colour depths, the common ones first: ties go to the earlier.
Words colorDepthWords() {
  Words words;
  for (std::u16string_view depth : {u"c16", u"c24", u"c32", u"c12", u"c8", u"c4"}) {
    words.emplace_back(depth);
  }
  for (const NamedCode& depth : kColorDepths) {
    if (depth.name[0] != u'c') words.emplace_back(depth.name);
  }
  return words;
}

std::string suggestLayer(std::u16string_view token) {
  size_t slash = token.rfind(kLayerSeparator);
  if (slash == std::u16string_view::npos) return {};
  Words channels;
  addNames(channels, kLayerChannels);
  std::string channel = nearestToken(token.substr(slash + 1), channels);
  if (channel.empty()) return {};
  return narrowCopy(token.substr(0, slash + 1)) + channel;
}

std::string suggestRestrictionPrefix(std::u16string_view token) {
  size_t percent = token.find(u'%');
  if (percent == std::u16string_view::npos) return {};
  size_t equals = token.find(u'=');
  size_t start = equals != std::u16string_view::npos && equals < percent ? equals + 1 : 0;
  Words specifiers;
  addNames(specifiers, kRestrictionSpecifiers);
  std::string prefix = nearestToken(token.substr(start, percent - start), specifiers);
  if (prefix.empty()) return {};
  return narrowCopy(token.substr(0, start)) + prefix + narrowCopy(token.substr(percent));
}

std::string suggestImage(std::u16string_view fileName, const SuggestionSources& sources) {
  if (!sources.imageFiles) return {};
  // Only the name is compared; a directory part in the token stays.
  size_t slash = fileName.find_last_of(u"/\\");
  std::u16string_view directory =
      slash == std::u16string_view::npos ? std::u16string_view() : fileName.substr(0, slash + 1);
  std::u16string_view name = fileName.substr(directory.size());
  SuggestionSearch search(name);
  std::vector<std::string> files = sources.imageFiles();
  for (const std::string& file : files) search.consider(std::string_view(file));
  if (!search.found()) return {};
  return narrowCopy(directory) + search.bestNarrow();
}

// "X parameter expected for Y": the key is "X=".
std::string suggestExpectedKey(std::string_view message, std::u16string_view token) {
  size_t end = message.find(" parameter expected for ");
  if (end == std::string_view::npos || message.find('|') != std::string_view::npos) return {};
  return nearestToken(token, {widenCopy(std::string(message.substr(0, end)) + "=")});
}

}  // namespace

std::string suggestElementKeyword(std::u16string_view token) {
  SuggestionSearch search(token);
  for (const ElementWords& element : elementVocabulary()) {
    if (element.placement == Placement::kTopLevel) search.consider(element.keyword);
  }
  return search.found() ? search.bestNarrow() : std::string();
}

std::string suggestItemName(std::u16string_view reference, const ItemIdRegistry& registry) {
  size_t percent = reference.find(u'%');
  std::u16string_view prefix = percent == std::u16string_view::npos
                                   ? std::u16string_view()
                                   : reference.substr(0, percent + 1);
  std::u16string_view name = reference.substr(prefix.size());
  SuggestionSearch search(name);
  for (const ItemIdEntry& row : registry.rows()) {
    if (startsWithNoCase(row.name, kItemNamePrefix)) {
      search.consider(row.name.substr(kItemNamePrefix.size()));
    }
  }
  if (!search.found()) return {};
  return narrowCopy(prefix) + search.bestNarrow();
}

std::vector<std::string> suggestReplacements(std::string_view message, std::u16string_view token,
                                             const SuggestionSources& sources) {
  std::string best;
  Words words;
  if (message == "Unknown token encountered or syntax error") {
    best = suggestElementKeyword(token);
  } else if (startsWith(message, "No match found for item ID \"")) {
    if (sources.registry != nullptr && token.find(u'.') == std::u16string_view::npos) {
      // The range may be the name or the whole "IID=" token.
      size_t equals = token.find(u'=');
      size_t percent = token.find(u'%');
      size_t start = equals != std::u16string_view::npos &&
                             (percent == std::u16string_view::npos || equals < percent)
                         ? equals + 1
                         : 0;
      std::string name = suggestItemName(token.substr(start), *sources.registry);
      if (!name.empty()) best = narrowCopy(token.substr(0, start)) + name;
    }
  } else if (message == "Unknown color depth parameter") {
    best = nearestToken(token, colorDepthWords());
  } else if (message == "Unknown specifier for RESTRICTION element") {
    addNames(words, kRestrictionSpecifiers);
    words.emplace_back(kRestrictionNone);
    words.emplace_back(kRestrictionLanguageKey);
    best = nearestToken(token, words);
  } else if (message == "Unknown release restriction prefix in IID") {
    best = suggestRestrictionPrefix(token);
  } else if (message == "Unknown parameter for image attribute ALIGN" ||
             message == "Unknown attribute parameter") {
    addKeys(words, imageAttributeKeys());
    best = nearestToken(token, words);
  } else if (message == "Unknown token inside COLORTABLE") {
    addKeys(words, topLevel(u"COLORTABLE")->bodyKeys);
    best = nearestToken(token, words);
  } else if (startsWith(message, "Expected \"")) {
    size_t close = message.find("\", but \"");
    if (close != std::string_view::npos)
      best = nearestToken(token, expectedWords(message.substr(10, close - 10)));
  } else if (message == "Unknown or missing parameter for SKINTYPE") {
    addNames(words, kSkinTypes);
    best = nearestToken(token, words);
  } else if (message == "Unknown or missing additional parameter for SKINTYPE") {
    best = nearestToken(token, {std::u16string(kSkinTypeLanguageAH)});
  } else if (message == "Unknown or missing parameter for PROTECT") {
    best = nearestToken(token, {std::u16string(kProtectDisableCopy)});
  } else if (message == "Unknown or missing parameter for LANGUAGEOVERRIDE") {
    best = nearestToken(token, {std::u16string(kLanguageOverrideAH)});
  } else if (message == "FLAGS=W|H|W_AND_H parameter expected for SIZEBOUNDPARAM") {
    addNames(words, kSizeBoundFlags, kSizeBoundFlagsKey);
    best = nearestToken(token, words);
  } else if (message == "Unidentified layer specifier") {
    best = suggestLayer(token);
  } else if ((startsWith(message, "item ") &&
              endsWith(message, " not add beacuse file not exist!!")) ||
             (startsWith(message, "Image file ") && endsWith(message, " not found"))) {
    // Only when the range is the file the message names.
    size_t slash = token.find_last_of(u"/\\");
    std::u16string_view name = slash == std::u16string_view::npos ? token : token.substr(slash + 1);
    if (!name.empty() && message.find(narrowCopy(name)) != std::string_view::npos) {
      best = suggestImage(token, sources);
    }
  } else {
    best = suggestExpectedKey(message, token);
  }
  if (best.empty() || best == narrowCopy(token)) return {};
  return {best};
}

}  // namespace korvane
