// A compile whose outputs name one of its inputs: refused before anything is
// written, the inputs untouched.
#include "compiler/input_guard.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/memory_platform.h"
#include "driver/compile_test_support.h"

namespace korvane {
namespace {

using namespace korvane::testing;

const std::string kScalable = "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Skin\"\n";
const std::string kIds = "IID \"KTavsIIDNewItem\" 0x10005A26 0x9000\n";

struct Clash {
  const char* name;
  std::vector<std::string> args;
  const char* input;  // the file that must stay as it was
  const char* message;
};

TEST(InputGuard, OutputsNamingAnInputAreRefusedBeforeAnyWrite) {
  const Clash clashes[] = {
      {"generation list",
       {"Foo_MIFList.txt", "Foo"},
       "Foo_MIFList.txt",
       "Output file Foo_MIFList.txt is the input file"},
      {"skn", {"Qux.skn", "Qux"}, "Qux.skn", "Output file Qux.skn is the input file"},
      {"pkg",
       {"src/Baz.pkg", "Baz", "-tsrc"},
       "src/Baz.pkg",
       "Output file src\\Baz.pkg is the input file"},
      {"drm",
       {"--drm", "-tsrc", "src\\datafiles.def", "Baz"},
       "src/datafiles.def",
       "Output file src\\datafiles.def is the input file"},
      {"extension list",
       {"-iSkin.pkg", "skin.txt", "Skin"},
       "Skin.pkg",
       "Output file Skin.pkg is the item ID extension list"},
      {"link to the description",
       {"-mout", "skin.txt", "Skin"},
       "skin.txt",
       "Output file out\\Skin_MIFList.txt is the input file"},
  };
  for (const Clash& clash : clashes) {
    SCOPED_TRACE(clash.name);
    MemoryPlatform p;
    p.fs.directories = {"src", "out"};
    p.fs.addFile(clash.input, kScalable);
    if (std::string(clash.input) == "Skin.pkg") p.fs.files["Skin.pkg"] = kIds;
    p.fs.addFile("skin.txt", kScalable);
    p.fs.aliases["out/Skin_MIFList.txt"] = "skin.txt";
    std::map<std::string, std::string> before = p.fs.files;

    RunResult run = runInMemory(p, clash.args);
    const std::string report =
        std::string("An exception occured:\n  Error while opening a file\n  ") + clash.message +
        "\n";
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.err, report);
    EXPECT_NE(run.out.find(framedReport(report) + closing(false)), std::string::npos);
    EXPECT_EQ(run.out.find("Phase 2"), std::string::npos);
    EXPECT_EQ(p.fs.files, before);
  }
}

}  // namespace
}  // namespace korvane
