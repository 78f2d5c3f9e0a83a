// Phases 2 and 3 through the whole run: what a failure reports, which exit
// code it ends with, and which files it leaves behind.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>
#include <vector>

#include "base/memory_platform.h"
#include "driver/compile_test_support.h"

namespace korvane {
namespace {

const std::string kScalable =
    "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Skin\"\n"
    "BITMAP IID=QsnBgScreen c16 bg.bmp\nSOUND IID=SoundRingingTone \"ring.aac\"\n";

using namespace korvane::testing;

RunResult compile(MemoryPlatform& p, const std::string& description,
                  std::vector<std::string> options = {}) {
  p.fs.addFile("skin.txt", description);
  p.fs.addFile("bg.bmp", "image");
  p.fs.directories.insert("out");
  options.insert(options.begin(), "-tout");
  options.push_back("skin.txt");
  options.push_back("Skin");
  return runInMemory(p, std::move(options));
}

std::string report(const char* codeLine, const char* message) {
  return std::string("An exception occured:\n  ") + codeLine + "  " + message + "\n";
}

TEST(OutputPhases, ASuccessfulRunWritesEveryOutput) {
  MemoryPlatform p;
  p.clock.value = 133000000000000000ull;
  RunResult run = compile(p, kScalable, {"--drm"});
  EXPECT_EQ(run.code, 0);
  EXPECT_TRUE(run.err.empty());
  EXPECT_EQ(p.fs.content("Skin_MIFList.txt"), "/E\r\n/c16 .\\bg.bmp\r\n");
  EXPECT_TRUE(p.fs.has("out/Skin.skn"));
  EXPECT_NE(
      p.fs.content("out/Skin.pkg").find(";SKN file Skin.skn moved to DRM definition file\r\n"),
      std::string::npos);
  EXPECT_EQ(p.fs.content("out/datafiles.def"), "skin\r\nSkin.skn\r\nring.aac\r\n");
  EXPECT_NE(run.out.find("  Writing PKG file for Skin to out\\Skin.pkg \n"
                         "    and DRM definition file to out\\datafiles.def ...\n  Completed.\n"),
            std::string::npos);
}

// Each case breaks one step of phase 3 and names what must be left on disk.
struct Fault {
  const char* name;
  std::function<void(MemoryFileSystem&)> inject;
  const char* codeLine;
  const char* message;
  bool sknWritten;
};

TEST(OutputPhases, Phase3FailuresLeaveEarlierFilesAndKeepPreviousOnes) {
  const Fault faults[] = {
      {"skn open", [](MemoryFileSystem& fs) { fs.failOpenWrite.insert("out/Skin.skn"); },
       "Error while opening a file\n", "Can not open target binary file for writing", false},
      {"skn write", [](MemoryFileSystem& fs) { fs.failWriteBeyond["out/Skin.skn"] = 100; },
       "Error while opening a file\n", "Can not write target binary file", false},
      {"skn close", [](MemoryFileSystem& fs) { fs.failClose.insert("out/Skin.skn"); },
       "Error while opening a file\n", "Can not write target binary file", false},
      {"pkg open", [](MemoryFileSystem& fs) { fs.failOpenWrite.insert("out/Skin.pkg"); },
       "Error while opening a file\n", "Can not open PKG output file for writing", true},
      {"pkg write", [](MemoryFileSystem& fs) { fs.failWriteBeyond["out/Skin.pkg"] = 200; },
       "Error while opening a file\n", "Can not write PKG output file", true},
      {"pkg close", [](MemoryFileSystem& fs) { fs.failClose.insert("out/Skin.pkg"); },
       "Error while opening a file\n", "Can not write PKG output file", true},
      {"drm open", [](MemoryFileSystem& fs) { fs.failOpenWrite.insert("out/datafiles.def"); },
       "Error while opening a file\n", "Can not open DRM def output file for writing", true},
  };
  // Without earlier outputs a failed file is not there afterwards; with them
  // it is the previous version, byte for byte.
  for (bool previous : {false, true}) {
    for (const Fault& fault : faults) {
      SCOPED_TRACE(std::string(fault.name) + (previous ? " over previous files" : ""));
      MemoryPlatform p;
      if (previous) {
        p.fs.addFile("out/Skin.skn", "previous skn");
        p.fs.addFile("out/Skin.pkg", "previous pkg");
      }
      fault.inject(p.fs);
      RunResult run = compile(p, kScalable, {"--drm"});
      EXPECT_EQ(run.code, 2);
      EXPECT_EQ(run.err, report(fault.codeLine, fault.message));
      EXPECT_NE(run.out.find("\nAborted, ERRORS ENCOUNTERED!\n"), std::string::npos);
      EXPECT_EQ(run.out.find("Completed successfully"), std::string::npos);
      EXPECT_TRUE(p.fs.has("Skin_MIFList.txt"));
      EXPECT_FALSE(p.fs.has("out/datafiles.def"));
      if (fault.sknWritten) {
        EXPECT_EQ(p.fs.content("out/Skin.skn").substr(4, 4), std::string("\0\0\1\0", 4));
      } else if (previous) {
        EXPECT_EQ(p.fs.content("out/Skin.skn"), "previous skn");
      } else {
        EXPECT_FALSE(p.fs.has("out/Skin.skn"));
      }
      if (previous) {
        EXPECT_EQ(p.fs.content("out/Skin.pkg"), "previous pkg");
      } else {
        EXPECT_FALSE(p.fs.has("out/Skin.pkg"));
      }
    }
  }
}

TEST(OutputPhases, ContentErrorsOfTheWritersCarryNoLine) {
  // The SKN writer refuses a restricted application icon of a normal skin:
  // the generation list stays, no SKN or PKG file is written.
  MemoryPlatform p;
  RunResult run = compile(p,
                          "SKINTYPE normal\nNAME 1 \"Skin\"\nRESTRICTION LAY_W\n"
                          "APPICON UID=0x1000\nIID=QsnBgScreen\nEND\n");
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.err, report("Error in skin content\n", "Application icon contains restrictions"));
  EXPECT_EQ(p.fs.content("Skin_MBMList.txt"), "Skin.mbm\r\n");
  EXPECT_FALSE(p.fs.has("out/Skin.skn"));
  EXPECT_FALSE(p.fs.has("out/Skin.pkg"));

