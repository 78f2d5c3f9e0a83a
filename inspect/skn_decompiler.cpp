// The decompiler: reads the skin apart (decompiled_skin), decides how each
// image is named (inline in its compound or by a BITMAP element, which file
// names it: image_plan), orders the elements so that image numbers,
// generated identifiers and list orders come out as in the file
// (element_order), and has them written (description_writer).
#include "inspect/skn_decompiler.h"

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <numeric>
#include <optional>
#include <set>
#include <unordered_map>
#include <utility>

#include "base/text.h"
#include "inspect/decompile_plan.h"
#include "inspect/decompiled_skin.h"
#include "inspect/description_text.h"
#include "inspect/description_writer.h"
#include "inspect/element_order.h"
#include "inspect/image_plan.h"

namespace korvane {

namespace {

using namespace decompile;

struct Refusal {
  std::string reason;
};

// Thrown when a part turns out to generate its identifier: the choice of
// generating parts starts again with it.
struct Restart {};

using PartNumber = std::pair<uint32_t, uint32_t>;  // compound, part

[[noreturn]] void refuse(std::string reason) {
  throw Refusal{std::move(reason)};
}

ItemId itemIdOf(const ItemGroup& group, Kind kind, size_t record) {
  switch (kind) {
    case Kind::kBitmap:
      return group.bitmaps[record].id;
    case Kind::kAppIcon:
      return group.appIcons[record].id;
    case Kind::kFrame:
      return group.frames[record].id;
    case Kind::kColorTable:
      return group.colorTables[record].id;
    case Kind::kBmpAnim:
      return group.bmpAnims[record].id;
    case Kind::kString:
      return group.strings[record].id;
    case Kind::kScalable:
      return group.scalables[record].id;
    case Kind::kAnimation:
      return group.animations[record].id;
  }
  return ItemId{};
}

// A union of image files that one element names, for their common path.
class ImageGroups {
 public:
  explicit ImageGroups(size_t count) : parent_(count) {
    std::iota(parent_.begin(), parent_.end(), 0);
  }
  uint32_t find(uint32_t n) {
    while (parent_[n] != n) n = parent_[n] = parent_[parent_[n]];
    return n;
  }
  void join(uint32_t a, uint32_t b) {
    a = find(a);
    b = find(b);
    if (a != b) parent_[std::max(a, b)] = std::min(a, b);
  }

 private:
  std::vector<uint32_t> parent_;
};

class Decompiler {
 public:
  Decompiler(const DecompiledSkin& skin, const DecompileOptions& options,
             std::set<PartNumber>& forcedGenerators, int choice)
      : skin_(skin),
        names_(*options.names),
        list_(options.list),
        plan_(*options.names),
        forcedGenerators_(forcedGenerators),
        growRuns_(choice < 2),
        scoreFresh_(choice == 0) {}

  std::string run();
  // The image files the description names, as the compiler looks for them.
  std::vector<std::string> imageFiles() const {
    std::vector<std::string> files;
    for (const ImageFile& image : plan_.images())
      files.push_back(narrowCopy(image.path + image.file));
    return files;
  }
  // The mask files the description names ("MASK=file"): a generation list
  // does not keep their names, so they are made up beside their images.
  std::vector<std::string> maskFiles() const {
    std::vector<std::string> files;
    for (const ImageFile& image : plan_.images()) {
      size_t equals = image.maskToken.find(u'=');
      if (equals == std::u16string::npos) continue;
      files.push_back(narrowCopy(image.path + image.maskToken.substr(equals + 1)));
    }
    return files;
  }

 private:
  const std::u16string* findName(const ItemId& id);
  const std::u16string& nameOf(const ItemId& id, const std::string& what, bool prefixed = false);

  void collectCompounds();
  void chooseGenerators();
  void takeInlineImages();
  void collectImageNeeds();
  void chooseAnimatedNumbering();
  void planImages();
  void buildElements();
  void order();

  std::vector<ImageRef> refsOf(const Element& element) const;
  void paramRefs(const std::vector<ParamRecord>& params, std::vector<ImageRef>& refs) const;
  void chooseBlockOrder(Element& element) const;
  bool mayNumber(uint32_t index, const Compound* compound, const Part* part) const;
  // Makes the bitmap at `position` an inline image of compound c that
  // numbers its animated file, its run grown to reach it; false when no
  // alignment of parts and bitmaps allows it.
  bool extendRun(int32_t c, int32_t position);
  void setNaming(uint32_t index, ImageNeeds::Naming naming, const ItemId& item);
  // Matches the bitmaps first..last to parts of compound c, in order, as
  // its inline images; false when they cannot all be.
  bool alignRun(size_t c, int32_t first, int32_t last);
  std::string describe(const Element& element) const;

  const DecompiledSkin& skin_;
  const ItemNames& names_;
  const GenerationList* list_;
  ImagePlan plan_;
  // Parts that generate their identifier although a registry name could
  // give it.
  std::set<PartNumber>& forcedGenerators_;
  // How parts are chosen where several could generate one identifier.
  bool growRuns_;
  bool scoreFresh_;

