// The dependency file and strict runs: what the depfile names and how, when
// it is written, and a missing image or mask file as an error.
#include "driver/depfile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"
#include "base/memory_platform.h"
#include "driver/compile_test_support.h"

namespace korvane {
namespace {

using namespace korvane::testing;

// Images present and missing, one file at two depths, named masks (one of
// them ignored as a second definition), an inline image in a frame, and a
// second bitmap path.
const std::string kSkin =
    "SKINTYPE scalable\n"
    "UID 0x2000ABCD\n"
    "NAME 1 \"Skin\"\n"
    "BITMAPPATH gfx\n"
    "BITMAP IID=QsnBgScreen c16 bg.bmp MASK=bg_mask.bmp\n"
    "BITMAP IID=QsnBgAreaMain c16 bg.bmp MASK=other_mask.bmp\n"
    "BITMAP IID=QsnBgAreaStatus c8 BG.bmp\n"
    "BITMAP IID=QsnBgAreaControl c16 gone.bmp MASK=gone_mask.bmp\n"
    "FRAME IID=QsnFrList\n"
    "  IID=QsnFrListCornerTl IID=QsnFrListCornerTr IID=QsnFrListCornerBl IID=QsnFrListCornerBr\n"
    "  IID=QsnFrListSideT IID=QsnFrListSideB IID=QsnFrListSideL IID=QsnFrListSideR\n"
    "  c16 list$#1.bmp\n"
    "END\n"
    "BITMAPPATH\n"
    "BITMAP IID=QgnIndiSignalStrength c16 signal.svg\n";

struct DepRun {
  MemoryPlatform p;
  RunResult run;
};

void compile(DepRun& r, const std::string& description, std::vector<std::string> options) {
  MemoryFileSystem& fs = r.p.fs;
  fs.addFile("my skin.txt", description);
  fs.addFile("ids.txt", "IID \"KTavsIIDExtra\" 1 2\n");
  for (const char* image :
       {"gfx/bg.bmp", "gfx/BG.bmp", "gfx/bg_mask.bmp", "gfx/list$#1.bmp", "signal.svg"}) {
    fs.addFile(image, "image");
  }
  fs.directories.insert("gfx");
  fs.directories.insert("out");
  fs.directories.insert("lists");
  options.push_back("my skin.txt");
  options.push_back("Skin");
  r.run = runInMemory(r.p, options);
}

// The prerequisites in the order they were looked for, as Make reads them;
// the missing gone.bmp by its directory.
const char* const kPrerequisites[] = {
    "my\\ skin.txt", "ids.txt", "gfx/bg.bmp",         "gfx/bg_mask.bmp",
    "gfx/BG.bmp",    "gfx",     "gfx/list$$\\#1.bmp", "signal.svg",
};

std::string expectedDepfile(const std::string& targets) {
  std::string text = targets + ":";
  for (const char* path : kPrerequisites) text += std::string(" \\\n  ") + path;
  text += "\n";
  for (const char* path : kPrerequisites) text += std::string("\n") + path + ":\n";
  return text;
}

TEST(Depfile, EscapesWhatMakeReadsSpecially) {
  EXPECT_EQ(escapeForMake("a b#c$d\te/f%g:h"), "a\\ b\\#c$$d\\\te/f%g:h");
  for (const char* bad : {"a\nb", "a\rb"}) {
    try {
      escapeForMake(bad);
      ADD_FAILURE() << "a line end was accepted";
    } catch (const CKrvException& e) {
      EXPECT_EQ(e.code, kErrorFileOpen);
      EXPECT_NE(e.message.find(bad[1] == '\n' ? "a<10>b" : "a<13>b"), std::string::npos);
    }
  }
}

TEST(Depfile, AbsolutePathsJoinTheWorkingDirectory) {
  EXPECT_EQ(absolutePath("/w", "./././a/b.bmp"), "/w/a/b.bmp");
  EXPECT_EQ(absolutePath("/w/", "a"), "/w/a");
  EXPECT_EQ(absolutePath("/", "a"), "/a");
  EXPECT_EQ(absolutePath("/w", "/abs/a"), "/abs/a");
  EXPECT_EQ(absolutePath("/w", "../a"), "/w/../a");
#ifdef _WIN32
  // The working directory of a Windows host, and a path on another drive.
  EXPECT_EQ(absolutePath("C:/w", "a/b.bmp"), "C:/w/a/b.bmp");
  EXPECT_EQ(absolutePath("C:/w", "D:/skins/a.bmp"), "D:/skins/a.bmp");
#endif
}

TEST(Depfile, NamesTheOutputsAndEveryFileLookedForOnce) {
  // Like every output, the depfile needs its directory.
  DepRun r;
  compile(r, kSkin, {"--depfile=deps\\skin.d", "-iids.txt", "-tout", "-mlists", "--drm"});
  ASSERT_EQ(r.run.code, 2);

  DepRun ok;
  ok.p.fs.directories.insert("deps");
  compile(ok, kSkin, {"--depfile=deps\\skin.d", "-iids.txt", "-tout", "-mlists", "--drm"});
  ASSERT_EQ(ok.run.code, 0) << ok.run.out;
  EXPECT_EQ(ok.p.fs.content("deps/skin.d"),
            expectedDepfile("lists/Skin_MIFList.txt out/Skin.skn out/Skin.pkg out/datafiles.def"));
  EXPECT_NE(ok.run.out.find("  Completed.\n  Writing dependency file to deps\\skin.d ...\n"
                            "  Completed.\n\n" +
                            kEqualsLine),
            std::string::npos);
  // The missing image is still only a note.
  EXPECT_NE(ok.run.out.find("NOTE: item gone.bmp not add beacuse file not exist!!\n"),
            std::string::npos);
}

TEST(Depfile, AbsolutePathsOnRequest) {
  DepRun r;
  r.p.environment.directory = "/home/build/skins";
  compile(r, kSkin, {"--depfile", "skin.d", "--depfile-absolute", "-iids.txt", "-t/abs/out\\"});
  ASSERT_EQ(r.run.code, 2);  // no directory /abs/out yet
  DepRun ok;
  ok.p.environment.directory = "/home/build/skins";
  ok.p.fs.directories.insert("/abs/out");
  compile(ok, kSkin, {"--depfile", "skin.d", "--depfile-absolute", "-iids.txt", "-t/abs/out\\"});
  ASSERT_EQ(ok.run.code, 0) << ok.run.out;
  std::string text = ok.p.fs.content("skin.d");
  const std::string dir = "/home/build/skins/";
  EXPECT_EQ(text.substr(0, text.find(':')),
            dir + "Skin_MIFList.txt /abs/out/Skin.skn /abs/out/Skin.pkg");
  EXPECT_NE(text.find(" \\\n  " + dir + "my\\ skin.txt \\\n  " + dir + "ids.txt \\\n  " + dir +
                      "gfx/bg.bmp \\\n"),
            std::string::npos);
  EXPECT_NE(text.find("\n" + dir + "signal.svg:\n"), std::string::npos);

  DepRun unknown;
  unknown.p.environment.directory = "";
  compile(unknown, kSkin, {"--depfile=skin.d", "--depfile-absolute"});
  EXPECT_EQ(unknown.run.code, 2);
  EXPECT_FALSE(unknown.p.fs.has("skin.d"));
}

TEST(Depfile, NotWrittenAfterAnErrorAndItsOwnFailuresAreErrors) {
  DepRun parse;
  compile(parse, kSkin + "BITMAP IID=NoSuchItem c16 bg.bmp\n", {"--depfile=skin.d"});
  EXPECT_EQ(parse.run.code, 2);
  EXPECT_FALSE(parse.p.fs.has("skin.d"));

  DepRun open;
  open.p.fs.failOpenWrite.insert("skin.d");
  compile(open, kSkin, {"--depfile=skin.d"});
  EXPECT_EQ(open.run.code, 2);
  EXPECT_EQ(open.run.err,
            "An exception occured:\n  Error while opening a file\n"
            "  Can not open dependency file for writing\n");
  EXPECT_TRUE(open.p.fs.has("Skin.pkg"));

  DepRun close;
  close.p.fs.failClose.insert("skin.d");
  compile(close, kSkin, {"--depfile=skin.d"});
  EXPECT_EQ(close.run.code, 2);
  EXPECT_NE(close.run.err.find("  Dependency file can not be written\n"), std::string::npos);
  EXPECT_FALSE(close.p.fs.has("skin.d"));

  DepRun lineEnd;
  lineEnd.p.fs.directories.insert("out\nx");
  compile(lineEnd, kSkin, {"--depfile=skin.d", "-tout\nx"});
  EXPECT_EQ(lineEnd.run.code, 2);
  EXPECT_NE(lineEnd.run.err.find("dependency file: out<10>x/Skin.skn\n"), std::string::npos);
  EXPECT_FALSE(lineEnd.p.fs.has("skin.d"));
}

// The prerequisites of a depfile's rule as written (escaped).
std::vector<std::string> prerequisitesOf(const std::string& text) {
  std::string rule = text.substr(0, text.find("\n\n"));
  std::vector<std::string> paths;
  const std::string separator = " \\\n  ";
  size_t at = rule.find(separator);
  while (at != std::string::npos) {
    size_t start = at + separator.size();
    at = rule.find(separator, start);
    paths.push_back(rule.substr(start, at == std::string::npos ? std::string::npos : at - start));
  }
  return paths;
}

TEST(Depfile, AMissingFileIsNamedByTheNearestDirectoryThatExists) {
  const std::string skin =
      "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Skin\"\n"
      "BITMAPPATH gfx\n"
      "BITMAP IID=QsnBgScreen c16 gone.bmp\n"
      "BITMAP IID=QsnBgAreaMain c16 also_gone.bmp\n"
      "BITMAP IID=QsnBgAreaStatus c16 bg.bmp MASK=gone_mask.bmp\n"
      "BITMAPPATH gfx/new/deeper\n"
      "BITMAP IID=QsnBgAreaControl c16 later.bmp\n"
      "BITMAPPATH new/deeper\n"
      "BITMAP IID=QgnIndiSignalStrength c16 later.svg\n";
  DepRun r;
  r.p.environment.directory = "/w";
  r.p.fs.directories.insert("deps");
  compile(r, skin, {"--depfile=deps/skin.d", "-tout", "-mlists"});
  ASSERT_EQ(r.run.code, 0) << r.run.out;
  // gfx once for its four missing files (one in a directory not made yet),
  // the working directory for the file in its missing subdirectory.
  EXPECT_EQ(prerequisitesOf(r.p.fs.content("deps/skin.d")),
            (std::vector<std::string>{"my\\ skin.txt", "gfx", "gfx/bg.bmp", "."}));

  DepRun absolute;
  absolute.p.environment.directory = "/w";
  absolute.p.fs.directories.insert("deps");
  compile(absolute, skin, {"--depfile=deps/skin.d", "--depfile-absolute", "-tout", "-mlists"});
  ASSERT_EQ(absolute.run.code, 0) << absolute.run.out;
  EXPECT_EQ(prerequisitesOf(absolute.p.fs.content("deps/skin.d")),
            (std::vector<std::string>{"/w/my\\ skin.txt", "/w/gfx", "/w/gfx/bg.bmp", "/w"}));
}

TEST(Depfile, ADirectoryTheCompileWritesIntoIsNotWatched) {
  // Written into at every compile, it would always look newer than the outputs.
  const std::string skin =
      "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Skin\"\n"
      "BITMAP IID=QsnBgScreen c16 here.bmp\n"
      "BITMAPPATH out\n"
      "BITMAP IID=QsnBgAreaMain c16 out.bmp\n"
      "BITMAPPATH lists\\\n"
      "BITMAP IID=QsnBgAreaStatus c16 list.bmp\n"
      "BITMAPPATH gfx\n"
      "BITMAP IID=QsnBgAreaControl c16 gone.bmp\n";
  struct Case {
    std::vector<std::string> options;
    std::vector<std::string> watched;
  };
  // The same directories in other spellings: relative and absolute from the
  // working directory, with "./" and doubled or trailing slashes.
  const Case cases[] = {
      {{"--depfile=skin.d", "-tout", "-mlists"}, {"gfx"}},
      {{"--depfile=gfx/skin.d", "-tout", "-mlists"}, {"."}},
      {{"--depfile=gfx/skin.d", "-t./out", "-m/w/lists"}, {"."}},
      {{"--depfile=/w/gfx/skin.d", "--depfile-absolute", "-t/w/out", "-mlists"}, {"/w"}},
      {{"--depfile=/w/gfx/skin.d", "--depfile-absolute", "-t/w/out", "-m/w"}, {"/w/lists"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options[0] + " " + c.options[1]);
    DepRun r;
    r.p.environment.directory = "/w";
    for (const char* directory : {"/w", "/w/out", "/w/lists", "/w/gfx"}) {
      r.p.fs.directories.insert(directory);
    }
    compile(r, skin, c.options);
    ASSERT_EQ(r.run.code, 0) << r.run.out;
    std::vector<std::string> watched = prerequisitesOf(r.p.fs.content(c.options[0].substr(10)));
    ASSERT_FALSE(watched.empty());
    EXPECT_EQ(std::vector<std::string>(watched.begin() + 1, watched.end()), c.watched);
  }
}

TEST(Depfile, TargetsAsTheBuildToolNamesThem) {
  DepRun r;
  r.p.environment.directory = "/w";
  compile(r, kSkin,
          {"--depfile=skin.d", "--depfile-absolute", "--depfile-target=lists/Skin_MIFList.txt",
           "--DEPFILE-TARGET=with space", "-tout", "-mlists"});
  ASSERT_EQ(r.run.code, 0) << r.run.out;
  std::string text = r.p.fs.content("skin.d");
  EXPECT_EQ(text.substr(0, text.find(": \\\n")), "lists/Skin_MIFList.txt with\\ space");
  EXPECT_NE(text.find("\n  /w/gfx/bg.bmp \\\n"), std::string::npos);

  for (const char* bad : {"--depfile-target=", "--depfile-target=a\nb"}) {
    DepRun b;
    compile(b, kSkin, {"--depfile=skin.d", bad});
    EXPECT_EQ(b.run.code, bad[17] == '\0' ? 1 : 2) << bad;
    EXPECT_FALSE(b.p.fs.has("skin.d"));
  }
}

TEST(StrictRun, AMissingImageIsAnErrorAtItsLine) {
  struct Case {
    std::string lines;
    std::string message;
  };
  const Case cases[] = {
      {"BITMAP IID=QsnBgScreen c16 gone.bmp\n", "Image file gfx\\gone.bmp not found"},
      {"FRAME IID=QsnFrList\n"
       "  IID=QsnFrListCornerTl IID=QsnFrListCornerTr IID=QsnFrListCornerBl\n"
       "  IID=QsnFrListCornerBr IID=QsnFrListSideT IID=QsnFrListSideB\n"
       "  IID=QsnFrListSideL IID=QsnFrListSideR c16 gone.bmp\n"
       "END\n",
       "Image file gfx\\gone.bmp not found"},
      {"BITMAP IID=QsnBgScreen c16 bg.bmp MASK=gone_mask.bmp\n",
       "Mask file gfx\\gone_mask.bmp not found"},
      {"SCALABLEITEM IID=QsnBgAreaMain INPUT=none OUTPUT=0/RGB\n"
       "  EFFECT UID=0x10208F8A INPUTA=none INPUTB=none OUTPUT=0/RGB\n"
       "    BMP Image c16 gone.bmp\n"
       "  END\n"
       "END\n",
       "Image file gfx\\gone.bmp not found"},
  };
  const std::string opening =
      "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Skin\"\nBITMAPPATH gfx\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    DepRun lax;
    compile(lax, opening + c.lines, {});
    EXPECT_EQ(lax.run.code, 0) << lax.run.out;

    DepRun strict;
    compile(strict, opening + c.lines, {"--strict", "--depfile=skin.d"});
    EXPECT_EQ(strict.run.code, 2);
    EXPECT_NE(strict.run.err.find(":\n  Error while opening a file\n  " + c.message + "\n"),
              std::string::npos)
        << strict.run.err;
    EXPECT_EQ(strict.run.err.rfind("An exception occured (when parsing line ", 0), 0u);
    EXPECT_EQ(strict.run.out.find("not add beacuse"), std::string::npos);
    EXPECT_FALSE(strict.p.fs.has("Skin.skn"));
    EXPECT_FALSE(strict.p.fs.has("skin.d"));
  }
}

TEST(StrictRun, WithEveryFilePresentWritesWhatALaxRunWrites) {
  const std::string skin =
      "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Skin\"\nBITMAPPATH gfx\n"
      "BITMAP IID=QsnBgScreen c16 bg.bmp MASK=bg_mask.bmp\n"
      "BITMAP IID=QsnBgAreaMain c16 bg.bmp MASK=missing_but_ignored.bmp\n";
  DepRun lax;
  compile(lax, skin, {});
  DepRun strict;
  compile(strict, skin, {"--strict"});
  ASSERT_EQ(strict.run.code, 0) << strict.run.out;
  EXPECT_EQ(strict.run.out, lax.run.out);
  EXPECT_EQ(strict.p.fs.content("Skin.skn"), lax.p.fs.content("Skin.skn"));
}

}  // namespace
}  // namespace korvane
