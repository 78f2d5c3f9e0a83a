// The generation list of a compile read back, so that the bitmap and mask
// indices of an SKN file can be traced to their image files: the n-th image
// line of the list (counting from 0) is bitmap index 0x4000 + 2n, its mask
// the odd index after it.
#ifndef KORVANE_INSPECT_GENERATION_LIST_H
#define KORVANE_INSPECT_GENERATION_LIST_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct ListedImage {
  uint32_t index = 0;     // the bitmap index; index + 1 is its mask
  std::string depth;      // the colour depth as the description writes it: "c16", "8"
  std::string maskDepth;  // "1" (MASK), "8" (SOFTMASK), other depths as listed; empty: none
  bool svgAnim = false;   // "/A": an animated SVG
  std::string file;       // path and file name as listed, backslashes kept ("images\bg.bmp")

  // The file as UTF-8 for people: the list holds the low byte of each
  // character of the description, so its bytes read as Latin-1.
  std::string fileText() const;
};

struct GenerationList {
  bool scalable = false;  // a MIF list ("/E"); else an MBM list
  std::string mbmName;    // the first line of an MBM list ("Skin.mbm")
  std::vector<ListedImage> images;

  // The image of a bitmap index, or of the mask index after it; null when
  // the list has no such image.
  const ListedImage* find(uint32_t index) const;
};

// Reads a list written by the compiler (CR LF or LF line ends). False, with
// `error` saying which line is not a list line, for anything else.
bool parseGenerationList(std::string_view text, GenerationList& list, std::string& error);

}  // namespace korvane

#endif
