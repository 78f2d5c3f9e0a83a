#include "driver/command_line.h"

#include <string_view>

#include "base/suggest.h"
#include "base/text.h"
#include "base/version.h"

namespace korvane {

void appendTrailingBackslash(std::string& path) {
  if (!path.empty() && path.back() != '\\') path.push_back('\\');
}

namespace {

using Format = CompileOptions::DiagnosticsFormat;

struct FormatName {
  std::string_view name;
  Format format;
};
constexpr FormatName kFormats[] = {
    {"report", Format::kReport},
    {"gcc", Format::kGcc},
    {"json", Format::kJson},
    {"sarif", Format::kSarif},
};

bool readFormat(std::string_view value, CompileOptions& options) {
  for (const FormatName& entry : kFormats) {
    if (equalsNoCase(value, entry.name)) {
      options.diagnosticsFormat = entry.format;
      return true;
    }
  }
  SuggestionSearch search(value);
  for (const FormatName& entry : kFormats) search.consider(entry.name);
  options.error = "Unknown diagnostics format " + std::string(value);
  if (search.found()) options.error += " (did you mean " + search.bestNarrow() + "?)";
  return false;
}

// A count of decimal digits that fits an int.
bool readCount(std::string_view value, int& count) {
  if (value.empty() || value.size() > 9) return false;
  int result = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + (c - '0');
  }
  count = result;
  return true;
}

}  // namespace

const std::vector<std::string_view>& longOptionNames() {
  static const std::vector<std::string_view> kNames = {
      "--help",
      "--version",
      "--quiet",
      "--strict",
      "--depfile",
      "--depfile-absolute",
      "--depfile-target",
      "--list-items",
      "--drm",
      "--forcesystem",
      "--forcenormal",
      "--diagnostics-format",
      "--diagnostics-file",
      "--max-errors",
      "--warnings-as-errors",
  };
  return kNames;
}

std::string unknownOptionMessage(std::string_view arg, const std::vector<std::string_view>& known) {
  std::string_view name = arg.substr(0, arg.find('='));
  SuggestionSearch search(name);
  for (std::string_view option : known) search.consider(option);
  std::string message = "Unknown option " + std::string(arg);
  if (search.found()) message += " (did you mean " + search.bestNarrow() + "?)";
  return message;
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
  // A long option's value: "--name=VALUE", or "--name VALUE" (the next
  // argument, which is then no positional). True when `arg` is the option;
  // an empty or missing value is noted.
  int i = 1;
  auto valued = [&](std::string_view arg, std::string_view name, std::string& value,
                    bool sayWhy = true) {
    if (startsWithNoCase(arg, name) && arg.size() > name.size() && arg[name.size()] == '=') {
      store(value, arg.substr(name.size() + 1));
    } else if (equalsNoCase(arg, name)) {
      if (i + 1 < argc && argv[i + 1][0] != '\0') {
        store(value, argv[++i]);
      } else {
        value.clear();
      }
    } else {
      return false;
    }
    if (value.empty()) {
      valueMissing = true;
      if (sayWhy && options.error.empty()) options.error = std::string(name) + " needs a value";
    }
    return true;
  };
  auto positional = [&](std::string_view arg) {
    if (positionals == 0) {
      store(options.inputFile, arg);
    } else if (positionals == 1) {
      store(options.skinName, arg);
    } else {
      return;  // a third one is ignored
    }
    ++positionals;
  };
  bool optionsEnded = false;
  std::string value;
  for (; i < argc; ++i) {
    std::string_view arg(argv[i]);
    if (optionsEnded) {
      positional(arg);  // after "--" every argument is one
    } else if (equalsNoCase(arg, "--help")) {
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
    } else if (valued(arg, "--depfile-target", value)) {
      if (!value.empty()) options.depfileTargets.push_back(value);
    } else if (valued(arg, "--depfile", options.depfile, false)) {
    } else if (valued(arg, "--diagnostics-file", options.diagnosticsFile)) {
    } else if (valued(arg, "--diagnostics-format", value)) {
      if (!value.empty() && !readFormat(value, options)) return false;
    } else if (valued(arg, "--max-errors", value)) {
      if (!value.empty() && !readCount(value, options.maxErrors)) {
        options.error = "--max-errors needs a number, not " + value;
        return false;
      }
    } else if (equalsNoCase(arg, "--warnings-as-errors")) {
      options.warningsAsErrors = true;
    } else if (equalsNoCase(arg, "--drm")) {
      options.drmMode = true;
    } else if (equalsNoCase(arg, "--forcesystem")) {
      options.forceSystem = true;
    } else if (equalsNoCase(arg, "--forcenormal")) {
      options.forceNormal = true;
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg.size() > 2 && arg[0] == '-' && arg[1] == '-') {
      // No option of the program: a typo must not build something else.
      options.error = unknownOptionMessage(arg, longOptionNames());
      return false;
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
    } else {
      positional(arg);
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
      "        --forcesystem, --forcenormal\n",
      "                   Force a non-scalable skin's type to system or normal.\n",
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
      "        --diagnostics-format=report|gcc|json|sarif\n",
      "                   Show diagnostics as the report (the default), as compiler\n",
      "                   lines editors read, as JSON or as a SARIF log; every error\n",
      "                   of the description is shown, on standard error.\n",
      "        --diagnostics-file=file\n",
      "                   Write the diagnostics to this file instead.\n",
      "        --max-errors=n\n",
      "                   Stop after n errors (default 20; 0: no limit).\n",
      "        --warnings-as-errors\n",
      "                   Warnings fail the compile (with a diagnostics format).\n",
      "        --         Every argument after it is a file or skin name.\n",
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
