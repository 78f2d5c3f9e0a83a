#include "base/suggest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvane {
namespace {

TEST(SuggestTest, NearestNameWithinAThirdOfTheLength) {
  std::vector<std::string> elements = {"COLORTABLE", "FRAME", "BITMAP", "BITMAPPATH", "BMPANIM"};
  EXPECT_EQ(suggestName("COLOURTABLE", elements), "COLORTABLE");
  EXPECT_EQ(suggestName("BITMAPS", elements), "BITMAP");
  EXPECT_EQ(suggestName("FRAMEX", elements), "FRAME");
  // Too far from everything: nothing rather than a poor guess.
  EXPECT_EQ(suggestName("PICTURE", elements), "");
  EXPECT_EQ(suggestName("", elements), "");
  // Short names allow one edit at most.
  EXPECT_EQ(suggestName("--dmr", {"--drm", "--help"}), "--drm");
  EXPECT_EQ(suggestName("c61", {"c4", "c8", "c12", "c16", "c24"}), "c16");
  EXPECT_EQ(suggestName("x", {"ab"}), "");
}

TEST(SuggestTest, CaseOnlyDifferenceWinsOverCloserSpellings) {
  EXPECT_EQ(suggestName("Loop", {"loo", "LOOP"}), "LOOP");
  // The same text needs no suggestion.
  EXPECT_EQ(suggestName("play", {"play"}), "");
  // Ties go to the earlier candidate.
  EXPECT_EQ(suggestName("TILEZ", {"TILEX", "TILEY"}), "TILEX");
}

TEST(SuggestTest, WideCandidatesAndTheBound) {
  SuggestionSearch search(u"QsnBgScren");
  EXPECT_EQ(search.limit(), 3u);
  EXPECT_FALSE(search.consider(u"QsnFrPopup"));
  EXPECT_TRUE(search.consider(u"QsnBgScreens"));
  EXPECT_TRUE(search.consider(u"qsnbgscreen"));
  EXPECT_FALSE(search.consider(u"QsnBgScreenX"));
  ASSERT_TRUE(search.found());
  EXPECT_EQ(search.best(), u"qsnbgscreen");
  EXPECT_EQ(search.distance(), 1u);
}

TEST(SuggestTest, ManyCandidatesStayCorrect) {
  // A long list of near misses of various lengths, the answer at the end.
  std::vector<std::string> names;
  for (int i = 0; i < 7000; ++i) names.push_back("QsnItem" + std::to_string(i) + "Xyz");
  names.push_back("QsnBgAreaStatus");
  EXPECT_EQ(suggestName("QsnBgAreStatus", names), "QsnBgAreaStatus");
}

}  // namespace
}  // namespace korvane
