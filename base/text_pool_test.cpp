#include "base/text_pool.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvane {
namespace {

// Views handed out stay valid and unchanged while more texts (short ones
// filling blocks, long ones taking blocks of their own) are kept.
TEST(TextPoolTest, ViewsStayValidAsTheBlocksFill) {
  TextPool pool;
  EXPECT_TRUE(pool.keep(u"").empty());
  std::vector<std::u16string> texts;
  std::vector<std::u16string_view> kept;
  for (size_t i = 0; i < 5000; ++i) {
    size_t length = i % 97 == 0 ? TextPool::kBlock + i % 3 : 1 + i % 23;
    texts.push_back(std::u16string(length, static_cast<char16_t>(u'a' + i % 26)));
    kept.push_back(pool.keep(texts.back()));
  }
  for (size_t i = 0; i < texts.size(); ++i) {
    ASSERT_EQ(kept[i], texts[i]) << i;
    ASSERT_NE(kept[i].data(), texts[i].data());
  }
}

// A moved pool keeps its texts where they were; the pool moved from starts afresh.
TEST(TextPoolTest, AMovedPoolKeepsItsTexts) {
  TextPool pool;
  std::u16string_view kept = pool.keep(u"first");
  TextPool moved(std::move(pool));
  std::u16string_view other = pool.keep(u"other");
  std::u16string_view second = moved.keep(u"second");
  EXPECT_EQ(other, u"other");
  EXPECT_EQ(second, u"second");
  EXPECT_EQ(kept, u"first");
}

}  // namespace
}  // namespace korvane
