// The console report of whole compile runs of a scalable skin with scalable
// items and an animation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/memory_platform.h"
#include "driver/compile_run.h"
#include "driver/compile_test_support.h"

namespace korvane {
namespace {

using namespace korvane::testing;

// The extension list names the items of the skin below.
const char kItemIds[] =
    "IID \"KTavsIIDKrvGlow\" 0x10AA0001 0x10\n"
    "IID \"KTavsIIDKrvGlowLater\" 0x10AA0001 0x11\n"
    "IID \"KTavsIIDKrvGlowCopy\" 0x10AA0001 0x12\n"
    "IID \"KTavsIIDKrvPulse\" 0x10AA0001 0x20\n";

const char kSkin[] =
    "SKINTYPE scalable\n"
    "UID 0x10203040\n"
    "NAME 1 \"Glow\"\n"
    "BITMAP IID=QsnBgScreen c16 bg.bmp\n"
    "SCALABLEITEM IID=KrvGlowCopy REFIID=QsnBgScreen\n"
    "SCALABLEITEM IID=KrvGlowLater REFIID=LAY_W%KrvGlow\n"
    "SCALABLEITEM IID=KrvGlow INPUT=none OUTPUT=1/RGBA\n"
    "EFFECT UID=0x101F8A5C INPUTA=none INPUTB=none OUTPUT=1/RGBA\n"
    "  BMP Image c16 glow.svg MASK\n"
    "  BMP Gone c8 gone.bmp\n"
    "  INT Mode 2\n"
    "END\n"
    "END\n"
    "ANIMATION IID=KrvPulse INPUT=none OUTPUT=1/RGBA MININTERVAL=40 MORPHING\n"
    "COMMAND UID=0x10 INPUTA=1/RGBA INPUTB=none OUTPUT=1/RGBA\n"
    "  NAMEDREF Alpha VALUEID=1\n"
    "END\n"
    "VALUE UID=1 TIMINGID=2\n"
    "  INT Start 0\n"
    "END\n"
    "TIMINGMODEL UID=2\n"
    "  RAW Curve [0 500 1000]\n"
    "END\n"
    "SIZEBOUNDPARAM Width VALUEID=1 FLAGS=W\n"
    "END\n";

RunResult compile(MemoryPlatform& p, const std::string& skin) {
  p.fs.addFile("ids.txt", kItemIds);
  p.fs.addFile("skin.txt", skin);
  p.fs.addFile("bg.bmp", "image");
  p.fs.addFile("glow.svg", "image");
  return runInMemory(p, {"-iids.txt", "skin.txt", "Glow"});
}

const std::string kOpening = banner() +
                             "NOTE: Reading item ID extensions from ids.txt\n"
                             "NOTE: Item ID extensions read and appended.\n\n"
                             "Phase 0: Parameter summary.\n"
                             "  Source file: skin.txt\n"
                             "  Skin name: Glow\n"
                             "\nPhase 1: Input parsing.\n"
                             "  Opening source file skin.txt ...\n"
                             "  Parsing file ...\n";

TEST(ScalableReport, ScalableItemsAndAnimationCompile) {
  MemoryPlatform p;
  RunResult run = compile(p, kSkin);
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            kOpening +
                "INFO: IID reference (REFIID=LAY_W%KrvGlow) currently points to non-existent "
                "element (line 7)\n"
                "NOTE: item gone.bmp not add beacuse file not exist!!\n"
                "  Completed.\n"
                "NOTE: Skintype: Scalable \n"
                "\nPhase 2: Output for MBM/MIF generation.\n"
                "  Writing MBM/MIF list for Glow to Glow_MIFList.txt ...\n"
                "  Completed.\n"
                "\nPhase 3: Output for skin content.\n"
                "  Skipping CPP and MMP file creation (non-system skin).\n"
                "  Writing SKN file (that uses MBM/MIF Glow) to Glow.skn ...\n"
                "  Completed.\n"
                "  Writing PKG file for Glow to Glow.pkg ...\n"
                "  Completed.\n" +
                closing(true));
  EXPECT_TRUE(p.fs.has("Glow.skn"));
}

TEST(ScalableReport, FaultInsideAnAnimationIsReportedWithItsLine) {
  std::string skin = kSkin;
  const std::string value = "VALUE UID=1 TIMINGID=2\n";
  skin.replace(skin.find(value), value.size(), "VALUE UID=1 TIMING=2\n");
  MemoryPlatform p;
  RunResult run = compile(p, skin);
  const std::string report =
      "An exception occured (when parsing line 19):\n"
      "  Parse error\n"
      "  TIMINGID parameter expected for VALUE\n";
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.err, report);
  EXPECT_EQ(run.out, kOpening +
                         "INFO: IID reference (REFIID=LAY_W%KrvGlow) currently points to "
                         "non-existent element (line 7)\n"
                         "NOTE: item gone.bmp not add beacuse file not exist!!\n" +
                         framedReport(report) + closing(false));
  EXPECT_FALSE(p.fs.has("Glow.skn"));
}

}  // namespace
}  // namespace korvane
