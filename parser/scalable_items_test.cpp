#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "parser/parser_test_support.h"

namespace korvane {
namespace {

using testing::ParseFailure;
using testing::ParserTest;

constexpr ItemId kOne{0x101, 1};
constexpr ItemId kTwo{0x101, 2};
constexpr ItemId kThree{0x101, 3};

class ScalableItemsTest : public ParserTest {
 protected:
  void SetUp() override {
    ParserTest::SetUp();
    addItemId("KTavsIIDKrvOne", kOne.major, kOne.minor);
    addItemId("KTavsIIDKrvTwo", kTwo.major, kTwo.minor);
    addItemId("KTavsIIDKrvThree", kThree.major, kThree.minor);
  }

  ParseFailure items(const std::string& text) {
    return parseElements(text, &DescParser::parseScalableItem);
  }
};

TEST_F(ScalableItemsTest, EffectFormKeepsEffectsAndEveryParameterType) {
  addImage("pic.bmp");
  addImage("icon.svg");
  ASSERT_EQ(items("SCALABLEITEM IID=KrvOne INPUT=none OUTPUT=2/RGBA\n"
                  "EFFECT UID=0x10 INPUTA=0x1/a INPUTB=none OUTPUT=3/RGB\n"
                  "  INT Count 0x10\n"
                  "  STR Label \"A<66>c\"\n"
                  "  NAMEDREF Link VALUEID=7\n"
                  "  RAW Table [1 0x10 -1]\n"
                  "  BMP Image c16 pic.bmp MASK=pic_mask.bmp\n"
                  "  bmp Icon 8 icon.svg SOFTMASK\n"
                  "END\n"
                  "effect uid=5 inputa=none inputb=none output=none\n"
                  "end\n"
                  "END\n")
                .code,
            -1);
  ASSERT_EQ(content->scalableItems().size(), 1u);
  const ScalableItem& item = content->scalableItems()[0];
  EXPECT_EQ(item.id, kOne);
  EXPECT_EQ(item.refId, (ItemId{0, 0}));
  EXPECT_EQ(item.input, 1u);
  EXPECT_EQ(item.output, 0x208u);
  EXPECT_EQ(item.restriction, 0u);
  ASSERT_EQ(item.effects.size(), 2u);

  const EffectCommand& first = item.effects[0];
  EXPECT_EQ(first.uid, 16u);
  EXPECT_EQ(first.inputA, 0x104u);
  EXPECT_EQ(first.inputB, 1u);
  EXPECT_EQ(first.output, 0x302u);
  ASSERT_EQ(first.params.size(), 6u);
  const EffectParam& count = first.params[0];
  EXPECT_EQ(count.name, u"Count");
  EXPECT_EQ(count.type, kParamInt);
  EXPECT_EQ(count.intValue, 16);
  EXPECT_EQ(first.params[1].type, kParamStr);
  EXPECT_EQ(first.params[1].data, u"ABc");
  EXPECT_EQ(first.params[2].type, kParamNamedRef);
  EXPECT_EQ(first.params[2].intValue, 7);
  const EffectParam& table = first.params[3];
  EXPECT_EQ(table.type, kParamRaw);
  EXPECT_EQ(table.rawCount, 3u);
  EXPECT_EQ(table.data, (std::u16string{1, 0x10, 0xFFFF}));
  const EffectParam& image = first.params[4];
  EXPECT_EQ(image.name, u"Image");
  EXPECT_EQ(image.type, kParamBmp);
  EXPECT_EQ(image.bitmapDepth, 8u);
  EXPECT_EQ(image.bitmapIndex, 0x4000u);
  EXPECT_EQ(image.maskIndex, 0x4001);
  const EffectParam& icon = first.params[5];
  EXPECT_EQ(icon.bitmapDepth, 4u);
  EXPECT_EQ(icon.bitmapIndex, 0x4002u);
  EXPECT_EQ(icon.maskIndex, 0x4003);
  EXPECT_TRUE(item.effects[1].params.empty());

  // BMP parameters register sources and their masks but define no bitmap item.
  ASSERT_EQ(content->bitmapSources().size(), 2u);
  EXPECT_EQ(content->bitmapSources()[0].maskKind, kMaskHard);
  EXPECT_EQ(content->bitmapSources()[0].maskFileName, u"pic_mask.bmp");
  EXPECT_EQ(content->bitmapSources()[1].maskKind, kMaskSoft);
  EXPECT_TRUE(content->bitmaps().empty());
  EXPECT_EQ(out(), "");
}

TEST_F(ScalableItemsTest, RestrictionComesFromThePrefixOrTheCurrentRestriction) {
  ASSERT_EQ(items("SCALABLEITEM IID=LAY_W%KrvOne INPUT=none OUTPUT=none\nEND\n"
                  "SCALABLEITEM IID=KrvOne INPUT=none OUTPUT=none\nEND\n")
                .code,
            -1);
  content->currentRestriction = 0x300;
  ASSERT_EQ(items("SCALABLEITEM IID=KrvOne INPUT=none OUTPUT=none\nEND\n").code, -1);
  ASSERT_EQ(content->scalableItems().size(), 3u);
  EXPECT_EQ(content->scalableItems()[0].restriction, 0x10000u);
  EXPECT_EQ(content->scalableItems()[1].restriction, 0u);
  EXPECT_EQ(content->scalableItems()[2].restriction, 0x300u);

  ParseFailure duplicate = items("\nSCALABLEITEM IID=KrvOne REFIID=KrvTwo\n");
  EXPECT_EQ(duplicate.code, kErrorContent);
  EXPECT_EQ(duplicate.message, "Item already defined");
  EXPECT_EQ(duplicate.line, 3);
}

TEST_F(ScalableItemsTest, ReferenceFormDropsTheReferencePrefixAndNotesDanglingTargets) {
  ASSERT_EQ(items("SCALABLEITEM IID=KrvOne REFIID=Orv_3_0%KrvTwo\n"
                  "SCALABLEITEM IID=KrvTwo INPUT=1/RGB OUTPUT=none\nEND\n"
                  "SCALABLEITEM IID=Orv_2_8%KrvThree refiid=KrvTwo\n")
                .code,
            -1);
  EXPECT_EQ(out(),
            "INFO: IID reference (REFIID=Orv_3_0%KrvTwo) currently points to non-existent "
            "element (line 2)\n");
  ASSERT_EQ(content->scalableItems().size(), 3u);
  const ScalableItem& dangling = content->scalableItems()[0];
  EXPECT_EQ(dangling.id, kOne);
  EXPECT_EQ(dangling.refId, kTwo);
  EXPECT_EQ(dangling.restriction, 0u);
  EXPECT_EQ(dangling.input, 0u);
  EXPECT_EQ(dangling.output, 0u);
  EXPECT_TRUE(dangling.effects.empty());
  EXPECT_EQ(content->scalableItems()[2].refId, kTwo);
  EXPECT_EQ(content->scalableItems()[2].restriction, 0x208u);

  // Nothing follows the reference form: a further token is the next element.
  resetContent();
  ParseFailure failure = items("SCALABLEITEM IID=KrvOne REFIID=KrvTwo END\n");
  EXPECT_EQ(failure.message, "IID parameter expected for SCALABLEITEM");

  resetContent();
  content->currentRestriction = 0x301;
  failure = items("SCALABLEITEM IID=KrvOne REFIID=LAY_AH%KrvTwo\n");
  EXPECT_EQ(failure.message,
            "No item-based restriction can be used where RESTRICTION element already applies");
  EXPECT_TRUE(content->scalableItems().empty());
}

TEST_F(ScalableItemsTest, MalformedItemsAndEffectsAreRefusedWithTheirLine) {
  addImage("pic.bmp");
  addImage("icon.svg");
  const std::string header = "SCALABLEITEM IID=KrvOne INPUT=none OUTPUT=none\n";
  const std::string effect = "EFFECT UID=1 INPUTA=none INPUTB=none OUTPUT=none\n";
  // The reader counts a line feed when it reads it, so a fault in the last
  // token of a line is reported with the next line's number.
  struct Case {
    std::string text;
    std::string message;
    int line;
  };
  const Case cases[] = {
      {"SCALABLEITEM\nIID=KrvOne INPUT=none OUTPUT=none\n",
       "IID parameter expected for SCALABLEITEM", 2},
      {"SCALABLEITEM IID=KrvNone REFIID=KrvTwo\n", "No match found for item ID \"KrvNone\"", 1},
      {"SCALABLEITEM IID=KrvOne REFIID=Orv_3_0%KrvNone\n",
       "No match found for item ID \"Orv_3_0%KrvNone\"", 2},
      {"SCALABLEITEM IID=KrvOne REFIID=LANG=5%KrvTwo\n",
       "Unknown release restriction prefix in IID", 2},
      {"SCALABLEITEM IID=KrvOne OUTPUT=none INPUT=none\n",
       "INPUT parameter expected for SCALABLEITEM", 1},
      {"SCALABLEITEM IID=KrvOne INPUT=none\nOUTPUT=none\n",
       "OUTPUT parameter expected for SCALABLEITEM", 2},
      {"SCALABLEITEM IID=KrvOne INPUT=2-RGB OUTPUT=none\n", "Slash expected in layer parameter", 1},
      {header + "BITMAP\n", "Expected \"EFFECT or END\", but \"BITMAP\" found instead", 3},
      {header + effect + "END\n", "No END token for SCALABLEITEM", 4},
      {header + effect, "No END token for EFFECT", 3},
      {header + "EFFECT INPUTA=none\n", "UID parameter expected for EFFECT", 3},
      {header + "EFFECT UID=1 INPUTB=none INPUTA=none OUTPUT=none\n",
       "INPUTA parameter expected for EFFECT", 2},
      {header + "EFFECT UID=1 INPUTA=none OUTPUT=none\n", "INPUTB parameter expected for EFFECT",
       3},
      {header + "EFFECT UID=1 INPUTA=none INPUTB=none\nOUTPUT=none\n",
       "OUTPUT parameter expected for EFFECT", 3},
      {header + effect + "FLOAT f 1.0\n",
       "Expected \"STR, INT, BMP, RAW or NAMEDREF\", but \"FLOAT\" found instead", 3},
      {header + effect + "INT a 1 2\n",
       "Expected \"STR, INT, BMP, RAW or NAMEDREF\", but \"2\" found instead", 4},
      {header + effect + "INT a\n", "Number token is empty", 4},
      {header + effect + "NAMEDREF a ID=4\n", "VALUEID parameter expected for NAMEDREF", 4},
      {header + effect + "STR a\n\"text\"\n", "No opening quotation mark for string found", 4},
      {header + effect + "BMP a c16\n", "Image file name missing", 4},
      {header + effect + "BMP a c16 pic.bmp STRETCH\n",
       "Expected \"MASK or SOFTMASK\", but \"STRETCH\" found instead", 4},
      {header + effect + "BMP a c16 pic.bmp MASK=m.bmp SOFTMASK=n.bmp\n",
       "Expected \"STR, INT, BMP, RAW or NAMEDREF\", but \"SOFTMASK=n.bmp\" found instead", 4},
      {header + effect + "BMP a c16 pic.bmp MASK\n", "Non-SVG icon can not have an unnamed mask",
       4},
      {header + effect + "BMP a c16 icon.svg MASK=m.bmp\n", "SVG icon can not have a named mask",
       4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    resetContent();
    ParseFailure failure = items(c.text);
    EXPECT_EQ(failure.code, kErrorParse);
    EXPECT_EQ(failure.message, c.message);
    EXPECT_EQ(failure.line, c.line);
    EXPECT_TRUE(content->scalableItems().empty());
  }
}

TEST_F(ScalableItemsTest, BmpParametersShareSourcesAndSurviveMissingFiles) {
  addImage("here.bmp");
  addImage("anim.svg");
  ASSERT_EQ(items("SCALABLEITEM IID=KrvOne INPUT=none OUTPUT=none\n"
                  "EFFECT UID=1 INPUTA=none INPUTB=none OUTPUT=none\n"
                  "BMP Gone c8 gone.bmp MASK=gone_mask.bmp\n"
                  "BMP Here c8 here.bmp\n"
                  "BMP Again C8 HERE.BMP MASK=m1.bmp\n"
                  "BMP Twice c8 here.bmp SOFTMASK=m2.bmp\n"
                  "BMP Deeper c16 here.bmp\n"
                  "BMP Anim 8 anim.svg MASK\n"
                  "END\nEND\n")
                .code,
            -1);
  EXPECT_EQ(out(),
            "NOTE: item gone.bmp not add beacuse file not exist!!\n"
            "NOTE: Mask already defined, second definition ignored (line 7)\n");
  const std::vector<EffectParam>& params = content->scalableItems()[0].effects[0].params;
  ASSERT_EQ(params.size(), 6u);
  EXPECT_EQ(params[0].bitmapIndex, 0xFFFFFFFFu);
  EXPECT_EQ(params[0].maskIndex, -1);
  EXPECT_EQ(params[1].bitmapIndex, 0x4000u);
  EXPECT_EQ(params[1].maskIndex, -1);
  EXPECT_EQ(params[2].bitmapIndex, 0x4000u);
  EXPECT_EQ(params[2].maskIndex, 0x4001);
  EXPECT_EQ(params[3].maskIndex, 0x4001);
  EXPECT_EQ(params[4].bitmapIndex, 0x4002u);
  EXPECT_EQ(params[5].bitmapIndex, 0x4004u);
  EXPECT_EQ(params[5].maskIndex, 0x4005);
  ASSERT_EQ(content->bitmapSources().size(), 3u);
  EXPECT_EQ(content->bitmapSources()[0].maskKind, kMaskHard);
  EXPECT_EQ(content->bitmapSources()[0].maskFileName, u"m1.bmp");
  EXPECT_EQ(content->bitmapSources()[2].maskKind, kMaskHard);
  EXPECT_EQ(content->bitmapSources()[2].svgAnim, 0);
}

// The SKN file counts parameters and effects in 16 bits.
TEST_F(ScalableItemsTest, CountsBeyondSixteenBitsAreRefused) {
  std::string params;
  for (int i = 0; i < 0xFFFF; ++i) params += "INT p 1\n";
  const std::string text =
      "SCALABLEITEM IID=KrvOne INPUT=none OUTPUT=none\n"
      "EFFECT UID=1 INPUTA=none INPUTB=none OUTPUT=none\n" +
      params;
  ASSERT_EQ(items(text + "END\nEND\n").code, -1);
  EXPECT_EQ(content->scalableItems()[0].effects[0].params.size(), 0xFFFFu);

  resetContent();
  ParseFailure failure = items(text + "INT last 1\nEND\nEND\n");
  EXPECT_EQ(failure.code, kErrorContent);
  EXPECT_EQ(failure.message, "EFFECT has more than 65535 parameters");
  EXPECT_EQ(failure.line, 0xFFFF + 3);

  std::string effects = "SCALABLEITEM IID=KrvOne INPUT=none OUTPUT=none\n";
  for (int i = 0; i <= 0xFFFF; ++i)
    effects += "EFFECT UID=1 INPUTA=none INPUTB=none OUTPUT=none END\n";
  resetContent();
  failure = items(effects + "END\n");
  EXPECT_EQ(failure.code, kErrorContent);
  EXPECT_EQ(failure.message, "SCALABLEITEM has more than 65535 effects");
  EXPECT_EQ(failure.line, 0xFFFF + 2);
}

TEST_F(ScalableItemsTest, WholeDescriptionsHandOverAfterEachItem) {
  addImage("qsn_bg_screen.bmp");
  parse(
      "SKINTYPE scalable\nNAME 1 \"Skin\"\n"
      "BITMAP 8 qsn_bg_screen.bmp\n"
      "SCALABLEITEM IID=KrvOne REFIID=QsnBgScreen\n"
      "SCALABLEITEM IID=KrvTwo INPUT=none OUTPUT=none\nEND\n"
      "ANIMATION IID=KrvThree INPUT=none OUTPUT=none MININTERVAL=1\nEND\n"
      "RESTRICTION LAY_AH\n"
      "SCALABLEITEM IID=KrvOne REFIID=KrvThree\n");
  EXPECT_EQ(out(), "NOTE: Current restriction set to Layout/Mirrored\n");
  ASSERT_EQ(content->scalableItems().size(), 3u);
  EXPECT_EQ(content->scalableItems()[0].refId, (ItemId{0x10005A26, 0x1000}));
  EXPECT_EQ(content->scalableItems()[2].restriction, 0x20000u);
  EXPECT_EQ(content->animations().size(), 1u);

  for (const char* element : {"SCALABLEITEM", "ANIMATION"}) {
    resetContent();
    ParseFailure failure =
        parseFailure(std::string("SKINTYPE normal\nNAME 1 \"Skin\"\n") + element + " IID=KrvOne\n");
    EXPECT_EQ(failure.code, kErrorContent);
    EXPECT_EQ(failure.message, std::string(element) + " can only be included in scalable skins");
  }
}

}  // namespace
}  // namespace korvane
