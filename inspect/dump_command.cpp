#include "inspect/dump_command.h"

#include <memory>
#include <optional>
#include <string_view>

#include "base/error.h"
#include "base/suggest.h"
#include "base/text.h"
#include "base/version.h"
#include "inspect/generation_list.h"
#include "inspect/item_names.h"
#include "inspect/skn_decompiler.h"
#include "inspect/skn_dump.h"
#include "inspect/skn_html.h"
#include "inspect/skn_reader.h"
#include "source/item_id_registry.h"

namespace korvane {

namespace {

constexpr const char* kUsage =
    "Usage: korvane-dump [--no-time] [--json] [-i FILE] [--list FILE] FILE.skn\n"
    "       korvane-dump --html OUT.html [-i FILE] [--list FILE] FILE.skn\n"
    "       korvane-dump --source OUT.txt [-i FILE] [--list FILE] FILE.skn\n"
    "       korvane-dump --help | --version\n";

// Every option, for "did you mean".
constexpr const char* kOptionNames[] = {"--help", "--version", "--no-time", "--json",
                                        "--list", "--html",    "--source",  "-i"};

bool readWholeFile(FileSystem& fs, const std::string& path, std::string& bytes) {
  std::unique_ptr<InputFile> file = fs.openRead(path);
  if (!file) return false;
  char buffer[65536];
  for (size_t n; (n = file->read(buffer, sizeof buffer)) > 0;) bytes.append(buffer, n);
  // A directory opens on some hosts but cannot be read.
  return !file->readFailed();
}

// The page or description replaces an earlier one only when complete.
bool writeWholeFile(FileSystem& fs, const std::string& path, std::string_view bytes) {
  std::unique_ptr<OutputFile> file = fs.openReplace(path);
  if (!file) return false;
  bool ok = file->write(bytes);
  return file->close() && ok;
}

// The option that takes a value: "--list" matches "--list", "--LIST=F";
// "-i" matches "-i" and "-iF". Returns the joined value, or nullopt when the
// argument is not this option; `joined` tells whether a value was attached.
std::optional<std::string_view> optionValue(std::string_view arg, std::string_view name,
                                            bool& joined) {
  if (!startsWithNoCase(arg, name)) return std::nullopt;
  std::string_view rest = arg.substr(name.size());
  joined = !rest.empty();
  if (rest.empty()) return rest;
  if (name.size() > 2) {  // long options join with "="
    if (rest[0] != '=') return std::nullopt;
    rest.remove_prefix(1);
  }
  return rest;
}

}  // namespace

const char* dumpUsage() {
  return kUsage;
}

bool parseDumpCommandLine(int argc, const char* const argv[], DumpCommand& command,
                          std::string& error) {
  command = DumpCommand();
  bool modeSet = false;
  auto setMode = [&](DumpCommand::Mode mode) {
    if (modeSet && command.mode != mode) {
      error = "choose one of --json, --html and --source";
      return false;
    }
    modeSet = true;
    command.mode = mode;
    return true;
  };
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (equalsNoCase(arg, "--help") || equalsNoCase(arg, "-h")) {
      command.mode = DumpCommand::Mode::kHelp;
      return true;
    }
    if (equalsNoCase(arg, "--version")) {
      command.mode = DumpCommand::Mode::kVersion;
      return true;
    }
    if (equalsNoCase(arg, "--no-time")) {
      command.showTime = false;
      continue;
    }
    if (equalsNoCase(arg, "--json")) {
      if (!setMode(DumpCommand::Mode::kJson)) return false;
      continue;
    }
    struct Valued {
      const char* name;
      std::string* field;
      std::optional<DumpCommand::Mode> mode;
    };
    const Valued valued[] = {{"--list", &command.listFile, std::nullopt},
                             {"--html", &command.outputFile, DumpCommand::Mode::kHtml},
                             {"--source", &command.outputFile, DumpCommand::Mode::kSource},
                             {"-i", &command.extensionList, std::nullopt}};
    bool matched = false;
    for (const Valued& option : valued) {
      bool joined = false;
      std::optional<std::string_view> value = optionValue(arg, option.name, joined);
      if (!value) continue;
      // A value missing at the end is as wrong as an empty one.
      if (!joined && i + 1 < argc) value = argv[++i];
      if (value->empty()) {
        error = std::string(option.name) + " needs a value";
        return false;
      }
      if (option.mode && !setMode(*option.mode)) return false;
      option.field->assign(*value);
      matched = true;
      break;
    }
    if (matched) continue;
    if (arg.size() > 1 && arg[0] == '-') {
      error = "Unknown option " + std::string(arg);
      SuggestionSearch search(arg.substr(0, arg.find('=')));
      for (const char* option : kOptionNames) search.consider(std::string_view(option));
      if (search.found()) error += " (did you mean " + search.bestNarrow() + "?)";
      return false;
    }
    if (!command.sknFile.empty()) {
      error = "more than one SKN file";
      return false;
    }
    command.sknFile.assign(arg);
  }
  if (command.sknFile.empty()) {
    error = "no SKN file";
    return false;
  }
  return true;
}

