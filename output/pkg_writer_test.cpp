#include "output/pkg_writer.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "base/memory_platform.h"

namespace korvane {
namespace {

constexpr uint32_t kSound = 0x101f869e;

std::string crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

const std::string kHead = R"(; File created with Korvane v0.0.141
;
;
; Installation file for Skin skin
;
&EN
;
; Package header
;
)";
const std::string kSupports = R"(;
; Supports Orvane v3.x
; This line indicates that this installation is for the Orvane platform v3.x
; This line must appear _exactly_ as shown below in the sis file
; If this line is missing or incorrect, the sis file will not be able
; to be installed on Orvane v3.x platforms
;
[0x101f7961], 0, 0, 0, {"Orvanev3.0"}
;
; Supports Orvane v5.x
; This line indicates that this installation is for the Orvane platform v5.x
; This line must appear _exactly_ as shown below in the sis file
; If this line is missing or incorrect, the sis file will not be able
; to be installed on Orvane v5.x platforms
;
[0x1028315F], 0, 0, 0, {"Orvanev5.0"}
;
; Requires Orvane Skins Support
;
(0xA00000EB), 0, 0, 0, {"OrvaneSkinsSupport"}
)";
const std::string kTail = R"(;
; End of file
;
)";

class PkgWriterTest : public ::testing::Test {
 protected:
  std::string write(const std::string& drm = "") {
    PkgWriter(p.fs).write(content, "Skin", "out\\Skin.pkg", drm);
    return p.fs.content("out/Skin.pkg");
  }
  CKrvException failure(const std::string& drm = "") {
    try {
      write(drm);
    } catch (const CKrvException& e) {
      return e;
    }
    ADD_FAILURE() << "no error";
    return CKrvException(-1, "");
  }

  MemoryPlatform p;
  SkinContent content{p.fs, p.console};
  void SetUp() override { p.fs.directories.insert("out"); }
};

