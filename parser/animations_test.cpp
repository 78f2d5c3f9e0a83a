#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "parser/parser_test_support.h"

namespace korvane {
namespace {

using testing::ParseFailure;
using testing::ParserTest;

constexpr ItemId kSpin{0x202, 1};
constexpr ItemId kFade{0x202, 2};

class AnimationsTest : public ParserTest {
 protected:
  void SetUp() override {
    ParserTest::SetUp();
    addItemId("KTavsIIDKrvSpin", kSpin.major, kSpin.minor);
    addItemId("KTavsIIDKrvFade", kFade.major, kFade.minor);
  }

  ParseFailure animations(const std::string& text) {
    return parseElements(text, &DescParser::parseAnimation);
  }
};

TEST_F(AnimationsTest, BlocksFillTheirOwnListsInSourceOrder) {
  addImage("star.bmp");
  ASSERT_EQ(animations("ANIMATION IID=LAY_AH%KrvSpin INPUT=1/RGB OUTPUT=2/A MININTERVAL=0x20 "
                       "MORPHING\n"
                       "PREPROCESS\n"
                       "  EFFECT UID=7 INPUTA=none INPUTB=none OUTPUT=1/RGB\n"
                       "    BMP Star c24 star.bmp\n"
                       "  END\n"
                       "  EFFECT UID=8 INPUTA=1/RGB INPUTB=none OUTPUT=1/RGBA\n  END\n"
                       "END\n"
                       "VALUE UID=1 TIMINGID=2\n  NAMEDREF Angle VALUEID=3\nEND\n"
                       "COMMAND UID=0x30 INPUTA=1/RGBA INPUTB=none OUTPUT=2/A\n"
                       "  INT Angle 90\n"
                       "END\n"
                       "SIZEBOUNDPARAM Width VALUEID=4 FLAGS=W\n"
                       "TIMINGMODEL UID=9\n  RAW Curve [0 50 100]\nEND\n"
                       "SizeBoundParam Height VALUEID=5 flags=h\n"
                       "VALUE UID=6 TIMINGID=9\nEND\n"
                       "COMMAND UID=0x31 INPUTA=2/A INPUTB=1/RGBA OUTPUT=3/RGBA\nEND\n"
                       "SIZEBOUNDPARAM Both VALUEID=6 FLAGS=w_and_h\n"
                       "TIMINGMODEL UID=10\nEND\n"
                       "END\n")
                .code,
            -1);
  ASSERT_EQ(content->animations().size(), 1u);
  const AnimationItem& item = content->animations()[0];
  EXPECT_EQ(item.id, kSpin);
  EXPECT_EQ(item.restriction, 0x20000u);
  EXPECT_EQ(item.input, 0x102u);
  EXPECT_EQ(item.output, 0x204u);
  EXPECT_EQ(item.minInterval, 32u);
  EXPECT_EQ(item.morphing, 1);

  ASSERT_EQ(item.preprocess.size(), 2u);
  EXPECT_EQ(item.preprocess[0].uid, 7u);
  ASSERT_EQ(item.preprocess[0].params.size(), 1u);
  EXPECT_EQ(item.preprocess[0].params[0].bitmapIndex, 0x4000u);
  EXPECT_EQ(item.preprocess[1].output, 0x108u);

  ASSERT_EQ(item.commands.size(), 2u);
  EXPECT_EQ(item.commands[0].uid, 0x30u);
  EXPECT_EQ(item.commands[0].params.size(), 1u);
  EXPECT_EQ(item.commands[1].uid, 0x31u);
  EXPECT_EQ(item.commands[1].inputB, 0x108u);

  ASSERT_EQ(item.values.size(), 2u);
  EXPECT_EQ(item.values[0].id, 1u);
  EXPECT_EQ(item.values[0].second, 2u);
  ASSERT_EQ(item.values[0].params.size(), 1u);
  EXPECT_EQ(item.values[0].params[0].type, kParamNamedRef);
  EXPECT_EQ(item.values[0].params[0].intValue, 3);
  EXPECT_EQ(item.values[1].id, 6u);
  EXPECT_EQ(item.values[1].second, 9u);
  EXPECT_TRUE(item.values[1].params.empty());

  ASSERT_EQ(item.timingModels.size(), 2u);
  EXPECT_EQ(item.timingModels[0].id, 9u);
  EXPECT_EQ(item.timingModels[0].second, 0u);
  EXPECT_EQ(item.timingModels[0].params[0].rawCount, 3u);
  EXPECT_EQ(item.timingModels[1].id, 10u);

  ASSERT_EQ(item.sizeBoundParams.size(), 3u);
  const uint32_t flags[] = {1, 2, 3};
  const uint32_t valueIds[] = {4, 5, 6};
  const std::u16string names[] = {u"Width", u"Height", u"Both"};
  for (size_t i = 0; i < 3; ++i) {
    const ParamGroup& group = item.sizeBoundParams[i];
    EXPECT_EQ(group.id, valueIds[i]);
    EXPECT_EQ(group.second, flags[i]);
    ASSERT_EQ(group.params.size(), 1u);
    EXPECT_EQ(group.params[0].name, names[i]);
    EXPECT_EQ(group.params[0].type, kParamInt);
    EXPECT_EQ(group.params[0].intValue, 0);
  }
}

TEST_F(AnimationsTest, MorphingAndPreprocessAreOptional) {
  ASSERT_EQ(animations("ANIMATION IID=KrvSpin INPUT=none OUTPUT=none MININTERVAL=5\nEND\n"
                       "animation iid=KrvFade input=none output=none mininterval=-1\n"
                       "  morphing\n  preprocess\n  end\nend\n")
                .code,
            -1);
  ASSERT_EQ(content->animations().size(), 2u);
  const AnimationItem& plain = content->animations()[0];
  EXPECT_EQ(plain.morphing, 0);
  EXPECT_EQ(plain.minInterval, 5u);
  EXPECT_TRUE(plain.preprocess.empty() && plain.commands.empty() && plain.values.empty() &&
              plain.timingModels.empty() && plain.sizeBoundParams.empty());
  EXPECT_EQ(content->animations()[1].morphing, 1);
  EXPECT_EQ(content->animations()[1].minInterval, 0xFFFFFFFFu);

  resetContent();
  content->currentRestriction = 0x500;
  ParseFailure failure = animations(
      "ANIMATION IID=KrvSpin INPUT=none OUTPUT=none MININTERVAL=5\nEND\n"
      "ANIMATION IID=KrvSpin INPUT=none OUTPUT=none MININTERVAL=5\nEND\n");
  EXPECT_EQ(failure.code, kErrorContent);
  EXPECT_EQ(failure.message, "Item already defined");
  EXPECT_EQ(failure.line, 5);
}

TEST_F(AnimationsTest, MalformedAnimationsAreRefusedWithTheirLine) {
  const std::string header = "ANIMATION IID=KrvSpin INPUT=none OUTPUT=none MININTERVAL=10\n";
  const std::string mainLoop =
      "Expected \"COMMAND, VALUE, TIMINGMODEL, SIZEBOUNDPARAM, or END\", but \"";
  // A fault in the last token of a line is reported with the next line's number.
  struct Case {
    std::string text;
    std::string message;
    int line;
  };
  const Case cases[] = {
      {"ANIMATION INPUT=none IID=KrvSpin\n", "IID parameter expected for ANIMATION", 1},
      {"ANIMATION IID=KrvSpin OUTPUT=none INPUT=none\n", "INPUT parameter expected for ANIMATION",
       1},
      {"ANIMATION IID=KrvSpin INPUT=none MININTERVAL=10\n",
       "OUTPUT parameter expected for ANIMATION", 2},
      {"ANIMATION IID=KrvSpin INPUT=none OUTPUT=none\nMININTERVAL=10\n",
       "MININTERVAL parameter expected for ANIMATION", 2},
      {header + "PREPROCESS\nEND\nMORPHING\nEND\n", mainLoop + "MORPHING\" found instead", 5},
      {header + "PREPROCESS\nEND\nPREPROCESS\nEND\nEND\n", mainLoop + "PREPROCESS\" found instead",
       5},
      {header + "PREPROCESS\nCOMMAND\n",
       "Expected \"EFFECT or END\", but \"COMMAND\" found instead", 4},
      {header + "PREPROCESS\nEFFECT UID=1 INPUTA=none INPUTB=none OUTPUT=none\nEND\n",
       "No END token for ANIMATION/PREPROCESS", 5},
      {header, mainLoop + "\" found instead", 2},
      {header + "BITMAP\n", mainLoop + "BITMAP\" found instead", 3},
      {header + "COMMAND UID=1 INPUTA=none OUTPUT=none\n", "INPUTB parameter expected for EFFECT",
       3},
      {header + "COMMAND UID=1 INPUTA=none INPUTB=none OUTPUT=none\nINT a 1\n",
       "No END token for EFFECT", 4},
      {header + "VALUE UID=1 TIMINGID=2\nINT a 1\n", "No END token for ANIMATION", 4},
      {header + "TIMINGMODEL UID=1\nSTR a \"x\"\n", "No END token for ANIMATION", 4},
      {header + "SIZEBOUNDPARAM w VALUEID=1 FLAGS=W\n", "No END token for ANIMATION", 3},
      {header + "VALUE TIMINGID=2 UID=1\nEND\nEND\n", "UID parameter expected for VALUE", 2},
      {header + "VALUE UID=1\nTIMINGID=2\nEND\nEND\n", "TIMINGID parameter expected for VALUE", 3},
      {header + "VALUE UID=1 TIMINGID=2\nVALUE\nEND\nEND\n",
       "Expected \"STR, INT, BMP, RAW or NAMEDREF\", but \"VALUE\" found instead", 4},
      {header + "TIMINGMODEL\nUID=1\nEND\nEND\n", "UID parameter expected for TIMINGMODEL", 3},
      {header + "SIZEBOUNDPARAM VALUEID=1 FLAGS=W\nEND\n",
       "VALUEID parameter expected for SIZEBOUNDPARAM", 3},
      {header + "SIZEBOUNDPARAM w VALUEID=1 FLAGS=WH\nEND\n",
       "FLAGS=W|H|W_AND_H parameter expected for SIZEBOUNDPARAM", 3},
      {header + "SIZEBOUNDPARAM w VALUEID=1\nFLAGS=W\nEND\n",
       "FLAGS=W|H|W_AND_H parameter expected for SIZEBOUNDPARAM", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    resetContent();
    ParseFailure failure = animations(c.text);
    EXPECT_EQ(failure.code, kErrorParse);
    EXPECT_EQ(failure.message, c.message);
    EXPECT_EQ(failure.line, c.line);
    EXPECT_TRUE(content->animations().empty());
  }
}

// The SKN file counts the entries of each animation list in 16 bits.
TEST_F(AnimationsTest, ListsBeyondSixteenBitsAreRefused) {
  std::string text = "ANIMATION IID=KrvSpin INPUT=none OUTPUT=none MININTERVAL=10\n";
  for (int i = 0; i < 0xFFFF; ++i) text += "SIZEBOUNDPARAM w VALUEID=1 FLAGS=W\n";
  ASSERT_EQ(animations(text + "END\n").code, -1);
  EXPECT_EQ(content->animations()[0].sizeBoundParams.size(), 0xFFFFu);

  resetContent();
  ParseFailure failure = animations(text + "SIZEBOUNDPARAM h VALUEID=1 FLAGS=H\nEND\n");
  EXPECT_EQ(failure.code, kErrorContent);
  EXPECT_EQ(failure.message, "ANIMATION has more than 65535 size-bound parameters");
  EXPECT_EQ(failure.line, 0xFFFF + 2);
}

}  // namespace
}  // namespace korvane
