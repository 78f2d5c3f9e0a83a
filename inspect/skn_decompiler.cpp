#include "inspect/skn_decompiler.h"

namespace korvane {

DecompileResult decompileSkn(const SknChunk&, const DecompileOptions&) {
  DecompileResult result;
  result.error = "decompiling is not available yet";
  return result;
}

}  // namespace korvane
