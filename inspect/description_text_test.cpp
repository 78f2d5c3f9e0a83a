#include "inspect/description_text.h"

#include <gtest/gtest.h>

#include <string>

namespace korvane {
namespace {

TEST(DescriptionText, StringsEscapeWhatTheReaderWouldReadOtherwise) {
  EXPECT_EQ(quotedText(u"a\"b<c>d"), u"\"a<34>b<60>c>d\"");
  // Line ends would end the string, 0xFFFF the input; the rest keeps the
  // description 8-bit.
  EXPECT_EQ(quotedText(u"\t\r\n\u00e9\u0141\uffff"), u"\"<9><13><10><233><321><65535>\"");
  // No escape gives the character 0: it stands as it is.
  EXPECT_EQ(quotedText(std::u16string(u"a\0b", 3)), std::u16string(u"\"a\0b\"", 5));
  EXPECT_EQ(rawData(std::u16string(u"\0\uffff", 2)), u"[0 65535]");
}

TEST(DescriptionText, EightBitUnlessAUnitNeedsSixteen) {
  EXPECT_EQ(encodeDescription(u"A\u00ff\n"), "A\xff\n");
  EXPECT_EQ(encodeDescription(u"A\u0141"), std::string("\xff\xfe"
                                                       "A\0\x41\x01",
                                                       6));
  EXPECT_FALSE(isTokenText(u"a b"));
  EXPECT_FALSE(isTokenText(std::u16string(u"a\0", 2)));
  EXPECT_FALSE(isTokenText(u"\uffff"));
  EXPECT_TRUE(isTokenText(u"a\u0120b"));
}

TEST(DescriptionText, LayersAndRestrictionsAsTheDescriptionWritesThem) {
  EXPECT_EQ(layerText(0x0001), u"none");
  EXPECT_EQ(layerText(0x0208), u"2/RGBA");
  EXPECT_EQ(layerText(0xFF04), u"255/A");
  EXPECT_EQ(restrictionText(0x301), u"Orv_3_1");
  EXPECT_EQ(restrictionText(0x20000), u"LAY_AH");
  EXPECT_EQ(restrictionText(0x3FFFF), u"LANG=65535");
}

}  // namespace
}  // namespace korvane
