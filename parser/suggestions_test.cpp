// "Did you mean" for the everyday mistakes of skin authors, from the
// system's message and the token it is about.
#include "parser/suggestions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "source/item_id_registry.h"

namespace korvane {
namespace {

class SuggestionsTest : public ::testing::Test {
 protected:
  void SetUp() override { registry.loadBuiltins(); }

  std::string suggest(std::string_view message, std::string_view token) {
    std::vector<std::string> all = suggestReplacements(message, widenCopy(token), sources);
    EXPECT_LE(all.size(), 1u);
    return all.empty() ? std::string() : all[0];
  }

  ItemIdRegistry registry;
  SuggestionSources sources{
      &registry, [] {
        return std::vector<std::string>{"background.bmp", "Button.svg", "list_tl.bmp"};
      }};
};

TEST_F(SuggestionsTest, ItemNamesFromTheRegistryKeepTheirKeyAndRestriction) {
  const std::string noMatch = "No match found for item ID \"QsnBgScren\"";
  EXPECT_EQ(suggest(noMatch, "QsnBgScren"), "QsnBgScreen");
  EXPECT_EQ(suggest(noMatch, "IID=QsnBgScren"), "IID=QsnBgScreen");
  EXPECT_EQ(suggest(noMatch, "IID=Orv_3_0%qsnbgscreen"), "IID=Orv_3_0%QsnBgScreen");
  EXPECT_EQ(suggest(noMatch, "REFIID=LAY_W%QsnBgAreMain"), "REFIID=LAY_W%QsnBgAreaMain");
  EXPECT_EQ(suggest(noMatch, "CompletelyDifferent"), "");
  // A file name that names no item is no misspelt item name.
  EXPECT_EQ(suggest(noMatch, "qsn_bg_scren.bmp"), "");
  // Rows of an extension list are names too.
  registry.append(ItemIdEntry{u"KTavsIIDMyNewItem", 0x10, 0x20});
  EXPECT_EQ(suggest(noMatch, "MyNewItm"), "MyNewItem");
}

TEST_F(SuggestionsTest, KeywordsKeysAndEnumeratedValues) {
  const struct {
    const char* message;
    const char* token;
    const char* expected;
  } cases[] = {
      {"Unknown token encountered or syntax error", "COLOURTABLE", "COLORTABLE"},
      {"Unknown token encountered or syntax error", "bitmaps", "BITMAP"},
      {"Unknown token encountered or syntax error", "#", ""},
      {"Expected \"<BMPANIM parameter>\", but \"INTREVAL=100\" found instead", "INTREVAL=100",
       "INTERVAL=100"},
      {"Expected \"<BMPANIM parameter>\", but \"MODE=cycel\" found instead", "MODE=cycel",
       "MODE=cycle"},
      // Too far from every mode: nothing rather than a poor guess.
      {"Expected \"<BMPANIM parameter>\", but \"MODE=loop\" found instead", "MODE=loop", ""},
      {"Unknown color depth parameter", "c15", "c16"},
      {"Unknown color depth parameter", "C24", "c24"},
      {"Unknown specifier for RESTRICTION element", "Orv_4_0", "Orv_3_0"},
      {"Unknown specifier for RESTRICTION element", "LAY_AHH", "LAY_AH"},
      {"Unknown release restriction prefix in IID", "IID=Orv_31%QsnBgScreen",
       "IID=Orv_3_1%QsnBgScreen"},
      {"Unknown attribute parameter", "STRECH", "STRETCH"},
      {"Unknown attribute parameter", "ALING=CC", "ALIGN=CC"},
      {"Unknown parameter for image attribute ALIGN", "ALIGN=BRR", "ALIGN=BR"},
      {"Unknown token inside COLORTABLE", "RBG=0xFF", "RGB=0xFF"},
      {"Expected \"STR, INT, BMP, RAW or NAMEDREF\", but \"INTT\" found instead", "INTT", "INT"},
      {"Expected \"COMMAND, VALUE, TIMINGMODEL, SIZEBOUNDPARAM, or END\", but \"ENDD\" found "
       "instead",
       "ENDD", "END"},
      {"Expected \"MASK or SOFTMASK\", but \"MSK=m.bmp\" found instead", "MSK=m.bmp", "MASK=m.bmp"},
      {"Expected \"SKINTYPE\", but \"SKINTYP\" found instead", "SKINTYP", "SKINTYPE"},
      {"Unknown or missing parameter for SKINTYPE", "scaleable", "scalable"},
      {"Unknown or missing parameter for PROTECT", "disablecopying", "disablecopy"},
      {"FLAGS=W|H|W_AND_H parameter expected for SIZEBOUNDPARAM", "FLAGS=W_H", "FLAGS=W"},
      {"Unidentified layer specifier", "0/RBG", "0/RGB"},
      {"UID parameter expected for EFFECT", "UDI=0x1", "UID=0x1"},
      {"INPUTA parameter expected for EFFECT", "INPUT=0/RGB", "INPUTA=0/RGB"},
      {"Item already defined", "IID=QsnBgScreen", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(suggest(c.message, c.token), c.expected) << c.token;
}

TEST_F(SuggestionsTest, MissingImagesFromTheBitmapDirectory) {
  const std::string note = "item backgrund.bmp not add beacuse file not exist!!";
  EXPECT_EQ(suggest(note, "backgrund.bmp"), "background.bmp");
  // A case-only difference matters on the build host.
  EXPECT_EQ(suggest("item button.svg not add beacuse file not exist!!", "button.svg"),
            "Button.svg");
  EXPECT_EQ(suggest("Image file gfx\\list_tll.bmp not found", "sub/list_tll.bmp"),
            "sub/list_tl.bmp");
  EXPECT_EQ(suggest(note, "unrelated.png"), "");
  // A range elsewhere (the element's keyword) gets no file name.
  EXPECT_EQ(suggest("Image file gfx\\list_tll.bmp not found", "BITMAP"), "");
  sources.imageFiles = nullptr;
  EXPECT_EQ(suggest(note, "backgrund.bmp"), "");
}

}  // namespace
}  // namespace korvane
