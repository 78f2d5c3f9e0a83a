// Generates large, valid scalable skin descriptions for the whole-compile
// benchmark and the end-to-end script: n items of every kind under several
// restrictions and item prefixes, named from an extension list that the
// generator writes too, with the image files they name.
#ifndef KORVANE_TOOLS_BENCH_DESCRIPTION_GENERATOR_H
#define KORVANE_TOOLS_BENCH_DESCRIPTION_GENERATOR_H

#include <cstddef>
#include <string>
#include <vector>

namespace korvane {

// The file names a generated skin expects beside each other.
constexpr const char* kBenchDescriptionFile = "BenchSkin.txt";
constexpr const char* kBenchExtensionListFile = "BenchIds.txt";
constexpr const char* kBenchSkinName = "BenchSkin";
// The description's BITMAPPATH: image files live in this directory.
constexpr const char* kBenchImageDirectory = "images";
// Item names carry six digits.
constexpr size_t kMaxBenchItems = 1000000;

struct GeneratedSkin {
  std::string description;    // 8-bit text with CR LF line ends
  std::string extensionList;  // one IID row per line
  // Every image file the description names, relative to kBenchImageDirectory,
  // each once. Their content is never read, so they may be empty.
  std::vector<std::string> imageFiles;
};

// A description of `itemCount` items (at most kMaxBenchItems). Items are
// counted as the description's item elements; inline bitmaps inside frames,
// animations and application icons add bitmap items beyond that count.
GeneratedSkin generateBenchSkin(size_t itemCount);

}  // namespace korvane

#endif
