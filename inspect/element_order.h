// The order of a decompiled description's elements. A compile numbers image
// files in the order they are first named (0x4000, 0x4002, ...), hands out
// generated identifiers in the order inline images ask for them, keeps each
// item list in definition order and opens one language wrapper per
// RESTRICTION LANG= element. This finds an element order that reproduces all
// of it, or says that none exists.
#ifndef KORVANE_INSPECT_ELEMENT_ORDER_H
#define KORVANE_INSPECT_ELEMENT_ORDER_H

#include <cstdint>
#include <string>
#include <vector>

#include "base/item_id.h"

namespace korvane {

// One image file named by an element.
struct ImageRef {
  uint32_t index = 0;
  // False when this reference must find the file numbered already, because
  // numbering it here would give it the wrong animation flag.
  bool mayNumber = true;
};

struct OrderElement {
  // The lists the element belongs to (its item list, and the bitmap list
  // when it adds bitmaps of its own); within each it keeps its place.
  std::vector<uint32_t> chains;
  // Image files, in the order the element names them.
  std::vector<ImageRef> refs;
  // The generated identifiers the element asks for: `generatedCount` minors
  // from `firstGenerated` on.
  uint32_t firstGenerated = 0;
  uint32_t generatedCount = 0;
  // 0, or the language restriction whose RESTRICTION elements it must follow.
  Restriction language = 0;
  // Among elements that may come next, the lower rank comes first.
  uint64_t rank = 0;
};

struct OrderProblem {
  std::vector<OrderElement> elements;
  // Element numbers per list, in list order.
  std::vector<std::vector<uint32_t>> chains;
  // The language restriction of each RESTRICTION LANG= element, in order.
  std::vector<Restriction> sections;
  uint32_t firstIndex = 0x4000;
  uint32_t firstGenerated = 0x1000;
};

// One step of the description: an element, or the start of a language section.
struct OrderStep {
  bool section = false;
  uint32_t value = 0;  // the element number, or the section's language restriction
};

// What a run of references needs: the highest index that must be numbered
// before it (firstIndex - 2 for none), found one reference at a time.
class ImageScan {
 public:
  explicit ImageScan(uint32_t firstIndex) : need_(firstIndex - 2) {}
  void add(const ImageRef& ref);
  uint32_t need() const { return need_; }

 private:
  uint32_t need_;
  bool any_ = false;
  uint32_t highest_ = 0;  // the highest index named so far
};

uint32_t imagesNeeded(const std::vector<ImageRef>& refs, uint32_t firstIndex);

struct OrderFailure {
  uint32_t element = 0;  // one element that cannot be placed
  std::string reason;    // why, as the end of a sentence about it
};

// Fills `steps` with every element and every section; false, with `failure`
// naming an element that cannot be placed, when no order exists.
bool orderElements(const OrderProblem& problem, std::vector<OrderStep>& steps,
                   OrderFailure& failure);

}  // namespace korvane

#endif
