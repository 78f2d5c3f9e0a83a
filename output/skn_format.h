// The chunk types of the SKN file, shared by the writer and the reader.
#ifndef KORVANE_OUTPUT_SKN_FORMAT_H
#define KORVANE_OUTPUT_SKN_FORMAT_H

#include <cstdint>

namespace korvane {

// Chunk types of the SKN file.
enum SknChunkType : uint16_t {
  kSknSkinFile = 0,
  kSknSkinName = 1,
  kSknBitmapFileName = 2,
  kSknItemList = 3,
  kSknBitmapItem = 4,
  kSknColorTableItem = 5,
  kSknImageTableItem = 6,
  kSknImageAttributes = 7,
  kSknBmpAnimItem = 8,
  kSknLanguageOverride = 9,
  kSknWallpaperReference = 10,
  kSknSkinInformation = 11,
  kSknStringItem = 12,
  kSknRelease26Restriction = 13,
  kSknTargetDevice = 14,
  kSknLayoutOrLanguageRestriction = 15,
  kSknScalableItem = 16,
  kSknEffect = 17,
  kSknReleaseRestriction = 18,
  kSknAnimationItem = 19,
  kSknAnimationParamGroup = 20,
};
constexpr uint16_t kSknLastChunkType = 20;

}  // namespace korvane

#endif
