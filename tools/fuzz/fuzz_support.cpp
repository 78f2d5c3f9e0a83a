#include "tools/fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>

#include "driver/compile_run.h"
#include "driver/round_trip_test_support.h"
#include "inspect/skn_dump.h"
#include "inspect/skn_reader.h"

namespace korvane::fuzz {

namespace {

// The example skins' images and a few names of each kind that the dictionary
// also knows; the compiler asks only whether they exist.
const char* const kImageNames[] = {
    "anim_1.svg",
    "anim_2.svg",
    "app_icon.svg",
    "area_main.bmp",
    "area_main_mirrored.bmp",
    "background.bmp",
    "background_mask.bmp",
    "battery.svg",
    "button.svg",
    "list_center.bmp",
    "list_t.bmp",
    "list_tl.bmp",
    "qsn_bg_area_status.bmp",
    "signal.svg",
    "texture.bmp",
    "texture_mask.bmp",
    "wait_1.bmp",
    "wait_2.bmp",
    "wait_3.bmp",
    "a.bmp",
    "b.bmp",
    "m.bmp",
    "a.svg",
    "b.svg",
    "qsn_bg_screen.bmp",
    "qsn_fr_list.svg",
    "Orv_3_0%qsn_bg_screen.bmp",
};

// 2026-01-01 00:00 UTC as 100-nanosecond intervals since 1601.
constexpr uint64_t kFixedTime = 134111232000000000ull;

}  // namespace

const char kValidExtensionList[] =
    "/ Item-ID extensions for fuzzing\n"
    "IID \"KTavsIIDNewItem\" 0x10005A26 0x9000\n"
    "IID \"KTavsIIDFuzzItem\" 0x2000ABCD 1\n";

std::unique_ptr<MemoryPlatform> makePlatform() {
  auto platform = std::make_unique<MemoryPlatform>();
  platform->clock.value = kFixedTime;
  for (const char* name : kImageNames) {
    platform->fs.addFile(name, "");
    platform->fs.addFile(std::string("images/") + name, "");
  }
  platform->fs.directories.insert("images");
  platform->fs.directories.insert(kOutputDir);
  platform->fs.addFile(kExtensionListFile, kValidExtensionList);
  return platform;
}

int compile(MemoryPlatform& platform, const std::vector<std::string>& args) {
  std::vector<const char*> argv{"korvane"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  Platform p = platform.platform();
  return runCompile(static_cast<int>(argv.size()), argv.data(), p);
}

void fail(std::string_view what, const MemoryPlatform& platform) {
  std::fprintf(stderr, "FUZZ CHECK FAILED: %.*s\n--- console ---\n%s\n", int(what.size()),
               what.data(), platform.console.both.c_str());
  std::abort();
}

void checkDiagnosticFormats(const std::string& description, int reportCode) {
  for (const char* format : {"gcc", "json", "sarif"}) {
    std::unique_ptr<MemoryPlatform> platform = makePlatform();
    platform->fs.addFile(kDescriptionFile, description);
    int code = compile(*platform, {std::string("--diagnostics-format=") + format,
                                   "--diagnostics-file=diagnostics.out", "--max-errors=0",
                                   kDescriptionFile, kSkinName});
    if (code != reportCode) fail("a diagnostics format ends otherwise than the report", *platform);
    if (!platform->console.stdoutText.empty()) fail("a diagnostics format printed", *platform);
    if (!platform->fs.has("diagnostics.out")) fail("no diagnostics file", *platform);
    const std::string& text = platform->fs.content("diagnostics.out");
    if (format != std::string("gcc") && !nlohmann::json::accept(text)) {
      fail("diagnostics that are no JSON", *platform);
    }
    if (code == kExitErrors && platform->fs.has(std::string(kSkinName) + ".skn")) {
      fail("an SKN file written after an error", *platform);
    }
  }
}

CompileResult compileAndCheck(const std::string& description, bool withExtensionList,
                              bool toOutputDir) {
  std::unique_ptr<MemoryPlatform> platform = makePlatform();
  platform->fs.addFile(kDescriptionFile, description);
  std::vector<std::string> args;
  std::string prefix;
  if (toOutputDir) {
    args = {std::string("-m") + kOutputDir, std::string("-t") + kOutputDir, "--drm"};
    prefix = std::string(kOutputDir) + "/";
  }
  if (withExtensionList) args.push_back(std::string("-i") + kExtensionListFile);
  args.push_back(kDescriptionFile);
  args.push_back(kSkinName);

  int code = compile(*platform, args);
  if (code == kExitErrors) {
    if (platform->console.stderrText.find("An exception occured") == std::string::npos) {
      fail("exit code 2 without an error report", *platform);
    }
    return CompileResult{code, std::move(platform)};
  }
  if (code != kExitSuccess) fail("exit code other than 0 or 2", *platform);

  const MemoryFileSystem& fs = platform->fs;
  std::string base = prefix + kSkinName;
  if (!fs.has(base + "_MIFList.txt") && !fs.has(base + "_MBMList.txt")) {
    fail("success without a generation list", *platform);
  }
  if (!fs.has(base + ".pkg")) fail("success without a PKG file", *platform);
  if (toOutputDir && !fs.has(prefix + "datafiles.def")) {
    fail("success in DRM mode without a DRM definition file", *platform);
  }
  if (!fs.has(base + ".skn")) fail("success without an SKN file", *platform);

  // The writer and the reader must agree on every file the compiler writes.
  SknDecodeResult decoded = decodeSkn(fs.content(base + ".skn"));
  if (!decoded.ok) fail("written SKN file does not decode: " + decoded.error.describe(), *platform);
  std::string text = renderSknText(decoded.root);
  std::string json = renderSknJson(decoded.root);
  if (text.empty() || json.empty()) fail("empty rendering of a decoded SKN file", *platform);

  // What the compiler made, the decompiler must give back: decompiled, with
  // and without the generation list, and compiled again, the same files.
  for (bool withList : {true, false}) {
    testing::RoundTrip roundTrip = testing::checkRoundTrip(*platform, args, withList);
    if (!roundTrip.problem.empty()) {
      fail(std::string(withList ? "round trip with" : "round trip without") +
               " the generation list: " + roundTrip.problem + "\n--- decompiled ---\n" +
               roundTrip.description,
           *platform);
    }
  }
  return CompileResult{code, std::move(platform)};
}

void requireSameRuns(const CompileResult& a, const CompileResult& b, std::string_view what) {
  std::map<std::string, std::string> filesA = a.platform->fs.files;
  std::map<std::string, std::string> filesB = b.platform->fs.files;
  filesA.erase(kDescriptionFile);
  filesB.erase(kDescriptionFile);
  if (a.code != b.code || a.platform->console.both != b.platform->console.both ||
      filesA != filesB) {
    std::fprintf(stderr, "--- first run ---\n%s\n", a.platform->console.both.c_str());
    fail(what, *b.platform);
  }
}

}  // namespace korvane::fuzz
