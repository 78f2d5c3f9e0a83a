// Test support: SKN files built by hand, byte by byte, so the reader and the
// dump are tested against the file layout rather than against the writer.
#ifndef KORVANE_INSPECT_SKN_READER_TEST_SUPPORT_H
#define KORVANE_INSPECT_SKN_READER_TEST_SUPPORT_H

#include <cstdint>
#include <string>
#include <string_view>

#include "inspect/skn_reader.h"

namespace korvane::testing {

class SknBytes {
 public:
  std::string data;

  SknBytes& u8(uint32_t v) {
    data.push_back(static_cast<char>(v & 0xFF));
    return *this;
  }
  SknBytes& u16(uint32_t v) { return u8(v).u8(v >> 8); }
  SknBytes& u32(uint32_t v) { return u16(v).u16(v >> 16); }
  SknBytes& id(uint32_t major, uint32_t minor) { return u32(major).u32(minor); }
  SknBytes& layer(uint32_t v) { return u8(v >> 8).u8(v); }
  SknBytes& text(std::u16string_view t) {
    u16(static_cast<uint32_t>(t.size()));
    for (char16_t c : t) u16(c);
    return *this;
  }

  void set(size_t pos, uint32_t v, size_t width) {
    for (size_t i = 0; i < width; ++i) data[pos + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  }

  // A chunk frame around what `body` writes, with its own version unless given.
  template <class Body>
  SknBytes& chunk(uint16_t type, Body body, uint16_t version = 0) {
    size_t start = data.size();
    u32(0).u16(type).u16(version ? version : sknChunkVersion(type));
    body(*this);
    u8(0xF5);
    set(start, static_cast<uint32_t>(data.size() - start), 4);
    return *this;
  }
  // A parameter record: size, 0, file type code, counted name, what `value` writes.
  template <class Value>
  SknBytes& param(uint8_t code, std::u16string_view name, Value value) {
    size_t start = data.size();
    u16(0).u8(0).u8(code).text(name);
    value(*this);
    set(start, static_cast<uint32_t>(data.size() - start), 2);
    return *this;
  }
};

inline void imageAttributes(SknBytes& b, uint32_t flags = 0) {
  b.chunk(kSknImageAttributes, [&](SknBytes& c) {
    c.u8(flags).u8(0).u16(0).u16(0).u16(0).u16(0).u16(flags >> 8).u32(0);
  });
}

inline void itemList(SknBytes& b, uint8_t listClass, uint32_t count,
                     void (*items)(SknBytes&) = nullptr) {
  b.chunk(kSknItemList, [&](SknBytes& c) {
    c.u8(listClass).u32(count);
    if (items) items(c);
  });
}

// The six release and layout wrappers every skin carries, each with an empty list.
inline void sixWrappers(SknBytes& b) {
  b.chunk(kSknRelease26Restriction, [](SknBytes& c) {
    c.u8(2).u8(6).u32(1);
    itemList(c, 0, 0);
  });
  for (uint32_t release : {0x207u, 0x208u, 0x300u}) {
    b.chunk(kSknReleaseRestriction, [&](SknBytes& c) {
      c.u8(release >> 8).u8(release & 0xFF).u32(0).u32(0).u32(1);
      itemList(c, 0, 0);
    });
  }
  for (uint32_t layout : {1u, 2u}) {
    b.chunk(kSknLayoutOrLanguageRestriction, [&](SknBytes& c) {
      c.u16(layout).u16(0).u32(1);
      itemList(c, 0, 0);
    });
  }
}

inline void skinInformation(SknBytes& b, uint64_t time, std::u16string_view author = u"") {
  b.chunk(kSknSkinInformation, [&](SknBytes& c) {
    c.u32(static_cast<uint32_t>(time >> 32)).u32(static_cast<uint32_t>(time));
    c.u32(0x0002008D).u32(0).text(author).text(u"").u8(0).u8(0).text(u"");
  });
}

inline void bitmapFileName(SknBytes& b, uint32_t number, std::u16string_view name) {
  b.chunk(kSknBitmapFileName, [&](SknBytes& c) { c.u32(number).text(name); });
}

// The SKN header up to the top-level count; the file is finished by finishSkn.
inline SknBytes sknHeader(uint16_t skinType) {
  SknBytes b;
  b.u32(0).u16(0).u16(1).u32(0x2000ABCD).u32(0).u32(0).u16(skinType).u32(0).u32(0);
  b.u8(0).u8(skinType == 0x80 ? 0 : 1).u16(0).u32(0).u32(0);
  return b;
}

inline std::string finishSkn(SknBytes& b, uint32_t count) {
  constexpr size_t kCountOffset = 38;
  b.set(kCountOffset, count, 4);
  b.u8(0xF5);
  b.set(0, static_cast<uint32_t>(b.data.size()), 4);
  return b.data;
}

constexpr uint64_t kTestTime = 0x01D9C4B2E0A1F000;

// A normal skin named "Skin" with nothing in it: header, information, MBM file
// name, an empty item list with `items` in it, an empty application icon list
// and the six wrappers, 10 top-level chunks. Offsets: information 0x2a, MBM
// file name 0x4b, item list 0x6a (its first item at 0x77 when empty before),
// application icon list after it.
inline std::string minimalNormalSkin(uint64_t time = kTestTime, uint32_t itemCount = 0,
                                     void (*items)(SknBytes&) = nullptr) {
  SknBytes b = sknHeader(0);
  skinInformation(b, time);
  bitmapFileName(b, 0, u"Skin.mbm");
  itemList(b, 0, itemCount, items);
  itemList(b, 1, 0);
  sixWrappers(b);
  return finishSkn(b, 10);
}

// A bitmap item of the MIF file with its image attributes.
inline void bitmapItem(SknBytes& b, uint32_t major, uint32_t minor, uint32_t index, uint32_t mask,
                       uint32_t flags = 0) {
  b.chunk(kSknBitmapItem, [&](SknBytes& c) {
    c.id(major, minor).u32(1).u32(index).u32(mask);
    imageAttributes(c, flags);
  });
}

inline void bitmapItem(SknBytes& b) {
  bitmapItem(b, 0x10005A26, 0x1000, 0x4000, 0x4001, 0x113);
}

inline void effectWithEveryParam(SknBytes& b) {
  b.chunk(kSknEffect, [](SknBytes& c) {
    c.u32(0x101F8A4E).layer(1).layer(1).layer(0x208).u16(5);
    c.param(kSknParamInt, u"Color", [](SknBytes& v) { v.u32(0xFFFFFFFC); });
    c.param(kSknParamString, u"Path", [](SknBytes& v) { v.text(u"a\"b"); });
    c.param(kSknParamString, u"Data", [](SknBytes& v) { v.text(u"\x01\x02"); });
    c.param(kSknParamBitmap, u"Img", [](SknBytes& v) { v.u32(0x4004).u32(0xFFFFFFFF).u32(1); });
    c.param(kSknParamNamedRef, u"Ref", [](SknBytes& v) { v.u32(5); });
  });
}

inline void animationItem(SknBytes& b) {
  b.chunk(kSknAnimationItem, [](SknBytes& c) {
    c.id(0x10005A26, 0x10D9).u8(1).u8(0).u16(0).u32(0).layer(1).layer(0x104).u32(20);
    c.u16(1);
    c.chunk(kSknEffect, [](SknBytes& e) { e.u32(1).layer(1).layer(1).layer(0x2).u16(0); });
    c.u16(0);
    c.u16(1);
    c.chunk(kSknAnimationParamGroup, [](SknBytes& g) {
      g.u32(7).u32(8).u16(1);
      g.param(kSknParamInt, u"v", [](SknBytes& v) { v.u32(3); });
    });
    c.u16(0);
    c.u16(1);
    c.chunk(kSknAnimationParamGroup, [](SknBytes& g) {
      g.u32(7).u32(3).u16(1);
      g.param(kSknParamInt, u"w", [](SknBytes& v) { v.u32(0); });
    });
  });
}

// Every item chunk in the unrestricted list, every skin-level chunk, and a
// language wrapper for language 31 holding one string item.
inline std::string everyItemSkin() {
  SknBytes b = sknHeader(0x80);
  skinInformation(b, kTestTime, u"Author");
  b.chunk(kSknTargetDevice, [](SknBytes& c) { c.text(u"Dev"); });
  b.chunk(kSknSkinName, [](SknBytes& c) { c.u16(31).text(u"Nimi"); });
  b.chunk(kSknLanguageOverride, [](SknBytes& c) { c.u8(1).u32(5).u32(6); });
  b.chunk(kSknWallpaperReference, [](SknBytes& c) { c.u8(2).text(u"Rich.mbm").u32(0x4000); });
  bitmapFileName(b, 0, u"Rich.mbm");
  bitmapFileName(b, 1, u"Rich.mif");
  itemList(b, 0, 8, [](SknBytes& c) {
    bitmapItem(c);
    c.chunk(kSknColorTableItem, [](SknBytes& t) {
      t.id(0x10005A26, 0x112D).u8(2).u16(215).u32(0).u16(0xFFFF).u32(0x332211);
      imageAttributes(t, 0x100);
    });
    c.chunk(kSknImageTableItem, [](SknBytes& t) {
      t.id(0x10005A26, 0x10DF).u8(2).id(0x10005A26, 0x10E0).id(0x10005A26, 0x10E1);
      imageAttributes(t);
    });
    c.chunk(kSknBmpAnimItem, [](SknBytes& t) {
      t.id(0x10005A26, 0x10BE).u16(0xFFFF).u8(2).u8(1).u8(1);
      t.id(0x10005A26, 0x1000).u16(5).u16(0xFFFF).u16(2);
      imageAttributes(t);
    });
    c.chunk(kSknStringItem, [](SknBytes& t) { t.id(0x10005A26, 0x11AD).text(u"hello"); });
    c.chunk(kSknScalableItem, [](SknBytes& t) {
      t.id(0x10005A26, 0x1001).id(0, 0).layer(1).layer(0x208).u32(0).u16(1);
      effectWithEveryParam(t);
    });
    c.chunk(kSknScalableItem, [](SknBytes& t) {
      t.id(0x10005A26, 0x10DA).id(0x10005A26, 0x1001).layer(0).layer(0).u32(0).u16(0);
    });
    animationItem(c);
  });
  sixWrappers(b);
  b.chunk(kSknLayoutOrLanguageRestriction, [](SknBytes& c) {
    c.u16(0).u16(31).u32(1);
    itemList(c, 0, 1, [](SknBytes& l) {
      l.chunk(kSknStringItem, [](SknBytes& t) { t.id(0x10005A26, 0x11C0).text(u"lang"); });
    });
  });
  return finishSkn(b, 15);
}

}  // namespace korvane::testing

#endif
