#include "inspect/generation_list.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(GenerationList, MifLinesGiveEachIndexItsFileDepthAndMask) {
  GenerationList list;
  std::string error;
  ASSERT_TRUE(
      parseGenerationList("/E\r\n"
                          "/c16,1 images\\bg.bmp\r\n"
                          "/c24 /A anim.svg\r\n"
                          "/8,8 dir with blanks\\a b.bmp\r\n"
                          "/c12 images\\last.bmp\n",
                          list, error))
      << error;
  EXPECT_TRUE(list.scalable);
  ASSERT_EQ(list.images.size(), 4u);

  const ListedImage* bg = list.find(0x4000);
  ASSERT_NE(bg, nullptr);
  EXPECT_EQ(bg->file, "images\\bg.bmp");
  EXPECT_EQ(bg->depth, "c16");
  EXPECT_EQ(bg->maskDepth, "1");
  EXPECT_EQ(list.find(0x4001), bg);

  const ListedImage* anim = list.find(0x4002);
  ASSERT_NE(anim, nullptr);
  EXPECT_TRUE(anim->svgAnim);
  EXPECT_EQ(anim->file, "anim.svg");
  EXPECT_EQ(anim->maskDepth, "");
  EXPECT_EQ(list.find(0x4004)->file, "dir with blanks\\a b.bmp");
  EXPECT_EQ(list.find(0x4006)->file, "images\\last.bmp");

  EXPECT_EQ(list.find(0x4008), nullptr);
  EXPECT_EQ(list.find(0x3FFF), nullptr);
  EXPECT_EQ(list.find(0xFFFFFFFF), nullptr);
}

TEST(GenerationList, MbmListsAndWrongLines) {
  GenerationList list;
  std::string error;
  ASSERT_TRUE(parseGenerationList("Skin.mbm\r\n", list, error)) << error;
  EXPECT_FALSE(list.scalable);
  EXPECT_EQ(list.mbmName, "Skin.mbm");
  ASSERT_TRUE(parseGenerationList("S.mbm\r\n/c16a.bmp\r\n/1a_mask.bmp\r\n", list, error));
  ASSERT_EQ(list.images.size(), 2u);
  EXPECT_EQ(list.images[0].depth, "c16");
  EXPECT_EQ(list.images[0].file, "a.bmp");
  EXPECT_EQ(list.images[1].depth, "1");

  for (const char* text :
       {"", "hello\r\n", "/E\r\n/c16\r\n", "/E\r\n/c15 a.bmp\r\n", "/E\r\n/c16,c8 a.bmp\r\n",
        "/E\r\nc16 a.bmp\r\n", "/E\r\n\r\n/c8 a\r\n"}) {
    EXPECT_FALSE(parseGenerationList(text, list, error)) << text;
  }
  EXPECT_FALSE(parseGenerationList("/E\r\n/c8 a.bmp\r\n/c99 b.bmp\r\n", list, error));
  EXPECT_EQ(error, "line 3 is not a generation list line");
}

}  // namespace
}  // namespace korvane