  // The generation list refuses image sources of a normal skin after its first line.
  MemoryPlatform q;
  run = compile(q, "SKINTYPE normal\nNAME 1 \"Skin\"\nBITMAP IID=QsnBgScreen c16 bg.bmp\n");
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.err, report("Error in skin content\n", "SVG icons require scalable skin"));
  EXPECT_EQ(q.fs.content("Skin_MBMList.txt"), "Skin.mbm\r\n");
  EXPECT_FALSE(q.fs.has("out/Skin.skn"));
}

// A full disk can cut the list in the middle of a line: no list is left.
TEST(OutputPhases, GenerationListWriteFailureRemovesTheList) {
  MemoryPlatform p;
  p.fs.failWriteBeyond["Skin_MIFList.txt"] = 10;
  RunResult run = compile(p, kScalable);
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.err, report("Error while opening a file\n",
                            "Text output file for bmconv can not be written"));
  EXPECT_FALSE(p.fs.has("Skin_MIFList.txt"));
  EXPECT_FALSE(p.fs.has("out/Skin.skn"));
}

TEST(OutputPhases, SystemSkinsAreRefusedBeforeAnyOutput) {
  MemoryPlatform p;
  RunResult run = compile(p, "SKINTYPE normal\nNAME 1 \"Skin\"\n", {"--forcesystem"});
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.out.find("NOTE: Skintype: System \n\n" + std::string(70, '-') + "\n"),
            std::string::npos);
  EXPECT_EQ(run.err, report("Error in skin content\n",
                            "System skins are no longer supported, please use scalable skin type "
                            "instead"));
  EXPECT_TRUE(p.fs.files.size() == 2);  // the description and the image only

  MemoryPlatform q;
  run = compile(q, "SKINTYPE system\nNAME 1 \"Skin\"\n", {"--forcenormal"});
  EXPECT_EQ(run.code, 0);
  EXPECT_NE(run.out.find("NOTE: Skintype: Normal \n"), std::string::npos);
}

TEST(OutputPhases, ForceSwitchesHaveNoEffectOnScalableSkins) {
  MemoryPlatform p;
  RunResult run = compile(p, kScalable, {"--forcesystem", "--forcenormal"});
  EXPECT_EQ(run.code, 0);
  EXPECT_NE(run.out.find("WARNING: Scalable skin, force parameter has no effect.\n"
                         "WARNING: Scalable skin, force parameter has no effect.\n"
                         "NOTE: Skintype: Scalable \n"),
            std::string::npos);
}

// A file system whose image lookups run out of memory.
class ExhaustedFileSystem : public MemoryFileSystem {
 protected:
  bool doExists(const std::string&) override { throw std::bad_alloc(); }
};

TEST(OutputPhases, RunningOutOfMemoryIsReportedNotACrash) {
  MemoryPlatform p;
  ExhaustedFileSystem fs;
  fs.addFile("skin.txt", kScalable);
  Platform platform{fs, p.clock, p.console};
  const char* argv[] = {"korvane", "skin.txt", "Skin"};
  EXPECT_EQ(runCompile(3, argv, platform), 2);
  EXPECT_EQ(p.console.stderrText,
            "An exception occured (when parsing line 5):\n  Unknown error\n"
            "  Not enough memory to compile this skin\n");
  EXPECT_NE(p.console.stdoutText.find("\nAborted, ERRORS ENCOUNTERED!\n"), std::string::npos);
}

}  // namespace
}  // namespace korvane
