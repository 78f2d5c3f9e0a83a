// The image files of a decompiled description: for every bitmap index of the
// SKN file, the bitmap path, file name, colour depth and mask token that a
// description names it with. With the generation list of the compile they
// are the listed files; without it, placeholders at depth c16.
#ifndef KORVANE_INSPECT_IMAGE_PLAN_H
#define KORVANE_INSPECT_IMAGE_PLAN_H

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/item_id.h"
#include "inspect/generation_list.h"
#include "inspect/item_names.h"

namespace korvane {

// What the elements that name one image file ask of it.
struct ImageNeeds {
  // Some reference to the file carries a mask token.
  bool masked = false;
  // An inline image takes its identifier from its file name: the name must
  // then name no registry item (the identifier is generated) or exactly one.
  enum class Naming { kFree, kNothing, kItem };
  Naming naming = Naming::kFree;
  ItemId item;
  // Files that one element names share a bitmap path: the same group.
  uint32_t group = 0;
};

struct ImageFile {
  std::u16string path;  // the bitmap path: empty (automatic) or ending in a backslash
  std::u16string file;
  std::u16string depth;      // "c16"
  std::u16string maskToken;  // the token a masked reference writes
  bool svgAnim = false;      // the list marks it "/A"
};

// Whether a split of the listed text `text` into bitmap path and file name
// gives a file name that names `item`, or with none, that names no item.
bool listedFileCanName(const ItemIdRegistry& registry, std::string_view text, const ItemId* item);

class ImagePlan {
 public:
  explicit ImagePlan(const ItemNames& names) : names_(names) {}

  // Plans images[n] for bitmap index 0x4000 + 2n. False, with `error`, when
  // the list does not fit the SKN file or no file names meet the needs.
  bool plan(const std::vector<ImageNeeds>& needs, const GenerationList* list, std::string& error);

  const std::vector<ImageFile>& images() const { return images_; }
  // The file of a bitmap index.
  const ImageFile& image(uint32_t index) const;

  // A file name that names no image file of the plan and no registry item,
  // for an inline image or BMP value whose file did not exist.
  std::u16string missingFile();

 private:
  bool planListed(const std::vector<ImageNeeds>& needs, const GenerationList& list,
                  std::string& error);
  bool planPlaceholders(const std::vector<ImageNeeds>& needs, std::string& error);
  bool meetsNaming(const ImageNeeds& need, std::u16string_view file) const;
  // Splits the listed texts of one group at `split` into path and file name;
  // false, with nothing claimed, when they do not all meet their needs.
  bool placeGroup(const std::vector<size_t>& members, const GenerationList& list,
                  const std::vector<ImageNeeds>& needs, size_t split, bool tweak);
  // Gives `image` a file name from its listed text that meets `need` and
  // that no other file has, with `tweak` also one with a unit moved up.
  bool placeFile(ImageFile& image, const ImageNeeds& need, const std::u16string& listed,
                 bool tweak);
  static std::u16string keyOf(const ImageFile& image);
  // Records the file's key; false when another file has it already.
  bool claimKey(const ImageFile& image);
  void unclaimKey(const ImageFile& image);
  static std::u16string maskFile(std::u16string_view file);

  const ItemNames& names_;
  std::vector<ImageFile> images_;
  // Folded path, depth and folded file name of every planned file, as the
  // compiler tells image files apart; and every folded file name.
  std::unordered_set<std::u16string> keys_;
  std::unordered_map<std::u16string, uint32_t> fileNames_;
  uint32_t missingCount_ = 0;
};

}  // namespace korvane

#endif