TEST_F(PkgWriterTest, UidSkinLineByLine) {
  content.packageIdLow = 0xE1234;
  content.addString(StringItem{ItemId{kSound, 1}, u"Ring.mp3", 0});
  content.addString(StringItem{ItemId{kSound, 2}, u"rING.MP3", 0});
  content.addString(StringItem{ItemId{0x101f869f, 3}, u"not a sound", 0});
  content.addString(StringItem{ItemId{kSound, 4}, u"b\u0141.wav", 0});
  EXPECT_EQ(write(), crlf(kHead + "#{\"Skin\"},(0x000e1234),1,0,0\n" + kSupports + R"(;
; Non-localised vendor name
;
:"Unknown Vendor"
;
; Localised vendor name
;
%{"Vendor-EN"}
;
; Files to install
;
IF package(0x102032be) ; Check for Orv 3.1 stub sis
"Skin.mbm" - "!:\resource\skins\000e1234\Skin.mbm"
ELSE
"Skin.mbm" - "!:\private\10207114\import\000e1234\Skin.mbm"
ENDIF
"Skin.skn" - "!:\private\10207114\import\000e1234\Skin.skn"
;Dummy entry for the possible skin .ini file, so that it gets removed on uninstall
"" - "!:\private\10207114\import\000e1234\000e1234.ini",FN
;
; Sound files
;
"Ring.mp3" - "!:\private\10207114\import\000e1234\Ring.mp3"
"bA.wav" - "!:\private\10207114\import\000e1234\bA.wav"
)" + kTail));
}

TEST_F(PkgWriterTest, PidScalableSkinAndParentUid) {
  content.skinType = kSkinTypeScalable;
  content.packageIdLow = 0x89ABCDEF;
  content.packageIdHigh = 0x1234;
  content.author = u"Me \u0141";
  std::string pkg = write();
  for (const char* line : {
           "#{\"Skin\"},(0xA00000EB),1,0,0,TYPE=SP\r\n",
           ";\r\n; Requires Orvane Scalable Skins Support\r\n;\r\n"
           "(0x10207113), 0, 0, 0, {\"OrvaneScalableSkinsSupport\"}\r\n;\r\n; Non-localised",
           ":\"Me A\"\r\n",
           "\"Skin.mbm\" - \"!:\\resource\\skins\\89abcdef00001234\\Skin.mbm\"\r\n"
           "\"Skin.mif\" - \"!:\\resource\\skins\\89abcdef00001234\\Skin.mif\"\r\nELSE\r\n",
           "\"Skin.mif\" - \"!:\\private\\10207114\\import\\89abcdef00001234\\Skin.mif\"\r\nENDIF",
           "\"\" - \"!:\\private\\10207114\\import\\89abcdef00001234\\89abcdef00001234.ini\",FN\r\n"
           ";\r\n; End of file",
       }) {
    EXPECT_NE(pkg.find(line), std::string::npos) << line;
  }
  content.parentUidLow = 0xA;
  EXPECT_EQ(PkgWriter::skinDirectoryId(content), "0000000a");
  content.parentUidLow = 0;
  content.parentUidHigh = 0xB;
  EXPECT_EQ(PkgWriter::skinDirectoryId(content), "000000000000000b");
  EXPECT_NE(write().find("import\\000000000000000b\\Skin.skn\""), std::string::npos);
}

TEST_F(PkgWriterTest, DrmModeMovesSknAndSoundsToTheDefinitionFile) {
  content.packageIdLow = 0x10;
  std::string pkg = write("out\\datafiles.def");
  EXPECT_NE(pkg.find("ENDIF\r\n;SKN file Skin.skn moved to DRM definition file\r\n;Dummy"),
            std::string::npos);
  EXPECT_EQ(p.fs.content("out/datafiles.def"), "skin\r\nSkin.skn\r\n");
  content.addString(StringItem{ItemId{kSound, 1}, u"a.wav", 0});
  pkg = write("out\\datafiles.def");
  EXPECT_NE(
      pkg.find(";\r\n; Sound files\r\n;\r\n;Sound file a.wav moved to DRM definition file\r\n"),
      std::string::npos);
  EXPECT_EQ(p.fs.content("out/datafiles.def"), "skin\r\nSkin.skn\r\na.wav\r\n");
}

TEST_F(PkgWriterTest, FileFaults) {
  content.packageIdLow = 0x10;
  p.fs.failOpenWrite.insert("out/Skin.pkg");
  EXPECT_EQ(failure().message, "Can not open PKG output file for writing");
  EXPECT_FALSE(p.fs.has("out/Skin.pkg"));

  // Neither file is replaced when the other fails: the previous versions stay.
  p.fs.failOpenWrite = {"out/datafiles.def"};
  p.fs.addFile("out/Skin.pkg", "previous");
  CKrvException e = failure("out\\datafiles.def");
  EXPECT_EQ(e.code, kErrorFileOpen);
  EXPECT_EQ(e.message, "Can not open DRM def output file for writing");
  EXPECT_EQ(p.fs.content("out/Skin.pkg"), "previous");

  // Write and close failures of either file write neither (a close failure of
  // the DRM file comes after the PKG file is in place).
  struct Fault {
    const char* expected;
    void (*inject)(MemoryFileSystem&);
  };
  for (Fault fault : {
           Fault{"Can not write PKG output file",
                 [](MemoryFileSystem& fs) { fs.failWriteBeyond["out/Skin.pkg"] = 100; }},
           Fault{"Can not write PKG output file",
                 [](MemoryFileSystem& fs) { fs.failClose.insert("out/Skin.pkg"); }},
           Fault{"Can not write DRM def output file",
                 [](MemoryFileSystem& fs) { fs.failWriteBeyond["out/datafiles.def"] = 6; }},
           Fault{"Can not write DRM def output file",
                 [](MemoryFileSystem& fs) { fs.failClose.insert("out/datafiles.def"); }},
       }) {
    p.fs = MemoryFileSystem();
    p.fs.directories.insert("out");
    fault.inject(p.fs);
    e = failure("out\\datafiles.def");
    EXPECT_EQ(e.code, kErrorFileOpen);
    EXPECT_EQ(e.message, fault.expected);
    EXPECT_FALSE(p.fs.has("out/datafiles.def"));
    EXPECT_EQ(p.fs.has("out/Skin.pkg"), p.fs.failClose.count("out/datafiles.def") != 0);
  }
}

}  // namespace
}  // namespace korvane
