#include "inspect/item_names.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(ItemNames, FirstRowOfAPairNamesItWithoutThePrefix) {
  ItemIdRegistry registry;
  registry.loadBuiltins();
  size_t builtins = registry.rows().size();
  registry.append(ItemIdEntry{u"KTavsIIDMyFirst", 0x20001234, 7});
  registry.append(ItemIdEntry{u"KTavsIIDMySecond", 0x20001234, 7});
  registry.append(ItemIdEntry{u"OtherScheme", 0x20001234, 8});
  registry.append(ItemIdEntry{u"KTavsIIDShadow", 0x10005a26, 0x1000});
  ItemNames names(registry);

  EXPECT_EQ(names.name(0x10005a26, 0x1000), "QsnBgScreen");
  EXPECT_EQ(names.name(0x20001234, 7), "MyFirst");
  EXPECT_EQ(names.name(0x20001234, 8), "OtherScheme");
  EXPECT_EQ(names.find(0x20001234, 7), &registry.rows()[builtins]);
  EXPECT_EQ(names.name(0x20001234, 9), "");
  EXPECT_EQ(names.find(0x20001234, 9), nullptr);
}

TEST(ItemNames, GeneratedPairsFollowTheSkinsUid) {
  // No UID (or a generated package identifier): the fixed major.
  EXPECT_TRUE(isGeneratedItemId(0xFFFFFFFC, 0x1000, 0x0A1B2C3D, 0x12345678));
  EXPECT_TRUE(isGeneratedItemId(0xFFFFFFFC, 0x1234, 0, 0));
  EXPECT_FALSE(isGeneratedItemId(0xFFFFFFFC, 0x0FFF, 0x0A1B2C3D, 0x12345678));
  // A declared UID is the major.
  EXPECT_TRUE(isGeneratedItemId(0x2000ABCD, 0x1000, 0, 0x2000ABCD));
  EXPECT_FALSE(isGeneratedItemId(0xFFFFFFFC, 0x1000, 0, 0x2000ABCD));
  EXPECT_FALSE(isGeneratedItemId(0x10005a26, 0x1000, 0x0A1B2C3D, 0x12345678));
}

}  // namespace
}  // namespace korvane
