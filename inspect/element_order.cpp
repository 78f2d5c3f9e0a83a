#include "inspect/element_order.h"

#include <algorithm>
#include <functional>
#include <map>
#include <queue>
#include <unordered_map>
#include <utility>

#include "base/text.h"

namespace korvane {

namespace {

using Ready = std::priority_queue<std::pair<uint64_t, uint32_t>,
                                  std::vector<std::pair<uint64_t, uint32_t>>, std::greater<>>;

// Everything an element waits for is a condition that, once met, stays met
// until the element is placed: the head of each of its lists, the image files
// before its own, its turn for generated identifiers. Placing elements only
// ever meets more conditions, so placing whatever is ready, as early as it is
// ready, never blocks an order that exists; only the language sections, which
// come in a fixed order, hold elements back until their turn.
class Orderer {
 public:
  Orderer(const OrderProblem& problem, std::vector<OrderStep>& steps)
      : problem_(problem), steps_(steps) {}

  bool run(OrderFailure& failure);

 private:
  void satisfy(uint32_t element);
  void place(uint32_t element);
  void describeFailure(OrderFailure& failure) const;

  const OrderProblem& problem_;
  std::vector<OrderStep>& steps_;
  std::vector<uint32_t> pending_;
  std::vector<uint32_t> need_;
  std::vector<size_t> chainHead_;
  std::vector<bool> placed_;
  std::unordered_map<uint32_t, uint32_t> generatedWaiter_;
  std::priority_queue<std::pair<uint32_t, uint32_t>, std::vector<std::pair<uint32_t, uint32_t>>,
                      std::greater<>>
      imageWaiters_;
  Ready outside_;
  std::map<Restriction, Ready> inSection_;
  uint32_t numbered_ = 0;  // the highest index numbered so far
  uint32_t nextGenerated_ = 0;
  size_t placedCount_ = 0;
};

void Orderer::satisfy(uint32_t element) {
  if (--pending_[element] != 0) return;
  const OrderElement& e = problem_.elements[element];
  (e.language == 0 ? outside_ : inSection_[e.language]).push({e.rank, element});
}

void Orderer::place(uint32_t element) {
  const OrderElement& e = problem_.elements[element];
  steps_.push_back(OrderStep{false, element});
  placed_[element] = true;
  ++placedCount_;
  for (uint32_t chain : e.chains) {
    const std::vector<uint32_t>& members = problem_.chains[chain];
    if (++chainHead_[chain] < members.size()) satisfy(members[chainHead_[chain]]);
  }
  if (e.generatedCount > 0) {
    nextGenerated_ = e.firstGenerated + e.generatedCount;
    auto waiter = generatedWaiter_.find(nextGenerated_);
    if (waiter != generatedWaiter_.end()) satisfy(waiter->second);
  }
  for (const ImageRef& ref : e.refs) numbered_ = std::max(numbered_, ref.index);
  while (!imageWaiters_.empty() && imageWaiters_.top().first <= numbered_) {
    uint32_t waiting = imageWaiters_.top().second;
    imageWaiters_.pop();
    satisfy(waiting);
  }
}

bool Orderer::run(OrderFailure& failure) {
  size_t count = problem_.elements.size();
  pending_.assign(count, 1);  // one more, released below once all are counted
  need_.assign(count, 0);
  placed_.assign(count, false);
  chainHead_.assign(problem_.chains.size(), 0);
  numbered_ = problem_.firstIndex - 2;
  nextGenerated_ = problem_.firstGenerated;

  for (const std::vector<uint32_t>& members : problem_.chains) {
    for (size_t i = 1; i < members.size(); ++i) ++pending_[members[i]];
  }
  for (uint32_t element = 0; element < count; ++element) {
    const OrderElement& e = problem_.elements[element];
    need_[element] = imagesNeeded(e.refs, problem_.firstIndex);
    if (need_[element] > numbered_) {
      ++pending_[element];
      imageWaiters_.push({need_[element], element});
    }
    if (e.generatedCount > 0) {
      if (!generatedWaiter_.emplace(e.firstGenerated, element).second) {
        failure.element = element;
        failure.reason = "asks for a generated identifier that another element asks for";
        return false;
      }
      if (e.firstGenerated != nextGenerated_) ++pending_[element];
    }
  }
  for (uint32_t element = 0; element < count; ++element) satisfy(element);

  size_t section = 0;
  for (;;) {
    while (!outside_.empty()) {
      uint32_t element = outside_.top().second;
      outside_.pop();
      place(element);
    }
    if (section == problem_.sections.size()) break;
    Restriction language = problem_.sections[section++];
    steps_.push_back(OrderStep{true, language});
    Ready& ready = inSection_[language];
    while (!ready.empty()) {
      uint32_t element = ready.top().second;
      ready.pop();
      place(element);
    }
  }
  if (placedCount_ == count) return true;
  describeFailure(failure);
  return false;
}

void Orderer::describeFailure(OrderFailure& failure) const {
  // The first element, by rank, that is not placed although every element
  // before it in its lists is.
  const OrderElement* stuck = nullptr;
  for (uint32_t element = 0; element < problem_.elements.size(); ++element) {
    const OrderElement& e = problem_.elements[element];
    if (placed_[element]) continue;
    bool heads = true;
    for (uint32_t chain : e.chains) {
      heads = heads && problem_.chains[chain][chainHead_[chain]] == element;
    }
    if (!heads || (stuck && stuck->rank <= e.rank)) continue;
    stuck = &e;
    failure.element = element;
  }
  if (stuck == nullptr) {
    // Every element left waits, through its lists, for another one left.
    for (uint32_t element = 0; element < problem_.elements.size(); ++element) {
      if (!placed_[element]) {
        failure.element = element;
        break;
      }
    }
    failure.reason = "waits, through its lists, for elements that wait for it";
    return;
  }
  if (need_[failure.element] > numbered_) {
    failure.reason = format("names the image file 0x%x before the one numbered 0x%x",
                            need_[failure.element] + 2, numbered_ + 2);
  } else if (stuck->generatedCount > 0 && stuck->firstGenerated != nextGenerated_) {
    failure.reason = format("generates the identifier minor 0x%x where the next one is 0x%x",
                            stuck->firstGenerated, nextGenerated_);
  } else {
    failure.reason = format("belongs to the language %u, whose RESTRICTION elements are used up",
                            stuck->language & 0xFFFF);
  }
}

}  // namespace

void ImageScan::add(const ImageRef& ref) {
  // Files are numbered in order, so once the run has named a file, every
  // file up to it is numbered and the one after it may be.
  bool covered = any_ && (ref.index <= highest_ || (ref.mayNumber && ref.index - 2 <= highest_));
  if (!covered) need_ = std::max(need_, ref.mayNumber ? ref.index - 2 : ref.index);
  highest_ = any_ ? std::max(highest_, ref.index) : ref.index;
  any_ = true;
}

uint32_t imagesNeeded(const std::vector<ImageRef>& refs, uint32_t firstIndex) {
  ImageScan scan(firstIndex);
  for (const ImageRef& ref : refs) scan.add(ref);
  return scan.need();
}

bool orderElements(const OrderProblem& problem, std::vector<OrderStep>& steps,
                   OrderFailure& failure) {
  steps.clear();
  return Orderer(problem, steps).run(failure);
}

}  // namespace korvane