  std::unordered_map<ItemId, std::optional<std::u16string>, ItemIdHash> nameCache_;
  uint32_t generatedMajor_ = kGeneratedMajor;
  uint32_t generatedCount_ = 0;

  std::vector<Compound> compounds_;
  // Per group and kind, the compound of each record.
  std::vector<std::array<std::vector<int32_t>, kKindCount>> compoundOf_;
  // Per group, the compound that adds each bitmap inline (-1: a BITMAP element).
  std::vector<std::vector<int32_t>> takenBy_;
  std::vector<ImageNeeds> needs_;
  std::vector<Element> elements_;
  OrderProblem problem_;

  std::vector<OrderStep> steps_;
};

const std::u16string* Decompiler::findName(const ItemId& id) {
  auto cached = nameCache_.find(id);
  if (cached != nameCache_.end()) return cached->second ? &*cached->second : nullptr;
  std::optional<std::u16string>& name = nameCache_[id];
  // A row of the pair whose name, looked up as IID= looks it up, finds the
  // pair again: the first row of equal names wins. A name holding "%" only
  // works behind an item prefix (the first "%" splits), so one without is
  // preferred.
  for (bool withPercent : {false, true}) {
    for (const ItemIdEntry* row : names_.rows(id.major, id.minor)) {
      if (!startsWithNoCase(row->name, kItemNamePrefix)) continue;
      std::u16string rest(row->name.substr(kItemNamePrefix.size()));
      if ((rest.find(u'%') != std::u16string::npos) != withPercent) continue;
      if (!rest.empty() && !isTokenText(rest)) continue;
      const ItemIdEntry* found = names_.registry().findByPrefixedName(kItemNamePrefix, rest);
      if (found != nullptr && found->id() == id) {
        name = std::move(rest);
        return &*name;
      }
    }
  }
  return nullptr;
}

const std::u16string& Decompiler::nameOf(const ItemId& id, const std::string& what, bool prefixed) {
  const std::u16string* name = findName(id);
  if (name == nullptr) {
    refuse(
        format("the item %s (%s) has no name in the registry that finds it; give the item ID "
               "extension list the skin was compiled with (-i)",
               pairText(id).c_str(), what.c_str()));
  }
  if (!prefixed && name->find(u'%') != std::u16string::npos) {
    refuse(
        format("the item %s (%s) is named only by a name holding \"%%\", which only an item "
               "with a release or layout prefix can give",
               pairText(id).c_str(), what.c_str()));
  }
  return *name;
}

void Decompiler::collectCompounds() {
  compoundOf_.resize(skin_.groups.size());
  for (size_t g = 0; g < skin_.groups.size(); ++g) {
    const ItemGroup& group = skin_.groups[g];
    auto add = [&](Kind kind, size_t record, const std::vector<ItemId>& ids) {
      Compound& compound = compounds_.emplace_back();
      compound.group = g;
      compound.kind = kind;
      compound.record = record;
      for (const ItemId& id : ids) compound.parts.push_back(Part{id});
      compoundOf_[g][static_cast<size_t>(kind)].push_back(
          static_cast<int32_t>(compounds_.size() - 1));
    };
    for (size_t i = 0; i < group.appIcons.size(); ++i)
      add(Kind::kAppIcon, i, group.appIcons[i].parts);
    for (size_t i = 0; i < group.frames.size(); ++i) add(Kind::kFrame, i, group.frames[i].parts);
    for (size_t i = 0; i < group.bmpAnims.size(); ++i) {
      std::vector<ItemId> ids;
      for (const BmpAnimFrameRecord& frame : group.bmpAnims[i].frames) ids.push_back(frame.id);
      add(Kind::kBmpAnim, i, ids);
      compounds_.back().animated = group.bmpAnims[i].mode == 255;
    }
  }
}

// Inline images whose file names name no registry item get the identifiers
// (major, 0x1000), (major, 0x1001), ... in turn. A part without a name must
// be one of them, and every minor up to the highest such part must have been
// handed out, once each, by a part of that identifier. Where a registry name
// makes several parts candidates, the choice keeps each compound's
// generated identifiers one run, as one element hands them out.
void Decompiler::chooseGenerators() {
  if (skin_.packageIdHigh == 0 && skin_.packageIdLow != 0) generatedMajor_ = skin_.packageIdLow;
  using Candidate = PartNumber;
  std::unordered_map<uint32_t, std::vector<Candidate>> byMinor;
  std::vector<Candidate> required;
  size_t candidates = 0;
  for (uint32_t c = 0; c < compounds_.size(); ++c) {
    Compound& compound = compounds_[c];
    for (uint32_t k = 0; k < compound.parts.size(); ++k) {
      const Part& part = compound.parts[k];
      bool named = findName(part.id) != nullptr;
      if (part.id.major == generatedMajor_ && part.id.minor >= kFirstGeneratedMinor) {
        byMinor[part.id.minor].emplace_back(c, k);
        ++candidates;
        if (!named || forcedGenerators_.count({c, k}) != 0) required.emplace_back(c, k);
      } else if (!named) {
        nameOf(part.id, std::string("an image of a ") + kindName(compound.kind));
      }
    }
  }
  if (required.empty()) return;
  uint32_t highest = 0;
  for (const Candidate& r : required) {
    highest = std::max(highest, compounds_[r.first].parts[r.second].id.minor);
  }
  uint64_t count = uint64_t{highest} - kFirstGeneratedMinor + 1;
  if (count > candidates) {
    refuse(
        format("the generated identifier (0x%x,0x%x) is used, but not every one before it; a "
               "compile hands them out in turn",
               generatedMajor_, highest));
  }

  // The chosen part of each minor, and per compound its chosen parts.
  std::unordered_map<uint32_t, Candidate> chosen;
  std::vector<std::map<uint32_t, uint32_t>> chosenIn(compounds_.size());  // part -> minor
  // Compounds of one list hand out their identifiers in list order: per
  // list, the lowest and highest minor each compound hands out.
  std::map<std::pair<size_t, Kind>, std::map<size_t, std::pair<uint32_t, uint32_t>>> inList;
  auto choose = [&](uint32_t minor, const Candidate& candidate) {
    chosen[minor] = candidate;
    chosenIn[candidate.first][candidate.second] = minor;
    const Compound& compound = compounds_[candidate.first];
    auto& range = inList[{compound.group, compound.kind}]
                      .try_emplace(compound.record, minor, minor)
                      .first->second;
    range.first = std::min(range.first, minor);
    range.second = std::max(range.second, minor);
  };
  auto inTurn = [&](uint32_t minor, uint32_t c) {
    const Compound& compound = compounds_[c];
    const auto& ranges = inList[{compound.group, compound.kind}];
    auto after = ranges.upper_bound(compound.record);
    if (after != ranges.end() && after->second.first < minor) return false;
    auto at = ranges.lower_bound(compound.record);
    return at == ranges.begin() || std::prev(at)->second.second < minor;
  };
  // A candidate of `minor` in compound c whose part lies between the parts
  // chosen there for smaller and larger minors.
  auto fitting = [&](uint32_t minor, uint32_t c) -> std::optional<Candidate> {
    const std::map<uint32_t, uint32_t>& taken = chosenIn[c];
    for (const Candidate& candidate : byMinor[minor]) {
      if (candidate.first != c || taken.count(candidate.second) != 0) continue;
      auto after = taken.upper_bound(candidate.second);
      bool fits = (after == taken.end() || after->second > minor) &&
                  (after == taken.begin() || std::prev(after)->second < minor);
      if (fits && inTurn(minor, c)) return candidate;
    }
    return std::nullopt;
  };
  for (const Candidate& r : required) {
    uint32_t minor = compounds_[r.first].parts[r.second].id.minor;
    auto previous = chosen.find(minor);
    if (previous != chosen.end() && previous->second != r) {
      refuse(
          format("the generated identifier (0x%x,0x%x) stands in two compounds, but only one "
                 "inline image generates it and it has no name",
                 generatedMajor_, minor));
    }
    choose(minor, r);
  }
  // A run grows from each chosen minor into its neighbours within its
  // compound; a minor no run reaches goes to a compound that hands out none
  // yet, preferring a part whose bitmap exists (an inline image adds one),
  // and its run grows from there.
  std::vector<uint32_t> grow;
  auto chooseAndGrow = [&](uint32_t minor, const Candidate& candidate) {
    choose(minor, candidate);
    grow.push_back(minor);
    while (!grow.empty()) {
      uint32_t from = grow.back();
      grow.pop_back();
      uint32_t c = chosen[from].first;
      for (uint32_t next : {from - 1, from + 1}) {
        if (next < kFirstGeneratedMinor || uint64_t{next} - kFirstGeneratedMinor >= count ||
            chosen.count(next) != 0) {
          continue;
        }
        if (std::optional<Candidate> fit = fitting(next, c)) {
          choose(next, *fit);
          grow.push_back(next);
        }
      }
    }
  };
  std::vector<uint32_t> seeds;
  for (const auto& [minor, candidate] : chosen) seeds.push_back(minor);
  if (growRuns_) {
    for (uint32_t minor : seeds) chooseAndGrow(minor, chosen[minor]);
  }
  // A fresh compound's candidate is best when the bitmap its inline image
  // would add exists and its file's animation mark is the one the compound
  // would give it (bitmap animations with MODE=svganim mark what they
  // number).
  std::vector<std::unordered_map<ItemId, uint32_t, ItemIdHash>> indexOf(skin_.groups.size());
  for (size_t g = 0; g < skin_.groups.size(); ++g) {
    for (const BitmapRecord& bitmap : skin_.groups[g].bitmaps) {
      indexOf[g].emplace(bitmap.id, bitmap.index);
    }
  }
  auto score = [&](const Candidate& candidate) {
    const Compound& compound = compounds_[candidate.first];
    auto index = indexOf[compound.group].find(compound.parts[candidate.second].id);
    if (index == indexOf[compound.group].end()) return 0;
    bool animatedFile = list_ != nullptr && list_->images.size() > imageNumber(index->second) &&
                        list_->images[imageNumber(index->second)].svgAnim;
    bool animatedCompound = compound.kind == Kind::kBmpAnim &&
                            skin_.groups[compound.group].bmpAnims[compound.record].mode == 255;
    return animatedFile == animatedCompound || !scoreFresh_ ? 2 : 1;
  };
  auto freshPick = [&](uint32_t minor, const std::vector<Candidate>& candidates) {
    const Candidate* pick = nullptr;
    int best = -1;
    for (const Candidate& candidate : candidates) {
      if (!chosenIn[candidate.first].empty() || !inTurn(minor, candidate.first)) continue;
      int value = growRuns_ ? score(candidate) : 0;
      if (value > best) {
        best = value;
        pick = &candidate;
      }
    }
    return pick;
  };
  for (uint32_t minor = kFirstGeneratedMinor; uint64_t{minor} - kFirstGeneratedMinor < count;
       ++minor) {
    if (chosen.count(minor) != 0) continue;
    auto parts = byMinor.find(minor);
    if (parts == byMinor.end()) {
      refuse(
          format("the generated identifier (0x%x,0x%x) is used, but (0x%x,0x%x) before it "
                 "is not, and a compile hands them out in turn",
                 generatedMajor_, highest, generatedMajor_, minor));
    }
    const Candidate* fresh = freshPick(minor, parts->second);
    if (growRuns_) {
      chooseAndGrow(minor, fresh ? *fresh : parts->second.front());
      continue;
    }
    // Without growing: the run of the minor before or after it, then a
    // compound that hands out none yet, then the first candidate.
    Candidate pick = fresh ? *fresh : parts->second.front();
    for (uint32_t neighbour : {minor + 1, minor - 1}) {
      auto near = chosen.find(neighbour);
      if (near == chosen.end()) continue;
      if (std::optional<Candidate> fit = fitting(minor, near->second.first)) pick = *fit;
    }
    choose(minor, pick);
  }
  for (const auto& [minor, candidate] : chosen) {
    compounds_[candidate.first].parts[candidate.second].generates = true;
  }
  generatedCount_ = static_cast<uint32_t>(count);
}

// A compound adds the bitmaps of its inline images one after another, so
// those bitmaps are a run of its group's bitmap list. A bitmap without a
// name can only come from the part that generated its identifier (and an
// animated one from the part chosen to number it), so the run reaches from
// the first to the last of those; every bitmap in it is
// matched, in order, to a part of the same identifier. A generating part
// that adds none named a file that did not exist.
void Decompiler::takeInlineImages() {
  takenBy_.resize(skin_.groups.size());
  std::vector<std::unordered_map<ItemId, int32_t, ItemIdHash>> bitmapAt(skin_.groups.size());
  for (size_t g = 0; g < skin_.groups.size(); ++g) {
    takenBy_[g].assign(skin_.groups[g].bitmaps.size(), -1);
    for (size_t i = 0; i < skin_.groups[g].bitmaps.size(); ++i) {
      bitmapAt[g].emplace(skin_.groups[g].bitmaps[i].id, static_cast<int32_t>(i));
    }
  }
  for (size_t c = 0; c < compounds_.size(); ++c) {
    Compound& compound = compounds_[c];
    const auto& at = bitmapAt[compound.group];
    // The run from the bitmaps of every generating part, or failing that
    // from those that must be in it.
    int32_t first[2] = {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()};
    int32_t last[2] = {-1, -1};
    for (uint32_t k = 0; k < compound.parts.size(); ++k) {
      Part& part = compound.parts[k];
      if (!part.generates) continue;
      part.form = Part::Form::kMissing;
      auto found = at.find(part.id);
      if (found == at.end()) continue;
      bool pinned = findName(part.id) == nullptr ||
                    forcedGenerators_.count({static_cast<uint32_t>(c), k}) != 0;
      for (int wide = 0; wide < 2; ++wide) {
        if (wide == 0 && !pinned) continue;
        first[wide] = std::min(first[wide], found->second);
        last[wide] = std::max(last[wide], found->second);
      }
    }
    if (last[0] < 0 && last[1] < 0) continue;
    if (!(last[1] >= 0 && alignRun(c, first[1], last[1])) &&
        !(last[0] < 0 || alignRun(c, first[0], last[0]))) {
      ItemId id = itemIdOf(skin_.groups[compound.group], compound.kind, compound.record);
      refuse(format("the bitmaps that the %s %s adds are not one run of its bitmap list",
                    kindName(compound.kind), pairText(id).c_str()));
    }
  }
}

bool Decompiler::alignRun(size_t c, int32_t first, int32_t last) {
  Compound& compound = compounds_[c];
  const std::vector<BitmapRecord>& bitmaps = skin_.groups[compound.group].bitmaps;
  std::vector<int32_t>& taken = takenBy_[compound.group];
  // fits[i][j]: parts i.. can add exactly the bitmaps first + j .. last.
  size_t parts = compound.parts.size();
  size_t run = static_cast<size_t>(last - first + 1);
  if (run > parts) return false;
  auto canAdd = [&](size_t i, size_t j) {
    const Part& part = compound.parts[i];
    const BitmapRecord& bitmap = bitmaps[first + j];
    return part.id == bitmap.id && taken[first + j] == -1 &&
           (part.generates || findName(bitmap.id) != nullptr);
  };
  std::vector<std::vector<bool>> fits(parts + 1, std::vector<bool>(run + 1, false));
  fits[parts][run] = true;
  for (size_t i = parts; i-- > 0;) {
    for (size_t j = 0; j <= run; ++j) {
      fits[i][j] = fits[i + 1][j] || (j < run && canAdd(i, j) && fits[i + 1][j + 1]);
    }
  }
  if (!fits[0][0]) return false;
  size_t j = 0;
  for (size_t i = 0; i < parts; ++i) {
    if (j < run && canAdd(i, j) && fits[i + 1][j + 1]) {
      Part& part = compound.parts[i];
      part.form = Part::Form::kInline;
      part.bitmap = first + static_cast<int32_t>(j);
      taken[part.bitmap] = static_cast<int32_t>(c);
      ++j;
    }
  }
  compound.firstBitmap = first;
  compound.lastBitmap = last;
  return true;
}

void Decompiler::setNaming(uint32_t index, ImageNeeds::Naming naming, const ItemId& item) {
  ImageNeeds& need = needs_[imageNumber(index)];
  if (need.naming != ImageNeeds::Naming::kFree &&
      (need.naming != naming || (naming == ImageNeeds::Naming::kItem && need.item != item))) {
    refuse(format("the image 0x%x stands for two different items in inline images", index));
  }
  need.naming = naming;
  need.item = item;
}

void Decompiler::collectImageNeeds() {
  // Every image file a bitmap or a BMP value names, and whether it names
  // the file's mask too.
  std::vector<std::pair<uint32_t, bool>> references;
  auto noteParams = [&](const std::vector<ParamRecord>& params) {
    for (const ParamRecord& param : params) {
      if (param.namesImage()) {
        references.emplace_back(param.bitmapIndex, param.maskIndex != kSknNoIndex);
      }
    }
  };
  for (const ItemGroup& group : skin_.groups) {
    for (const BitmapRecord& bitmap : group.bitmaps) {
      references.emplace_back(bitmap.index, bitmap.masked);
    }
    for (const ScalableRecord& item : group.scalables) {
      for (const EffectRecord& effect : item.effects) noteParams(effect.params);
    }
    for (const AnimationRecord& item : group.animations) {
      for (const EffectRecord& effect : item.preprocess) noteParams(effect.params);
      for (const EffectRecord& effect : item.commands) noteParams(effect.params);
      for (const ParamGroupRecord& block : item.values) noteParams(block.params);
      for (const ParamGroupRecord& block : item.timingModels) noteParams(block.params);
    }
  }
  if (references.empty()) return;
  // Every index from 0x4000 up to the highest one is a file some element
  // named first; the count of references bounds it.
  uint32_t highest = 0;
  for (const auto& [index, masked] : references) highest = std::max(highest, index);
  size_t count = size_t{imageNumber(highest)} + 1;
  if (count > references.size()) {
    refuse(
        format("the image 0x%x is used, but not every image before it; a compile numbers "
               "image files in turn",
               highest));
  }
  needs_.assign(count, ImageNeeds());
  std::vector<bool> used(count, false);
  for (const auto& [index, masked] : references) {
    used[imageNumber(index)] = true;
    needs_[imageNumber(index)].masked |= masked;
  }
  for (size_t i = 0; i < count; ++i) {
    if (!used[i]) {
      refuse(
          format("the image 0x%x is never used, but a later one is; a compile numbers image "
                 "files in turn",
                 imageIndex(i)));
    }
  }
  for (const Compound& compound : compounds_) {
    for (const Part& part : compound.parts) {
      if (part.form != Part::Form::kInline) continue;
      const BitmapRecord& bitmap = skin_.groups[compound.group].bitmaps[part.bitmap];
      setNaming(bitmap.index,
                part.generates ? ImageNeeds::Naming::kNothing : ImageNeeds::Naming::kItem, part.id);
    }
  }
}

// An image file the list marks as animated SVG was numbered by an inline
// image of a bitmap animation with MODE=svganim; every other file by
// anything else. One inline image per such file is chosen to number it.
void Decompiler::chooseAnimatedNumbering() {
  if (list_ == nullptr) return;
  if (list_->images.size() != needs_.size()) {
    refuse(format("the generation list names %zu image files, but the SKN file uses %zu",
                  list_->images.size(), needs_.size()));
  }
  std::unordered_map<uint32_t, std::vector<std::pair<size_t, int32_t>>> bitmapsOfIndex;
  for (size_t g = 0; g < skin_.groups.size(); ++g) {
    for (size_t i = 0; i < skin_.groups[g].bitmaps.size(); ++i) {
      bitmapsOfIndex[skin_.groups[g].bitmaps[i].index].emplace_back(g, static_cast<int32_t>(i));
    }
  }
  // The inline image of a bitmap animation that adds the bitmap at `position`.
  auto inlineAnimation = [&](size_t g, int32_t position) -> std::pair<Compound*, Part*> {
    int32_t c = takenBy_[g][position];
    if (c == -1 || compounds_[c].kind != Kind::kBmpAnim) return {nullptr, nullptr};
    for (Part& part : compounds_[c].parts) {
      if (part.form == Part::Form::kInline && part.bitmap == position) {
        return {&compounds_[c], &part};
      }
    }
    return {nullptr, nullptr};
  };
  for (size_t n = 0; n < needs_.size(); ++n) {
    if (!list_->images[n].svgAnim) continue;
    uint32_t index = imageIndex(n);
    bool numbered = false;
    for (const auto& [g, position] : bitmapsOfIndex[index]) {
      auto [compound, part] = inlineAnimation(g, position);
      if (numbered || compound == nullptr) continue;
      compound->animated = true;
      part->numbersAnimated = true;
      numbered = true;
    }
    if (numbered) continue;
    // A BITMAP element's bitmap moves into a bitmap animation that names
    // it, as long as the bitmaps the animation adds stay one run and its
    // listed file name can give its identifier: by naming its item, or, for
    // a generated identifier, by naming none; then the part generates it.
    bool moved = false;
    const std::string& text = list_->images[n].file;
    for (const auto& [g, position] : bitmapsOfIndex[index]) {
      if (takenBy_[g][position] != -1) continue;
      const BitmapRecord& bitmap = skin_.groups[g].bitmaps[position];
      bool named = listedFileCanName(names_.registry(), text, &bitmap.id);
      bool generated = bitmap.id.major == generatedMajor_ &&
                       bitmap.id.minor >= kFirstGeneratedMinor &&
                       listedFileCanName(names_.registry(), text, nullptr);
      for (int32_t c : compoundOf_[g][static_cast<size_t>(Kind::kBmpAnim)]) {
        if (named && extendRun(c, position)) {
          moved = true;
          break;
        }
        if (!generated) continue;
        // A part of the animation generated it: the choice of generating
        // parts starts again with that part among them.
        const Compound& compound = compounds_[c];
        for (uint32_t k = 0; k < compound.parts.size(); ++k) {
          const Part& part = compound.parts[k];
          if (part.id != bitmap.id || part.form == Part::Form::kInline) continue;
          if (forcedGenerators_.insert({static_cast<uint32_t>(c), k}).second) throw Restart{};
        }
      }
      if (moved) break;
    }
    if (!moved) {
      refuse(
          format("the generation list marks the image 0x%x as an animated SVG (\"/A\"), but "
                 "no bitmap animation of the SKN file can name it first",
                 index));
    }
  }
}

bool Decompiler::extendRun(int32_t c, int32_t position) {
  Compound& compound = compounds_[c];
  std::vector<int32_t>& taken = takenBy_[compound.group];
  std::vector<Part> before = compound.parts;
  int32_t first = compound.firstBitmap == -1 ? position : std::min(compound.firstBitmap, position);
  int32_t last = std::max(compound.lastBitmap, position);
  for (Part& part : compound.parts) {
    if (part.form != Part::Form::kInline) continue;
    taken[part.bitmap] = -1;
    part.form = part.generates ? Part::Form::kMissing : Part::Form::kNamed;
    part.bitmap = -1;
  }
  if (!alignRun(static_cast<size_t>(c), first, last)) {
    compound.parts = std::move(before);
    for (const Part& part : compound.parts) {
      if (part.form == Part::Form::kInline) taken[part.bitmap] = c;
    }
    return false;
  }
  for (Part& part : compound.parts) {
    if (part.form != Part::Form::kInline) continue;
    if (part.bitmap == position) part.numbersAnimated = true;
    setNaming(skin_.groups[compound.group].bitmaps[part.bitmap].index,
              part.generates ? ImageNeeds::Naming::kNothing : ImageNeeds::Naming::kItem, part.id);
  }
  compound.animated = true;
  return true;
}

bool Decompiler::mayNumber(uint32_t index, const Compound* compound, const Part* part) const {
  if (list_ == nullptr) return true;
  if (list_->images[imageNumber(index)].svgAnim) return part && part->numbersAnimated;
  return compound == nullptr || !compound->animated;
}

void Decompiler::paramRefs(const std::vector<ParamRecord>& params,
                           std::vector<ImageRef>& refs) const {
  for (const ParamRecord& param : params) {
    if (param.namesImage()) {
      refs.push_back(ImageRef{param.bitmapIndex, mayNumber(param.bitmapIndex, nullptr, nullptr)});
    }
  }
}

std::vector<ImageRef> Decompiler::refsOf(const Element& element) const {
  std::vector<ImageRef> refs;
  const ItemGroup& group = skin_.groups[element.group];
  switch (element.kind) {
    case Kind::kBitmap: {
      uint32_t index = group.bitmaps[element.record].index;
      refs.push_back(ImageRef{index, mayNumber(index, nullptr, nullptr)});
      break;
    }
    case Kind::kAppIcon:
    case Kind::kFrame:
    case Kind::kBmpAnim: {
      const Compound& compound = compounds_[element.compound];
      for (const Part& part : compound.parts) {
        if (part.form != Part::Form::kInline) continue;
        uint32_t index = group.bitmaps[part.bitmap].index;
        refs.push_back(ImageRef{index, mayNumber(index, &compound, &part)});
      }
      break;
    }
    case Kind::kScalable:
      for (const EffectRecord& effect : group.scalables[element.record].effects) {
        paramRefs(effect.params, refs);
      }
      break;
    case Kind::kAnimation: {
      const AnimationRecord& item = group.animations[element.record];
      for (const EffectRecord& effect : item.preprocess) paramRefs(effect.params, refs);
      for (const auto& [block, i] : element.blocks) {
        if (block == Block::kCommand) paramRefs(item.commands[i].params, refs);
        if (block == Block::kValue) paramRefs(item.values[i].params, refs);
        if (block == Block::kTimingModel) paramRefs(item.timingModels[i].params, refs);
      }
      break;
    }
    default:
      break;
  }
  return refs;
}

// The blocks of an animation's main loop may come in any order, but the
// image files their BMP values name are numbered in the order written: each
// next block is the one that needs the fewest files numbered before it.
void Decompiler::chooseBlockOrder(Element& element) const {
  const AnimationRecord& item = skin_.groups[element.group].animations[element.record];
  const size_t sizes[] = {item.commands.size(), item.values.size(), item.timingModels.size(),
                          item.sizeBoundParams.size()};
  auto paramsOf = [&](size_t list, size_t i) -> const std::vector<ParamRecord>& {
    if (list == 0) return item.commands[i].params;
    if (list == 1) return item.values[i].params;
    if (list == 2) return item.timingModels[i].params;
    return item.sizeBoundParams[i].params;
  };
  ImageScan scan(kFirstImageIndex);
  std::vector<ImageRef> refs;
  for (const EffectRecord& effect : item.preprocess) paramRefs(effect.params, refs);
  for (const ImageRef& ref : refs) scan.add(ref);
  size_t heads[4] = {0, 0, 0, 0};
  for (;;) {
    int best = -1;
    ImageScan bestScan = scan;
    for (size_t list = 0; list < 4; ++list) {
      if (heads[list] == sizes[list]) continue;
      ImageScan tried = scan;
      std::vector<ImageRef> blockRefs;
      paramRefs(paramsOf(list, heads[list]), blockRefs);
      for (const ImageRef& ref : blockRefs) tried.add(ref);
      if (best == -1 || tried.need() < bestScan.need()) {
        best = static_cast<int>(list);
        bestScan = tried;
      }
    }
    if (best == -1) break;
    element.blocks.emplace_back(static_cast<Block>(best), heads[best]++);
    scan = bestScan;
  }
}

void Decompiler::planImages() {
  // Files that one element names share its bitmap path.
  ImageGroups groups(needs_.size());
  for (const Element& element : elements_) {
    std::vector<ImageRef> refs = refsOf(element);
    for (size_t i = 1; i < refs.size(); ++i) {
      groups.join(imageNumber(refs[0].index), imageNumber(refs[i].index));
    }
  }
  for (size_t i = 0; i < needs_.size(); ++i)
    needs_[i].group = groups.find(static_cast<uint32_t>(i));
  std::string error;
  if (!plan_.plan(needs_, list_, error)) refuse(error);
}

void Decompiler::buildElements() {
  for (size_t g = 0; g < skin_.groups.size(); ++g) {
    const ItemGroup& group = skin_.groups[g];
    Restriction language = group.restriction >= kFirstLanguageRestriction ? group.restriction : 0;
    std::array<uint32_t, kKindCount> chains;
    for (uint32_t& chain : chains) {
      chain = static_cast<uint32_t>(problem_.chains.size());
      problem_.chains.emplace_back();
    }
    auto add = [&](Kind kind, size_t record, int32_t compound) {
      Element& element = elements_.emplace_back();
      element.kind = kind;
      element.group = g;
      element.record = record;
      element.compound = compound;
      OrderElement& ordered = problem_.elements.emplace_back();
      ordered.language = language;
      ordered.rank = (uint64_t{g} << 40) | (uint64_t(kind) << 32) | record;
      uint32_t number = static_cast<uint32_t>(elements_.size() - 1);
      if (kind != Kind::kBitmap) {
        ordered.chains.push_back(chains[static_cast<size_t>(kind)]);
        problem_.chains[chains[static_cast<size_t>(kind)]].push_back(number);
      }
      return number;
    };
    std::vector<uint32_t> compoundElement(compounds_.size(), 0);
    for (Kind kind : {Kind::kAppIcon, Kind::kFrame, Kind::kBmpAnim}) {
      const std::vector<int32_t>& members = compoundOf_[g][static_cast<size_t>(kind)];
      for (size_t i = 0; i < members.size(); ++i) {
        compoundElement[members[i]] = add(kind, i, members[i]);
      }
    }
    for (size_t i = 0; i < group.colorTables.size(); ++i) add(Kind::kColorTable, i, -1);
    for (size_t i = 0; i < group.strings.size(); ++i) add(Kind::kString, i, -1);
    for (size_t i = 0; i < group.scalables.size(); ++i) add(Kind::kScalable, i, -1);
    for (size_t i = 0; i < group.animations.size(); ++i) {
      chooseBlockOrder(elements_[add(Kind::kAnimation, i, -1)]);
    }
    // The bitmap list: BITMAP elements and the compounds that add bitmaps,
    // at their first bitmap.
    uint32_t bitmapChain = chains[static_cast<size_t>(Kind::kBitmap)];
    for (size_t i = 0; i < group.bitmaps.size(); ++i) {
      int32_t taker = takenBy_[g][i];
      uint32_t number;
      if (taker == -1) {
        number = add(Kind::kBitmap, i, -1);
      } else if (compounds_[taker].firstBitmap == static_cast<int32_t>(i)) {
        number = compoundElement[taker];
      } else {
        continue;
      }
      problem_.elements[number].chains.push_back(bitmapChain);
      problem_.chains[bitmapChain].push_back(number);
    }
  }
  for (size_t n = 0; n < elements_.size(); ++n) {
    const Element& element = elements_[n];
    OrderElement& ordered = problem_.elements[n];
    ordered.refs = refsOf(element);
    if (!ordered.refs.empty()) elements_[n].firstImage = ordered.refs.front().index;
    if (element.compound < 0) continue;
    const Compound& compound = compounds_[element.compound];
    for (const Part& part : compound.parts) {
      if (!part.generates) continue;
      if (ordered.generatedCount == 0) {
        ordered.firstGenerated = part.id.minor;
      } else if (part.id.minor != ordered.firstGenerated + ordered.generatedCount) {
        refuse(describe(element) + " generates its identifiers out of turn");
      }
      ++ordered.generatedCount;
    }
  }
  problem_.sections = skin_.languageSections;
  problem_.firstIndex = kFirstImageIndex;
  problem_.firstGenerated = kFirstGeneratedMinor;
}

std::string Decompiler::describe(const Element& element) const {
  const ItemGroup& group = skin_.groups[element.group];
  ItemId id = itemIdOf(group, element.kind, element.record);
  std::string text = std::string("the ") + kindName(element.kind) + " " + pairText(id);
  if (group.restriction != 0) text += " of " + toUtf8(restrictionText(group.restriction));
  return text;
}

void Decompiler::order() {
  OrderFailure failure;
  if (!orderElements(problem_, steps_, failure)) {
    refuse("no element order reproduces the file: " + describe(elements_[failure.element]) + " " +
           failure.reason);
  }
}

std::string Decompiler::run() {
  collectCompounds();
  chooseGenerators();
  takeInlineImages();
  collectImageNeeds();
  chooseAnimatedNumbering();
  buildElements();
  planImages();
  order();
  WriterInput input{
      skin_,
      compounds_,
      elements_,
      plan_,
      list_ != nullptr,
      [this](const ItemId& id, const std::string& what, bool prefixed) -> const std::u16string& {
        return nameOf(id, what, prefixed);
      },
      [this](const Element& element) {
        const std::u16string* name =
            findName(itemIdOf(skin_.groups[element.group], element.kind, element.record));
        return name != nullptr && name->find(u'%') != std::u16string::npos;
      }};
  return encodeDescription(writeDescription(input, steps_));
}

}  // namespace

DecompileResult decompileSkn(const SknChunk& root, const DecompileOptions& options) {
  DecompileResult result;
  if (options.names == nullptr) {
    result.error = "no registry names to write items with";
    return result;
  }
  DecompiledSkin skin;
  std::string reason;
  if (!readDecompiledSkin(root, skin, reason)) {
    result.error = "no description compiles to this file: " + reason;
    return result;
  }
  if (options.list != nullptr) {
    const GenerationList& list = *options.list;
    if (list.scalable != skin.scalable() ||
        (!list.scalable && list.mbmName != skin.skinName + ".mbm")) {
      result.error = "the generation list is not the one of this skin";
      return result;
    }
  }
  // Where registry names make the parts that generated identifiers
  // ambiguous, three ways of choosing them are tried in turn.
  std::string firstError;
  for (int choice = 0; choice < 3; ++choice) {
    std::set<PartNumber> forcedGenerators;
    for (;;) {
      try {
        Decompiler decompiler(skin, options, forcedGenerators, choice);
        result.description = decompiler.run();
        result.imageFiles = decompiler.imageFiles();
        result.maskFiles = decompiler.maskFiles();
        result.ok = true;
        return result;
      } catch (const Refusal& refusal) {
        if (firstError.empty()) firstError = refusal.reason;
      } catch (const Restart&) {
        continue;
      }
      break;
    }
  }
  result.error = "no description compiles to this file: " + firstError;
  return result;
}

}  // namespace korvane
