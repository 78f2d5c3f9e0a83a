// "Did you mean": the nearest of a set of names to a misspelt one. A name
// equal but for the case of A to Z wins outright; otherwise the candidate at
// the smallest edit distance (insertions, deletions, substitutions and swaps
// of neighbours, A to Z folded), provided that
// distance is at most a third of the misspelt name's length (at least 1).
// No suggestion is better than a poor one. Each candidate costs at most
// O(length x bound) and usually ends at the length test or the first rows,
// so thousands of candidates per lookup are cheap.
#ifndef KORVANE_BASE_SUGGEST_H
#define KORVANE_BASE_SUGGEST_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class SuggestionSearch {
 public:
  explicit SuggestionSearch(std::u16string_view name);
  explicit SuggestionSearch(std::string_view name);

  // Offers one candidate; earlier candidates win ties. Returns true when the
  // candidate is the best so far.
  bool consider(std::u16string_view candidate);
  bool consider(std::string_view candidate);

  bool found() const { return found_; }
  // The best candidate so far (valid while the candidate's storage lives).
  std::u16string_view best() const { return best_; }
  std::string bestNarrow() const;
  // Edit distance of the best candidate (0: equal but for case).
  size_t distance() const { return bestDistance_; }
  // The largest distance accepted for this name.
  size_t limit() const { return limit_; }

 private:
  // The distance of `candidate` when it is below `bound`, else `bound`.
  size_t boundedDistance(std::u16string_view candidate, size_t bound);

  std::u16string name_;
  std::u16string folded_;
  std::u16string narrowBest_;  // storage for a best candidate given as 8-bit text
  std::u16string_view best_;
  size_t bestDistance_ = 0;
  size_t limit_ = 0;
  bool found_ = false;
  bool exact_ = false;
  std::vector<size_t> rows_;
};

// The best of `candidates` for `name`, or empty when none is near enough.
std::string suggestName(std::string_view name, const std::vector<std::string>& candidates);

}  // namespace korvane

#endif