int runDump(int argc, const char* const argv[], Platform& platform) {
  Console& console = platform.console;
  DumpCommand command;
  std::string error;
  if (!parseDumpCommandLine(argc, argv, command, error)) {
    console.err("korvane-dump: " + error + "\n" + kUsage);
    return kDumpUsageOrOpen;
  }
  if (command.mode == DumpCommand::Mode::kHelp) {
    console.out(kUsage);
    return kDumpValid;
  }
  if (command.mode == DumpCommand::Mode::kVersion) {
    console.out(std::string("korvane-dump ") + kVersionText + "\n");
    return kDumpValid;
  }

  std::string bytes;
  if (!readWholeFile(platform.fs, command.sknFile, bytes)) {
    console.err("error: cannot open " + command.sknFile + "\n");
    return kDumpUsageOrOpen;
  }

  // The registry loader's notes are not part of a dump.
  NullDiagnosticSink silent;
  ItemIdRegistry registry;
  try {
    loadItemIds(registry, platform.fs, silent, command.extensionList);
  } catch (const CKrvException& e) {
    console.err("error: item ID extension list " + command.extensionList +
                " is invalid: " + e.message + "\n");
    return kDumpInvalidExtensionList;
  }
  ItemNames names(registry);

  GenerationList list;
  const GenerationList* listed = nullptr;
  if (!command.listFile.empty()) {
    std::string text;
    if (!readWholeFile(platform.fs, command.listFile, text)) {
      console.err("error: cannot open " + command.listFile + "\n");
      return kDumpUsageOrOpen;
    }
    if (!parseGenerationList(text, list, error)) {
      console.err("error: " + command.listFile + " is not a generation list: " + error + "\n");
      return kDumpUsageOrOpen;
    }
    listed = &list;
  }

  SknDecodeResult result = decodeSkn(bytes);
  if (!result.ok) {
    console.err(result.error.describe() + "\n");
    return kDumpFormatError;
  }

  switch (command.mode) {
    case DumpCommand::Mode::kText:
    case DumpCommand::Mode::kJson: {
      SknDumpOptions options;
      options.showTime = command.showTime;
      options.names = &names;
      options.list = listed;
      console.out(command.mode == DumpCommand::Mode::kJson ? renderSknJson(result.root, options)
                                                           : renderSknText(result.root, options));
      return kDumpValid;
    }
    case DumpCommand::Mode::kHtml: {
      SknHtmlOptions options;
      options.names = &names;
      options.list = listed;
      options.listFile = command.listFile;
      options.pageFile = command.outputFile;
      options.fs = &platform.fs;
      options.workingDirectory = platform.environment.workingDirectory();
      if (!writeWholeFile(platform.fs, command.outputFile, renderSknHtml(result.root, options))) {
        console.err("error: cannot write " + command.outputFile + "\n");
        return kDumpUsageOrOpen;
      }
      return kDumpValid;
    }
    case DumpCommand::Mode::kSource: {
      DecompileOptions options;
      options.names = &names;
      options.list = listed;
      DecompileResult decompiled = decompileSkn(result.root, options);
      if (!decompiled.ok) {
        console.err("error: " + decompiled.error + "\n");
        return kDumpFormatError;
      }
      if (!writeWholeFile(platform.fs, command.outputFile, decompiled.description)) {
        console.err("error: cannot write " + command.outputFile + "\n");
        return kDumpUsageOrOpen;
      }
      return kDumpValid;
    }
    case DumpCommand::Mode::kHelp:
    case DumpCommand::Mode::kVersion:
      break;
  }
  return kDumpValid;
}

}  // namespace korvane
