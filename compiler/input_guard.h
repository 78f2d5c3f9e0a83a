// Keeps a compile from writing over the files it reads: a generation list,
// SKN, PKG or DRM definition file name that names the description or the
// item-ID extension list (the same file, by any path or link) is refused
// before anything is written. The dependency file is checked like every
// other output, and against those outputs as well.
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

// One output the dependency file must not be: its name and what it is ("the
// SKN file").
struct NamedOutput {
  const std::string* name;
  const char* role;
};

// Raises "Dependency file NAME is ROLE", code 1, when the dependency file
// names one of the other outputs: the same file by any path or link, or, for
// an output not written yet, the same name once "." and "dir/.." parts are
// taken out. An empty dependency file name is skipped.
void refuseDepfileOverOutputs(FileSystem& fs, const std::string& depfile,
                              std::initializer_list<NamedOutput> outputs);

}  // namespace korvane

#endif
