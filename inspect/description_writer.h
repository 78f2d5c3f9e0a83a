// Writes a decompiled skin as description text, once the decompiler has
// decided how every image is written and in which order the elements come.
#ifndef KORVANE_INSPECT_DESCRIPTION_WRITER_H
#define KORVANE_INSPECT_DESCRIPTION_WRITER_H

#include <functional>
#include <string>
#include <vector>

#include "inspect/decompile_plan.h"
#include "inspect/decompiled_skin.h"
#include "inspect/element_order.h"
#include "inspect/image_plan.h"

namespace korvane::decompile {

struct WriterInput {
  const DecompiledSkin& skin;
  const std::vector<Compound>& compounds;
  const std::vector<Element>& elements;
  // Also hands out the names of files that must not exist.
  ImagePlan& images;
  bool listed = false;  // the image files are those of the generation list
  // The name an IID= writes for the item; raises when the registry has none,
  // or when the only name holds "%" and the IID= has no item prefix.
  std::function<const std::u16string&(const ItemId&, const std::string& what, bool prefixed)>
      nameOf;
  // True when the element's own item is named only by a name holding "%":
  // it must be written with an item prefix.
  std::function<bool(const Element&)> needsPrefix;
};

// The opening, then the elements and language sections in the order of `steps`.
std::u16string writeDescription(const WriterInput& input, const std::vector<OrderStep>& steps);

}  // namespace korvane::decompile

#endif
