// The decompiler: a compiled skin back to a description that compiles to
// the same bytes.
#ifndef KORVANE_INSPECT_SKN_DECOMPILER_H
#define KORVANE_INSPECT_SKN_DECOMPILER_H

#include <string>
#include <vector>

#include "inspect/generation_list.h"
#include "inspect/item_names.h"
#include "inspect/skn_reader.h"

namespace korvane {

struct DecompileOptions {
  const ItemNames* names = nullptr;
  const GenerationList* list = nullptr;  // with --list
};

struct DecompileResult {
  bool ok = false;
  std::string description;  // the bytes of the description file
  // The image files it names, by bitmap index, as paths of the description
  // (path and file name, backslashes kept, each unit narrowed to its byte).
  std::vector<std::string> imageFiles;
  // The mask files it names (MASK=, SOFTMASK=), made-up names beside their
  // images; only a --strict compile looks for them.
  std::vector<std::string> maskFiles;
  std::string error;  // why no description can produce this file
};

DecompileResult decompileSkn(const SknChunk& root, const DecompileOptions& options);

}  // namespace korvane

#endif
