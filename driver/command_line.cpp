#include "driver/command_line.h"

#include <string_view>

#include "base/text.h"
#include "base/version.h"

namespace korvane {

void appendTrailingBackslash(std::string& path) {
  if (!path.empty() && path.back() != '\\') path.push_back('\\');
}

bool parseCommandLine(int argc, const char* const argv[], CompileOptions& options) {
  options = CompileOptions();
  int positionals = 0;
  bool tooLong = false;
  auto store = [&tooLong](std::string& field, std::string_view value) {
    if (value.size() > kMaxOptionText) tooLong = true;
    field.assign(value);
  };
  bool valueMissing = false;
  auto request = [&options](CompileOptions::Request wanted) {
    if (options.request == CompileOptions::Request::kCompile) options.request = wanted;
  };
  for (int i = 1; i < argc; ++i) {
    std::string_view arg(argv[i]);
    if (equalsNoCase(arg, "--help")) {
      request(CompileOptions::Request::kHelp);
    } else if (equalsNoCase(arg, "--version")) {
      request(CompileOptions::Request::kVersion);
    } else if (equalsNoCase(arg, "--list-items")) {
      request(CompileOptions::Request::kListItems);
    } else if (startsWithNoCase(arg, "--list-items=")) {
      if (options.request == CompileOptions::Request::kCompile) {
        store(options.listItemsPattern, arg.substr(13));
      }
      request(CompileOptions::Request::kListItems);
    } else if (equalsNoCase(arg, "--quiet")) {
      options.quiet = true;
    } else if (equalsNoCase(arg, "--strict")) {
      options.strict = true;
    } else if (equalsNoCase(arg, "--depfile-absolute")) {
      options.depfileAbsolute = true;
    } else if (startsWithNoCase(arg, "--depfile-target=")) {
      options.depfileTargets.emplace_back();
      store(options.depfileTargets.back(), arg.substr(17));
      if (options.depfileTargets.back().empty()) valueMissing = true;
    } else if (startsWithNoCase(arg, "--depfile=")) {
      store(options.depfile, arg.substr(10));
      if (options.depfile.empty()) valueMissing = true;
    } else if (equalsNoCase(arg, "--depfile")) {
      // The value may also be the next argument, which is then no positional.
      if (i + 1 < argc && argv[i + 1][0] != '\0') {
        store(options.depfile, argv[++i]);
      } else {
        valueMissing = true;
      }
    } else if (equalsNoCase(arg, "--drm")) {
      options.drmMode = true;
    } else if (equalsNoCase(arg, "--forcesystem")) {
      options.forceSystem = true;
    } else if (equalsNoCase(arg, "--forcenormal")) {
      options.forceNormal = true;
    } else if (startsWithNoCase(arg, "-m")) {
      store(options.listPath, arg.substr(2));
      appendTrailingBackslash(options.listPath);
    } else if (startsWithNoCase(arg, "-t")) {
      store(options.targetPath, arg.substr(2));
      appendTrailingBackslash(options.targetPath);
    } else if (startsWithNoCase(arg, "-s")) {
      store(options.systemPath, arg.substr(2));
      appendTrailingBackslash(options.systemPath);
    } else if (startsWithNoCase(arg, "-i")) {
      store(options.extensionListFile, arg.substr(2));
    } else if (positionals == 0) {
      store(options.inputFile, arg);
      ++positionals;
    } else if (positionals == 1) {
      store(options.skinName, arg);
      ++positionals;
    }
  }
  // A path of 511 characters has no room for its trailing backslash.
  for (const std::string* path : {&options.listPath, &options.targetPath, &options.systemPath}) {
    if (path->size() > kMaxOptionText) tooLong = true;
  }
  return positionals == 2 && !tooLong && !valueMissing;
}

void printUsage(Console& console) {
  static const char* const kLines[] = {
      "Syntax: Korvane [options] input skinname\n\n",
      "Where   options    [-mpath] [-tpath] [-spath] [-ifile]\n",
      "        input:     Input file in ASCII or UTF-16 format.\n",
      "                   Example: MySkin.txt\n",
      "        skinname:  Skin name used as filename prefix.\n",
      "                   Example: MySkin\n",
      "Options -mpath:    Path for MBM/MIF generation list.\n",
      "                   Example: -m..\\mbmlist\\\n",
      "        -tpath:    Path for SKN (and possible PKG) target.\n",
      "                   Example: -t..\\output\\\n",
      "        -spath:    Path for system skin CPP and MMP.\n",
      "                   Example: -s..\\dllsrc\\\n",
      "        -ifile:    Item ID extension list.\n",
      "                   Example: -iNewPhoneIIDs.txt\n",
      "        --drm      Suppress SKN and sounds from PKG file.\n",
  };
  for (const char* line : kLines) console.out(line);
}

void printLongOptions(Console& console) {
  static const char* const kLines[] = {
      "\nLong options for builds:\n",
      "        --quiet    Print only warnings, errors and the result.\n",
      "        --strict   Missing image and mask files are errors, not notes.\n",
      "        --depfile=file\n",
      "                   Write a Make dependency file after a successful compile.\n",
      "                   Example: --depfile=MySkin.d\n",
      "        --depfile-absolute\n",
      "                   Name files in the dependency file by absolute paths.\n",
      "        --list-items[=pattern]\n",
      "                   List the item names (with -i, the extension's too) and\n",
      "                   their IDs; the pattern is a glob, letter case ignored.\n",
      "                   Example: --list-items='QsnFr*'\n",
      "        --depfile-target=name\n",
      "                   Target of the dependency file's rule instead of the\n",
      "                   outputs (repeatable), as the build tool names it.\n",
      "        --help     Print this text.\n",
      "        --version  Print the version.\n",
      "Environment SOURCE_DATE_EPOCH=seconds\n",
      "                   Time of the SKN file and generated package ID.\n",
  };
  for (const char* line : kLines) console.out(line);
}

std::string versionLine() {
  return std::string("korvane ") + kVersionText + "\n";
}

}  // namespace korvane
