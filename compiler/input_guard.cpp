#include "compiler/input_guard.h"

#include <utility>

#include "base/error.h"

namespace korvane {

void refuseOutputsOverInputs(FileSystem& fs, std::initializer_list<const std::string*> outputs,
                             const std::string& inputFile, const std::string& extensionListFile) {
  const std::pair<const std::string*, const char*> inputs[] = {
      {&inputFile, "the input file"}, {&extensionListFile, "the item ID extension list"}};
  for (const std::string* output : outputs) {
    if (output->empty()) continue;
    for (const auto& [input, role] : inputs) {
      if (!input->empty() && fs.sameFile(*output, *input)) {
        throw CKrvException(kErrorFileOpen, "Output file " + *output + " is " + role,
                            DiagnosticCode::kOutputOverInput);
      }
    }
  }
}

}  // namespace korvane
