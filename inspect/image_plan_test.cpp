#include "inspect/image_plan.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "inspect/description_text.h"

namespace korvane {
namespace {

using Naming = ImageNeeds::Naming;

class ImagePlanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.loadBuiltins();
    registry_.append(ItemIdEntry{u"KTavsIIDbitmap4000", 0x20000000, 1});
    names_ = std::make_unique<ItemNames>(registry_);
  }

  GenerationList list(std::vector<std::string> lines) const {
    std::string text = "/E\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    GenerationList parsed;
    std::string error;
    EXPECT_TRUE(parseGenerationList(text, parsed, error)) << error;
    return parsed;
  }

  ItemIdRegistry registry_;
  std::unique_ptr<ItemNames> names_;
};

ImageNeeds need(Naming naming = Naming::kFree, uint32_t group = 0, ItemId item = {},
                bool masked = false) {
  ImageNeeds n;
  n.naming = naming;
  n.group = group;
  n.item = item;
  n.masked = masked;
  return n;
}

TEST_F(ImagePlanTest, ListedTextsSplitIntoPathAndFileSoThatTheyStayApartAndNameTheirItems) {
  const ItemId screen{0x10005A26, 0x1000};
  GenerationList listed = list({
      "/c16 .\\a.bmp",                     // the default path
      "/c16 .\\a.bmp",                     // the automatic path: another file
      "/c16,1 images\\qsn_bg_screen.bmp",  // an inline image named by its file
      "/c8 images\\qsn_bg_screen.bmp",     // an inline image that generated its identifier
      "/c16 a b.bmp",                      // a blank the compile read as another unit
  });
  ImagePlan plan(*names_);
  std::string error;
  ASSERT_TRUE(plan.plan({need(), need(Naming::kFree, 1), need(Naming::kItem, 2, screen, true),
                         need(Naming::kNothing, 3), need(Naming::kFree, 4)},
                        &listed, error))
      << error;
  const std::vector<ImageFile>& images = plan.images();
  EXPECT_EQ(images[0].path, u".\\");
  EXPECT_EQ(images[0].file, u"a.bmp");
  EXPECT_EQ(images[1].path, u"");
  EXPECT_EQ(images[1].file, u".\\a.bmp");
  EXPECT_EQ(images[2].path, u"images\\");
  EXPECT_EQ(images[2].file, u"qsn_bg_screen.bmp");
  EXPECT_EQ(images[2].maskToken, u"MASK=qsn_bg_screen_mask.bmp");
  EXPECT_EQ(images[3].path, u"");
  EXPECT_EQ(images[3].file, u"images\\qsn_bg_screen.bmp");
  EXPECT_EQ(images[4].file, u"a\u0120b.bmp");
  EXPECT_TRUE(isTokenText(images[4].file));
}

TEST_F(ImagePlanTest, AlikeListedTextsOfOneElementDifferInAUnitThatNarrowsAlike) {
  // Two files one element names share a path, so a split cannot tell them
  // apart (the compile saw, say, "\u0141.bmp" and "A.bmp").
  GenerationList listed = list({"/c16 A.bmp", "/c16 A.bmp"});
  ImagePlan plan(*names_);
  std::string error;
  ASSERT_TRUE(plan.plan({need(), need()}, &listed, error)) << error;
  EXPECT_EQ(plan.images()[0].file, u"A.bmp");
  EXPECT_EQ(plan.images()[1].file, u"A.bm\u0170");
  EXPECT_EQ(narrowCopy(plan.images()[1].file), "A.bmp");
}

TEST_F(ImagePlanTest, ListsThatDoNotFitTheSknFileAreRefused) {
  ImagePlan plan(*names_);
  std::string error;
  GenerationList one = list({"/c16 a.bmp"});
  EXPECT_FALSE(plan.plan({need(), need()}, &one, error));
  EXPECT_EQ(error, "the generation list names 1 image files, but the SKN file uses 2");
  EXPECT_FALSE(plan.plan({need(Naming::kFree, 0, {}, true)}, &one, error));
  EXPECT_EQ(error,
            "the generation list gives no mask for the image 0x4000, but the SKN file uses one");
  // A file that must name the registry item it names no split of.
  EXPECT_FALSE(plan.plan({need(Naming::kItem, 0, ItemId{0x10005A26, 0x1000})}, &one, error));
}

TEST_F(ImagePlanTest, PlaceholdersAreNamedByIndexOrByTheItemTheirNameMustGive) {
  ImagePlan plan(*names_);
  std::string error;
  ASSERT_TRUE(plan.plan({need(Naming::kNothing), need(Naming::kFree, 0, {}, true),
                         need(Naming::kItem, 0, ItemId{0x10005A26, 0x1000})},
                        nullptr, error))
      << error;
  const std::vector<ImageFile>& images = plan.images();
  // bitmap_4000.bmp would name the extension row KTavsIIDbitmap4000.
  EXPECT_EQ(images[0].file, u"bitmap_4000_1.bmp");
  EXPECT_EQ(images[1].file, u"bitmap_4002.bmp");
  EXPECT_EQ(images[1].maskToken, u"MASK=bitmap_4002_mask.bmp");
  EXPECT_EQ(images[2].file, u"QsnBgScreen.4004.bmp");
  for (const ImageFile& image : images) {
    EXPECT_EQ(image.path, u".\\");
    EXPECT_EQ(image.depth, u"c16");
  }
  std::u16string missing = plan.missingFile();
  EXPECT_EQ(missing, u"missing_1.bmp");
  EXPECT_EQ(registry_.findByFileName(missing), nullptr);
}

}  // namespace
}  // namespace korvane
