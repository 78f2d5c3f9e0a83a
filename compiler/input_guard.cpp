#include "compiler/input_guard.h"

#include <utility>
#include <vector>

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

namespace {

// The host path with "." parts, repeated slashes and "dir/.." pairs taken out.
std::string lexicalPath(const std::string& path) {
  return lexicallyNormal(hostPath(path));
}

}  // namespace

void refuseDepfileOverOutputs(FileSystem& fs, const std::string& depfile,
                              std::initializer_list<NamedOutput> outputs) {
  if (depfile.empty()) return;
  const std::string depfilePath = lexicalPath(depfile);
  for (const NamedOutput& output : outputs) {
    if (output.name->empty()) continue;
    if (lexicalPath(*output.name) == depfilePath || fs.sameFile(depfile, *output.name)) {
      throw CKrvException(kErrorFileOpen, "Dependency file " + depfile + " is " + output.role);
    }
  }
}

}  // namespace korvane
