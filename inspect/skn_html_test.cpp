#include "inspect/skn_html.h"

#include <gtest/gtest.h>

#include <vector>

#include "inspect/dump_test_support.h"
#include "inspect/skn_reader_test_support.h"

namespace korvane {
namespace {

using testing::contains;
using testing::imageAttributes;
using testing::SknBytes;

// The preview skin's bitmaps: STRETCH, in a scalable skin.
void bitmap(SknBytes& b, uint32_t major, uint32_t minor, uint32_t index, uint32_t mask) {
  testing::bitmapItem(b, major, minor, index, mask, 0x104);
}

// A scalable skin with UID 0x2000ABCD and an item of every kind: QsnBgScreen
// (0x10005A26, 0x1000) is listed and on disk, the generated (0x2000ABCD,
// 0x1000) is listed but missing, and (0x10005A26, 0x1001) is not listed.
std::string previewSkin() {
  SknBytes b = testing::sknHeader(0x80);
  testing::skinInformation(b, testing::kTestTime, u"<b>&\"A\"</b>");
  b.chunk(kSknSkinName, [](SknBytes& c) { c.u16(1).text(u"Demo <i>\n\"x\""); });
  testing::bitmapFileName(b, 0, u"Demo.mbm");
  testing::bitmapFileName(b, 1, u"Demo.mif");
  testing::itemList(b, 0, 11, [](SknBytes& c) {
    bitmap(c, 0x10005A26, 0x1000, 0x4000, 0x4001);
    bitmap(c, 0x2000ABCD, 0x1000, 0x4002, 0xFFFFFFFF);
    bitmap(c, 0x10005A26, 0x1001, 0x4010, 0xFFFFFFFF);
    c.chunk(kSknColorTableItem, [](SknBytes& t) {
      t.id(0x10005A26, 0x112D).u8(2).u16(0xFFFF).u32(0x332211).u16(215).u32(0);
      imageAttributes(t, 0x100);
    });
    c.chunk(kSknImageTableItem, [](SknBytes& t) {
      t.id(0x10005A26, 0x1134).u8(9).id(0x10005A26, 0x1000);
      for (uint32_t part = 0x1136; part <= 0x113C; ++part) t.id(0x10005A26, part);
      t.id(0x2000ABCD, 0x1000);
      imageAttributes(t);
    });
    c.chunk(kSknImageTableItem, [](SknBytes& t) {
      t.id(0x101F84B6, 0x2000ABCD).u8(1).id(0x10005A26, 0x1000);
      imageAttributes(t);
    });
    c.chunk(kSknBmpAnimItem, [](SknBytes& t) {
      t.id(0x10005A26, 0x11E2).u16(100).u8(1).u8(1).u8(2);
      t.id(0x10005A26, 0x1000).u16(100).u16(2).u16(0);
      t.id(0x2000ABCD, 0x1000).u16(0xFFFF).u16(0).u16(0);
      imageAttributes(t);
    });
    c.chunk(kSknStringItem,
            [](SknBytes& t) { t.id(0x101FD651, 0x3800).text(u"</p><script>x</script>"); });
    c.chunk(kSknScalableItem, [](SknBytes& t) {
      t.id(0x101F86E3, 0x1999).id(0, 0).layer(1).layer(0x208).u32(0).u16(1);
      t.chunk(kSknEffect, [](SknBytes& e) {
        e.u32(0x10208F8A).layer(1).layer(1).layer(0x2).u16(2);
        e.param(kSknParamBitmap, u"Image", [](SknBytes& v) { v.u32(0x4000).u32(0x4001).u32(1); });
        e.param(kSknParamString, u"Label", [](SknBytes& v) { v.text(u"tile"); });
      });
    });
    c.chunk(kSknScalableItem, [](SknBytes& t) {
      t.id(0x101F86E3, 0x19EF).id(0x101F86E3, 0x1999).layer(0).layer(0).u32(0).u16(0);
    });
    testing::animationItem(c);
  });
  testing::sixWrappers(b);
  b.chunk(kSknLayoutOrLanguageRestriction, [](SknBytes& c) {
    c.u16(0).u16(31).u32(1);
    testing::itemList(c, 0, 2, [](SknBytes& l) {
      bitmap(l, 0x10005A26, 0x1000, 0x4002, 0xFFFFFFFF);
      l.chunk(kSknBmpAnimItem, [](SknBytes& t) {
        t.id(0x10005A26, 0x11E2).u16(0xFFFF).u8(0).u8(0).u8(1);
        t.id(0x10005A26, 0x1000).u16(0xFFFF).u16(0).u16(0);
        imageAttributes(t);
      });
    });
  });
  return testing::finishSkn(b, 12);
}

constexpr const char* kList = "/E\r\n/c16,1 images\\bg.bmp\r\n/c16 images\\gone.bmp\r\n";

struct Preview {
  int code = -1;
  std::string page;
  std::string err;
};

// Runs korvane-dump --html on the preview skin, the list in work/ beside
// work/images/bg.bmp, and returns the page written to `pageFile`.
Preview preview(const char* pageFile, bool withList = true) {
  MemoryPlatform memory;
  memory.fs.addFile("work/Demo.skn", previewSkin());
  memory.fs.addFile("work/Demo_MIFList.txt", kList);
  memory.fs.addFile("work/images/bg.bmp", "BM");
  memory.fs.directories = {"work", "work/out", "work/images", ".."};
  std::vector<const char*> args{"--html", pageFile};
  if (withList) {
    args.push_back("--list");
    args.push_back("work/Demo_MIFList.txt");
  }
  args.push_back("work/Demo.skn");
  memory.environment.directory = "/home/author";
  testing::DumpRun run = testing::runDumpOn(memory, args);
  Preview result;
  result.code = run.code;
  result.err = run.err;
  if (memory.fs.has(pageFile)) result.page = memory.fs.content(pageFile);
  return result;
}

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(SknHtml, EveryItemAppearsWithItsNameGroupedByRestriction) {
  Preview run = preview("work/out/page.html");
  ASSERT_EQ(run.code, kDumpValid) << run.err;
  const std::string& page = run.page;
  EXPECT_EQ(page.rfind("<!DOCTYPE html>\n", 0), 0u);
  EXPECT_EQ(count(page, "<article "), 13u);
  for (const char* item : {
           "data-kind=\"bitmap\" data-item=\"QsnBgScreen\" data-id=\"0x10005a26,0x1000\" "
           "data-restriction=\"\"",
           "data-kind=\"bitmap\" data-item=\"generated\" data-id=\"0x2000abcd,0x1000\"",
           "data-kind=\"colour-table\" data-item=\"QsnTextColors\"",
           "data-kind=\"frame\" data-item=\"QsnFrList\"",
           "data-kind=\"application-icon\" data-item=\"application UID 0x2000abcd\"",
           "data-kind=\"bitmap-animation\" data-item=\"QgnGrafBarWait\"",
           "data-kind=\"string\" data-item=\"PropertyAnimBgParam\"",
           "data-kind=\"scalable-item\" data-item=\"QsnBgAreaMainListGen\"",
           "data-kind=\"animation\" data-item=\"QsnAnimCpMainIdle\"",
           "data-kind=\"bitmap\" data-item=\"QsnBgScreen\" data-id=\"0x10005a26,0x1000\" "
           "data-restriction=\"LANG=31\"",
       }) {
    EXPECT_TRUE(contains(page, item)) << item;
  }
  EXPECT_TRUE(contains(page, "<h4 class=\"name\">QsnBgScreen</h4>"));
  EXPECT_TRUE(contains(page,
                       "<tr data-language=\"1\"><th>Language 1</th><td>&quot;Demo "
                       "&lt;60&gt;i&gt;&lt;10&gt;&lt;34&gt;x&lt;34&gt;&quot;</td></tr>"));
  // The title shows the first name as it reads, control characters escaped.
  EXPECT_TRUE(contains(page, "<h1>Demo &lt;i&gt;&lt;10&gt;&quot;x&quot;</h1>"));
  // Unrestricted first; wrappers without items are only named.
  size_t unrestricted = page.find("data-category=\"unrestricted\" data-restriction=\"\"");
  size_t language = page.find("data-category=\"language\" data-restriction=\"LANG=31\"");
  ASSERT_NE(unrestricted, std::string::npos);
  ASSERT_NE(language, std::string::npos);
  EXPECT_LT(unrestricted, language);
  EXPECT_TRUE(contains(page, "No items under Orv_2_6, Orv_2_7, Orv_2_8, Orv_3_0, LAY_W, LAY_AH."));
}

TEST(SknHtml, ImagesLinkFromThePageAndMissingOnesArePlaceholders) {
  Preview run = preview("work/out/page.html");
  ASSERT_EQ(run.code, kDumpValid) << run.err;
  const std::string& page = run.page;
  EXPECT_TRUE(
      contains(page, "<img class=\"image\" src=\"../images/bg.bmp\" alt=\"images\\bg.bmp\""));
  EXPECT_TRUE(contains(page,
                       "data-index=\"0x4002\" data-file=\"images\\gone.bmp\">missing "
                       "images\\gone.bmp</span>"));
  EXPECT_TRUE(contains(page,
                       "title=\"bitmap index 0x4010 is not in the list\" "
                       "data-index=\"0x4010\">0x4010 not listed</span>"));
  EXPECT_FALSE(contains(page, "src=\"../images/gone.bmp\""));

  // The page beside the list and the page outside the working directory.
  EXPECT_TRUE(contains(preview("work/page.html").page, "src=\"images/bg.bmp\""));
  EXPECT_TRUE(contains(preview("../page.html").page, "src=\"author/work/images/bg.bmp\""));

  // Without a list every image is a placeholder showing its index.
  Preview bare = preview("work/page.html", false);
  ASSERT_EQ(bare.code, kDumpValid) << bare.err;
  EXPECT_FALSE(contains(bare.page, "<img"));
  EXPECT_TRUE(contains(bare.page, "(no --list given)\" data-index=\"0x4000\">0x4000</span>"));
}

TEST(SknHtml, FramesLayTheirPartsOnAGridAndAnimationsKeepTheirFrames) {
  std::string page = preview("work/page.html").page;
  // The first frame part (top left) is the listed bitmap, the fifth (top) no bitmap of
  // the skin, the ninth (centre) the generated bitmap whose file is missing.
  EXPECT_TRUE(contains(page,
                       "<div class=\"cell\" style=\"grid-area:1/1\" data-part=\"1\">"
                       "<a href=\"#item-1\"><img class=\"image\" src=\"images/bg.bmp\""));
  EXPECT_TRUE(contains(page,
                       "<div class=\"cell\" style=\"grid-area:1/2\" data-part=\"5\">"
                       "<span class=\"image placeholder\" title=\"QsnFrListSideT is not an "
                       "item of this skin\""));
  EXPECT_TRUE(contains(page,
                       "<div class=\"cell\" style=\"grid-area:2/2\" data-part=\"9\"><a "
                       "href=\"#item-2\"><span class=\"image placeholder\""));
  EXPECT_TRUE(contains(page, "<li>top left: <a href=\"#item-1\">QsnBgScreen</a></li>"));
  EXPECT_TRUE(contains(page, "<li>centre: <a href=\"#item-2\">generated (0x2000abcd, 0x1000)</a>"));
  EXPECT_TRUE(contains(page, "<figcaption>1. time 100, at 2,0<br>"));
  EXPECT_TRUE(contains(page, "<figcaption>2. default time<br>"));
  EXPECT_TRUE(contains(page, "interval 100, mode cycle, flash"));
  // A reference reaches the item of its own restriction before the unrestricted one.
  EXPECT_TRUE(contains(page,
                       "<figure data-frame=\"1\"><a href=\"#item-12\"><span class=\"image "
                       "placeholder\" title=\"QsnBgScreen: images\\gone.bmp not found\""));
  EXPECT_TRUE(contains(page, "stands for <a href=\"#item-9\">QsnBgAreaMainListGen</a>"));
  EXPECT_TRUE(contains(page, "effect 0x10208f8a: none + none -&gt; 0/RGB"));
  EXPECT_TRUE(contains(page,
                       "<td>BMP</td><td>&quot;Image&quot;</td><td><span class=\"row small\">"
                       "<img class=\"image\" src=\"images/bg.bmp\""));
  for (const char* block : {"Preprocess (1)", "Commands (0)", "Values (1)", "Timing models (0)",
                            "Size-bound parameters (1)", "VALUEID=7 FLAGS=W_AND_H"}) {
    EXPECT_TRUE(contains(page, block)) << block;
  }
}

TEST(SknHtml, SwatchesShowTheirColoursAndTextsAreEscaped) {
  std::string page = preview("work/page.html").page;
  EXPECT_TRUE(contains(page,
                       "<span class=\"swatch\" style=\"background:#112233\" "
                       "data-rgb=\"#112233\"></span>RGB=0x112233"));
  EXPECT_TRUE(contains(page, "data-palette-index=\"215\""));
  EXPECT_TRUE(
      contains(page, "&quot;&lt;60&gt;b&gt;&amp;&lt;34&gt;A&lt;34&gt;&lt;60&gt;/b&gt;&quot;"));
  // Self-contained: no scripts, no markup from the skin's texts, nothing
  // fetched but the relative image files.
  for (const char* outside :
       {"<script", "<b>", "<i>", "http", "<link", "url(", "@import", "src=\"/", "src=\"file:"}) {
    EXPECT_FALSE(contains(page, outside)) << outside;
  }
}

TEST(SknHtml, ImagePathsAreRelatedThroughTheListAndThePage) {
  struct Case {
    const char* list;
    const char* file;
    const char* page;
    const char* cwd;
    const char* fromWorkingDirectory;
    const char* fromPage;
  };
  const Case cases[] = {
      {"Skin_MIFList.txt", "images\\bg.bmp", "Skin.html", "", "images/bg.bmp", "images/bg.bmp"},
      {"Skin_MIFList.txt", ".\\bg.bmp", "Skin.html", "", "bg.bmp", "bg.bmp"},
      {"build\\Skin_MIFList.txt", "images\\bg.bmp", "out/p.html", "", "build/images/bg.bmp",
       "../build/images/bg.bmp"},
      {"a/b/list.txt", "..\\x.bmp", "a/b/c/p.html", "", "a/x.bmp", "../../x.bmp"},
      {"list.txt", "bg.bmp", "../p.html", "", "bg.bmp", ""},
      {"list.txt", "bg.bmp", "../p.html", "/home/me", "bg.bmp", "me/bg.bmp"},
      {"list.txt", "bg.bmp", "/tmp/p.html", "/home/me", "bg.bmp", "../home/me/bg.bmp"},
      {"/skins/list.txt", "img\\bg.bmp", "/skins/out/p.html", "", "/skins/img/bg.bmp",
       "../img/bg.bmp"},
  };
  for (const Case& c : cases) {
    RelatedPath related = relatePath(c.list, c.file, c.page, c.cwd);
    EXPECT_EQ(related.fromWorkingDirectory, c.fromWorkingDirectory) << c.list << " " << c.file;
    EXPECT_EQ(related.fromPage, c.fromPage) << c.list << " " << c.file << " " << c.page;
  }
  EXPECT_EQ(relativeUrl("../a b/c#d%e?.bmp"), "../a%20b/c%23d%25e%3F.bmp");
  EXPECT_EQ(relativeUrl("caf\xe9.bmp"), "caf%E9.bmp");
}

}  // namespace
}  // namespace korvane
