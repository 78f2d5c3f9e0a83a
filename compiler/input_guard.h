// Keeps a compile from writing over the files it reads: a generation list,
// SKN, PKG or DRM definition file name that names the description or the
// item-ID extension list (the same file, by any path or link) is refused
// before anything is written.
#ifndef KORVANE_COMPILER_INPUT_GUARD_H
#define KORVANE_COMPILER_INPUT_GUARD_H

#include <initializer_list>
#include <string>

#include "base/platform.h"

namespace korvane {

// Raises "Output file NAME is the input file" (or "... is the item ID
// extension list"), code 1, for the first output that names an input.
// Empty names are skipped.
void refuseOutputsOverInputs(FileSystem& fs, std::initializer_list<const std::string*> outputs,
                             const std::string& inputFile, const std::string& extensionListFile);

}  // namespace korvane

#endif
