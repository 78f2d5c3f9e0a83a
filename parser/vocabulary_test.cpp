// The vocabulary against what the parser and the value parsers accept: a word
// in the tables that the parser refuses (or the other way round) would send
// editors and "did you mean" to a wrong word.
#include "parser/vocabulary.h"

#include <set>
#include <string>

#include "parser/parser_test_support.h"

namespace korvane::testing {
namespace {

const std::string kScalable = "SKINTYPE scalable\nNAME 1 \"Skin\"\n";

using VocabularyTest = ParserTest;

TEST_F(VocabularyTest, EveryTopLevelKeywordIsAnElementOfTheLoop) {
  std::set<std::u16string> seen;
  for (const ElementWords& element : elementVocabulary()) {
    EXPECT_TRUE(
        seen.insert(foldedCopy(element.keyword) + u"/" + std::u16string(element.parents)).second)
        << narrowCopy(element.keyword) << " listed twice";
    if (element.placement != Placement::kTopLevel) continue;
    resetContent();
    ParseFailure failure = parseFailure(kScalable + narrowCopy(element.keyword) + "\n");
    EXPECT_NE(failure.message, "Unknown token encountered or syntax error")
        << narrowCopy(element.keyword);
  }
  resetContent();
  EXPECT_EQ(parseFailure(kScalable + "BITMAPS\n").message,
            "Unknown token encountered or syntax error");
}

TEST_F(VocabularyTest, InnerKeywordsAreFoundByTheirBlock) {
  ASSERT_NE(findElementWords(u"effect", Placement::kInside, u"SCALABLEITEM"), nullptr);
  EXPECT_NE(findElementWords(u"INT", Placement::kInside, u"timingmodel"), nullptr);
  EXPECT_EQ(findElementWords(u"INT", Placement::kInside, u"ANIMATION"), nullptr);
  EXPECT_EQ(findElementWords(u"EFFECT", Placement::kTopLevel), nullptr);
  EXPECT_NE(findElementWords(u"skintype", Placement::kOpening), nullptr);
  const ElementWords* bmpAnim = findElementWords(u"BMPANIM", Placement::kTopLevel);
  ASSERT_NE(bmpAnim, nullptr);
  EXPECT_TRUE(bmpAnim->block);
  EXPECT_EQ(bmpAnim->lineKeys[3].values.size(), 4u);
}

TEST_F(VocabularyTest, EnumeratedValuesMatchTheValueParsers) {
  for (const NamedCode& depth : kColorDepths) {
    EXPECT_EQ(parseColorDepth(depth.name), depth.code) << narrowCopy(depth.name);
  }
  EXPECT_EQ(parseLayer(kLayerNone), kLayerNoneCode);
  for (const NamedCode& channel : kLayerChannels) {
    std::u16string layer = u"3";
    layer += kLayerSeparator;
    layer += channel.name;
    EXPECT_EQ(parseLayer(layer), (3u << 8) | channel.code) << narrowCopy(channel.name);
  }
  for (const NamedCode& specifier : kRestrictionSpecifiers) {
    ASSERT_NE(restrictionDescription(specifier.code), nullptr);
    resetContent();
    parse(kScalable + "RESTRICTION " + narrowCopy(specifier.name) + "\n");
    EXPECT_EQ(content->currentRestriction, specifier.code);
    EXPECT_EQ(out(), std::string("NOTE: Current restriction set to ") +
                         restrictionDescription(specifier.code) + "\n");
    platform.console.stdoutText.clear();
  }
  EXPECT_EQ(findNamedCode(kAnimModes, u"BOUNCE")->code, 2u);
  EXPECT_EQ(findNamedCode(kAlignments, u"cc")->code, 0x24u);
  EXPECT_EQ(findNamedCode(kSkinTypes, u"scalabl"), nullptr);
}

TEST_F(VocabularyTest, ImageAttributesAreAcceptedOnABitmapLine) {
  addImage("a.bmp");
  std::string line = "BITMAP IID=QsnBgScreen c16 a.bmp";
  for (const ParamKey& key : imageAttributeKeys()) {
    std::string token = narrowCopy(key.key);
    if (token == "MASK" || token == "SOFTMASK") continue;  // SVG only
    if (key.value == ValueKind::kNumberPair) token += "1,2";
    if (key.value == ValueKind::kFileName) token += "a.bmp";
    if (key.value == ValueKind::kEnumeration) token += narrowCopy(key.values[0].name);
    if (token.rfind("SOFTMASK=", 0) == 0) continue;  // one mask per image
    line += " " + token;
  }
  parse(kScalable + line + "\n");
  EXPECT_EQ(content->bitmaps().size(), 1u);
}

}  // namespace
}  // namespace korvane::testing
