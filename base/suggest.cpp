#include "base/suggest.h"

#include <algorithm>

#include "base/text.h"

namespace korvane {

namespace {

size_t limitFor(size_t length) {
  return std::max<size_t>(length, 3) / 3;
}

}  // namespace

SuggestionSearch::SuggestionSearch(std::u16string_view name)
    : name_(name), folded_(foldedCopy(name)), limit_(limitFor(name.size())) {}

SuggestionSearch::SuggestionSearch(std::string_view name) : SuggestionSearch(widenCopy(name)) {}

bool SuggestionSearch::consider(std::string_view candidate) {
  std::u16string wide = widenCopy(candidate);
  if (!consider(std::u16string_view(wide))) return false;
  narrowBest_ = std::move(wide);
  best_ = narrowBest_;
  return true;
}

bool SuggestionSearch::consider(std::u16string_view candidate) {
  if (exact_) return false;
  if (equalsNoCase(candidate, name_)) {
    // Equal texts offer nothing to change; equal but for case is the answer.
    if (candidate == std::u16string_view(name_)) return false;
    exact_ = true;
    found_ = true;
    best_ = candidate;
    bestDistance_ = 0;
    return true;
  }
  size_t bound = found_ ? bestDistance_ : limit_ + 1;
  size_t distance = boundedDistance(candidate, bound);
  if (distance >= bound) return false;
  found_ = true;
  best_ = candidate;
  bestDistance_ = distance;
  return true;
}

size_t SuggestionSearch::boundedDistance(std::u16string_view candidate, size_t bound) {
  const size_t n = folded_.size();
  const size_t m = candidate.size();
  if ((n > m ? n - m : m - n) >= bound) return bound;
  // The edit-distance table row by row (a swap of two neighbours counts as
  // one edit); a row whose smallest entry reaches the bound cannot lead below
  // it, since the rows after it never get smaller.
  rows_.assign(3 * (n + 1), 0);
  size_t* before = rows_.data();        // two candidate units back
  size_t* previous = before + (n + 1);  // one back
  size_t* current = previous + (n + 1);
  for (size_t i = 0; i <= n; ++i) previous[i] = i;
  char16_t last = 0;
  for (size_t j = 1; j <= m; ++j) {
    char16_t c = foldAZ(candidate[j - 1]);
    current[0] = j;
    size_t smallest = j;
    for (size_t i = 1; i <= n; ++i) {
      size_t cost = folded_[i - 1] == c ? 0 : 1;
      size_t best = std::min({previous[i] + 1, current[i - 1] + 1, previous[i - 1] + cost});
      if (i > 1 && j > 1 && folded_[i - 1] == last && folded_[i - 2] == c) {
        best = std::min(best, before[i - 2] + 1);
      }
      current[i] = best;
      smallest = std::min(smallest, best);
    }
    if (smallest >= bound) return bound;
    std::swap(before, previous);
    std::swap(previous, current);
    last = c;
  }
  return std::min(previous[n], bound);
}

std::string SuggestionSearch::bestNarrow() const {
  return narrowCopy(best_);
}

std::string suggestName(std::string_view name, const std::vector<std::string>& candidates) {
  SuggestionSearch search(name);
  for (const std::string& candidate : candidates) search.consider(std::string_view(candidate));
  return search.found() ? search.bestNarrow() : std::string();
}

}  // namespace korvane
