// check_skin DESCRIPTION SKIN_NAME [EXTENSION_LIST]
//
// Compiles a skin description in memory with the Korvane library, prints
// each diagnostic as compilers do ("file:line:column: severity: message
// [code]", with its related places as notes) and the size of each output.
// Nothing is written; the image files are looked up beside the description.
// Ends with the compile's exit code (0, 2 or 3), or 1 on a usage error.
#include <korvane/compile.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

const char* severityName(korvane::Severity severity) {
  switch (severity) {
    case korvane::Severity::kError:
      return "error";
    case korvane::Severity::kWarning:
      return "warning";
    case korvane::Severity::kNote:
      break;
  }
  return "note";
}

std::string where(const std::string& file, int line, int column) {
  std::ostringstream out;
  out << (file.empty() ? "korvane" : file);
  if (line > 0) out << ':' << line << ':' << column;
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::cerr << "usage: check_skin DESCRIPTION SKIN_NAME [EXTENSION_LIST]\n";
    return 1;
  }
  std::string path = argv[1];
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::cerr << "check_skin: cannot read " << path << "\n";
    return 1;
  }

  korvane::CompileRequest request;
  request.sourceName = path;
  request.sourceBytes.assign(std::istreambuf_iterator<char>(file), {});
  size_t slash = path.find_last_of('/');
  request.baseDirectory = slash == std::string::npos ? "" : path.substr(0, slash);
  request.skinName = argv[2];
  if (argc == 4) request.extensionListFile = argv[3];
  request.sourceDateEpoch = 0;  // the same bytes on every run
  request.outputs = korvane::Outputs::kBytes;

  korvane::CompileResult result = korvane::compile(request);
  for (const korvane::Diagnostic& d : result.diagnostics) {
    std::cout << where(d.file, d.line, d.column) << ": " << severityName(d.severity) << ": "
              << d.message << " [" << d.code << "]\n";
    for (const korvane::RelatedPlace& place : d.related) {
      std::cout << where(place.range.file, place.range.line, place.range.column)
                << ": note: " << place.message << "\n";
    }
  }
  if (result.exitCode == 0) {
    std::cout << result.sknName << ": " << result.skn.size() << " bytes\n"
              << result.generationListName << ": " << result.generationList.size() << " bytes\n"
              << result.pkgName << ": " << result.pkg.size() << " bytes\n";
  }
  return result.exitCode;
}
