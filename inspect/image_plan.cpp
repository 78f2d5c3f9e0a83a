#include "inspect/image_plan.h"

#include <algorithm>
#include <map>

#include "base/text.h"
#include "inspect/decompiled_skin.h"
#include "inspect/description_text.h"
#include "source/tokens.h"

namespace korvane {

namespace {

// Units that narrow to the same byte but are told apart as names: one more
// for every 0x100 added, up to the last that stays below 0xFF00.
constexpr char16_t kTweakStep = 0x100;
constexpr char16_t kTweakLimit = 0xFEFF;

// A text of the generation list as a token: each byte one unit, except those
// that would end a token, which keep their low byte but move up by 0x100
// (the compiler narrows names to their low bytes for files and lists alike).
std::u16string listTextAsToken(std::string_view text) {
  std::u16string token;
  token.reserve(text.size());
  for (char c : text) {
    auto unit = static_cast<char16_t>(static_cast<unsigned char>(c));
    if (unit == u' ' || unit == u'\t' || unit == u'\r' || unit == u'\n' || unit == 0) {
      unit += kTweakStep;
    }
    token.push_back(unit);
  }
  return token;
}

uint32_t maskKindOf(const std::string& depth, bool& known) {
  known = true;
  if (depth.empty()) return 0;
  if (depth == "1") return 1;
  if (depth == "8") return 4;
  known = false;
  return 0;
}

// Lengths at which `text` splits into a bitmap path (ending in a backslash,
// or empty) and a file name that is not empty, longest first.
std::vector<size_t> pathSplits(std::string_view text) {
  std::vector<size_t> splits;
  for (size_t i = text.size(); i-- > 1;) {
    if (text[i - 1] == '\\') splits.push_back(i);
  }
  splits.push_back(0);
  return splits;
}

}  // namespace

bool listedFileCanName(const ItemIdRegistry& registry, std::string_view text, const ItemId* item) {
  for (size_t split : pathSplits(text)) {
    std::u16string file = listTextAsToken(text.substr(split));
    const ItemIdEntry* entry = registry.findByFileName(file);
    if (item ? entry != nullptr && entry->id() == *item : entry == nullptr) return true;
    // A file name may also name nothing by a unit that narrows alike, as
    // placeFile gives it.
    size_t percent = file.find(u'%');
    size_t stem = percent == std::u16string::npos ? 0 : percent + 1;
    if (item == nullptr && stem < file.size()) {
      file[stem] = static_cast<char16_t>(file[stem] + kTweakStep);
      if (registry.findByFileName(file) == nullptr) return true;
    }
  }
  return false;
}

const ImageFile& ImagePlan::image(uint32_t index) const {
  return images_[imageNumber(index)];
}

bool ImagePlan::meetsNaming(const ImageNeeds& need, std::u16string_view file) const {
  if (need.naming == ImageNeeds::Naming::kFree) return true;
  const ItemIdEntry* entry = names_.registry().findByFileName(file);
  if (need.naming == ImageNeeds::Naming::kNothing) return entry == nullptr;
  return entry != nullptr && entry->id() == need.item;
}

std::u16string ImagePlan::keyOf(const ImageFile& image) {
  std::u16string key = foldedCopy(image.path);
  key += u'\0';
  key += image.depth;
  key += u'\0';
  key += foldedCopy(image.file);
  return key;
}

bool ImagePlan::claimKey(const ImageFile& image) {
  if (!keys_.insert(keyOf(image)).second) return false;
  ++fileNames_[foldedCopy(image.file)];
  return true;
}

void ImagePlan::unclaimKey(const ImageFile& image) {
  keys_.erase(keyOf(image));
  auto name = fileNames_.find(foldedCopy(image.file));
  if (--name->second == 0) fileNames_.erase(name);
}

std::u16string ImagePlan::maskFile(std::u16string_view file) {
  size_t dot = file.rfind(u'.');
  size_t slash = file.rfind(u'\\');
  std::u16string mask;
  if (dot == std::u16string_view::npos || (slash != std::u16string_view::npos && dot < slash)) {
    mask = std::u16string(file) + u"_mask";
  } else {
    mask = std::u16string(file.substr(0, dot)) + u"_mask" + std::u16string(file.substr(dot));
  }
  // Nothing reads the mask file; a long name only has to fit its token.
  return mask.size() + 9 > SourceLexer::kMaxToken ? u"mask.bmp" : mask;
}

bool ImagePlan::plan(const std::vector<ImageNeeds>& needs, const GenerationList* list,
                     std::string& error) {
  images_.assign(needs.size(), ImageFile());
  keys_.clear();
  fileNames_.clear();
  bool planned = list ? planListed(needs, *list, error) : planPlaceholders(needs, error);
  if (!planned) return false;
  for (size_t i = 0; i < needs.size(); ++i) {
    ImageFile& image = images_[i];
    if (image.maskToken.empty()) continue;
    // Masks of SVG files are unnamed; other files name theirs. The kind
    // (MASK or SOFTMASK) is the list's, which every masked reference gives.
    if (!isSvgName(image.file)) image.maskToken += u'=' + maskFile(image.file);
  }
  return true;
}

bool ImagePlan::planPlaceholders(const std::vector<ImageNeeds>& needs, std::string& error) {
  for (size_t i = 0; i < needs.size(); ++i) {
    const ImageNeeds& need = needs[i];
    ImageFile& image = images_[i];
    uint32_t index = imageIndex(i);
    image.path = u".\\";
    image.depth = u"c16";
    if (need.masked) image.maskToken = u"MASK";
    std::vector<std::u16string> candidates;
    if (need.naming == ImageNeeds::Naming::kItem) {
      // The item's name as the stem, the index after the first dot.
      for (const ItemIdEntry* row : names_.rows(need.item.major, need.item.minor)) {
        if (!startsWithNoCase(row->name, kItemNamePrefix)) continue;
        candidates.push_back(std::u16string(row->name.substr(kItemNamePrefix.size())) +
                             widenCopy(format(".%04x.bmp", index)));
      }
    } else {
      candidates.push_back(widenCopy(format("bitmap_%04x.bmp", index)));
      for (int k = 1; k < 10; ++k)
        candidates.push_back(widenCopy(format("bitmap_%04x_%d.bmp", index, k)));
    }
    for (const std::u16string& file : candidates) {
      if (!isTokenText(file) || file.size() > SourceLexer::kMaxToken || !meetsNaming(need, file)) {
        continue;
      }
      image.file = file;
      break;
    }
    if (image.file.empty() || !claimKey(image)) {
      error =
          format("no placeholder file name for the image 0x%x gives its item identifier", index);
      return false;
    }
  }
  return true;
}

bool ImagePlan::planListed(const std::vector<ImageNeeds>& needs, const GenerationList& list,
                           std::string& error) {
  if (list.images.size() != needs.size()) {
    error = format("the generation list names %zu image files, but the SKN file uses %zu",
                   list.images.size(), needs.size());
    return false;
  }
  for (size_t i = 0; i < needs.size(); ++i) {
    const ListedImage& listed = list.images[i];
    ImageFile& image = images_[i];
    image.depth = widenCopy(listed.depth);
    image.svgAnim = listed.svgAnim;
    bool known = false;
    uint32_t kind = maskKindOf(listed.maskDepth, known);
    if (!known) {
      error = format(
          "the generation list gives the image 0x%x the mask depth %s, which no mask "
          "token gives",
          listed.index, listed.maskDepth.c_str());
      return false;
    }
    if (needs[i].masked != (kind != 0)) {
      error =
          format("the generation list gives %s mask for the image 0x%x, but the SKN file %s",
                 kind != 0 ? "a" : "no", listed.index, needs[i].masked ? "uses one" : "uses none");
      return false;
    }
    if (kind != 0) image.maskToken = kind == 1 ? u"MASK" : u"SOFTMASK";
  }

  // The files one element names share its bitmap path, so each group of
  // files takes one split of its texts into path and file name: the longest
  // that every text of the group has, where each file name still names the
  // item its inline images need. Groups whose names must name something,
  // and larger ones, choose first; a lone file free of needs takes any
  // split that is left.
  std::map<uint32_t, std::vector<size_t>> groups;
  for (size_t i = 0; i < needs.size(); ++i) groups[needs[i].group].push_back(i);
  std::vector<std::vector<size_t>> ordered;
  for (auto& [group, members] : groups) ordered.push_back(std::move(members));
  auto free = [&](const std::vector<size_t>& members) {
    return std::all_of(members.begin(), members.end(),
                       [&](size_t i) { return needs[i].naming == ImageNeeds::Naming::kFree; });
  };
  std::sort(ordered.begin(), ordered.end(),
            [&](const std::vector<size_t>& a, const std::vector<size_t>& b) {
              bool freeA = free(a);
              bool freeB = free(b);
              if (freeA != freeB) return freeB;
              if (a.size() != b.size()) return a.size() > b.size();
              return a < b;
            });

  for (const std::vector<size_t>& members : ordered) {
    const std::string& first = list.images[members[0]].file;
    // Another split first; only then a unit that tells the names apart.
    bool done = false;
    for (int pass = 0; pass < 2 && !done; ++pass) {
      for (size_t split : pathSplits(first)) {
        if (placeGroup(members, list, needs, split, pass == 1)) {
          done = true;
          break;
        }
      }
    }
    if (!done) {
      error = format(
          "no split of the listed file %s into bitmap path and file name gives "
          "the item identifiers and image numbers of the SKN file",
          first.c_str());
      return false;
    }
  }
  return true;
}

bool ImagePlan::placeGroup(const std::vector<size_t>& members, const GenerationList& list,
                           const std::vector<ImageNeeds>& needs, size_t split, bool tweak) {
  const std::string& first = list.images[members[0]].file;
  for (size_t i : members) {
    const std::string& text = list.images[i].file;
    if (text.size() <= split || text.compare(0, split, first, 0, split) != 0) return false;
  }
  size_t placed = 0;
  for (; placed < members.size(); ++placed) {
    size_t i = members[placed];
    std::string_view text = list.images[i].file;
    images_[i].path = listTextAsToken(text.substr(0, split));
    if (!placeFile(images_[i], needs[i], listTextAsToken(text.substr(split)), tweak)) break;
  }
  if (placed == members.size()) return true;
  for (size_t k = 0; k < placed; ++k) unclaimKey(images_[members[k]]);
  return false;
}

// Two files whose listed texts are alike (they differed in units the list
// narrowed, or in where their path ended) are told apart by a unit that
// narrows to the same byte: the last one, or for a file name that must name
// no item, also the first unit of the name it stands for.
bool ImagePlan::placeFile(ImageFile& image, const ImageNeeds& need, const std::u16string& listed,
                          bool tweak) {
  size_t percent = listed.find(u'%');
  size_t positions[] = {listed.size() - 1, percent == std::u16string::npos ? 0 : percent + 1};
  size_t positionCount = need.naming == ImageNeeds::Naming::kNothing ? 2 : 1;
  for (size_t p = 0; p < positionCount; ++p) {
    size_t position = positions[p];
    if (position >= listed.size()) continue;
    char16_t last = tweak ? kTweakLimit : listed[position];
    for (char16_t step = 0; listed[position] + step <= last; step += kTweakStep) {
      image.file = listed;
      image.file[position] = static_cast<char16_t>(listed[position] + step);
      if (meetsNaming(need, image.file) && claimKey(image)) return true;
    }
  }
  return false;
}

std::u16string ImagePlan::missingFile() {
  for (;;) {
    std::u16string file = widenCopy(format("missing_%u.bmp", ++missingCount_));
    if (fileNames_.count(foldedCopy(file)) == 0 &&
        names_.registry().findByFileName(file) == nullptr) {
      ++fileNames_[foldedCopy(file)];
      return file;
    }
  }
}

}  // namespace korvane
