// MbmListWriter writes the bitmap converter's generation list: the MIF list of
// a scalable skin (options, mask suffix and file on one line) or the MBM list
// of a normal skin (bitmap and mask on lines of their own).
#ifndef KORVANE_OUTPUT_MBM_LIST_WRITER_H
#define KORVANE_OUTPUT_MBM_LIST_WRITER_H

#include <string>

#include "base/platform.h"
#include "model/skin_content.h"

namespace korvane {

class MbmListWriter {
 public:
  explicit MbmListWriter(FileSystem& fs);
  virtual ~MbmListWriter() = default;

  // The list replaces the previous one whole. Lines written before a content
  // error stay in the file; a failed write or close removes the file and
  // raises an error.
  void write(const SkinContent& content, const std::string& skinName,
             const std::string& listFileName);

  // The lines of one source, each ending in CR LF. They raise the internal
  // colour-depth error for codes the list has no option for.
  // Scalable skins: one line with the mask as a suffix of the depth option.
  static std::string scalableLine(const BitmapSource& source);
  // Normal skins: the bitmap line, then (only when the source has a mask) the mask line.
  static std::string bitmapLine(const BitmapSource& source);
  static std::string maskLine(const BitmapSource& source);

 private:
  FileSystem& fs_;
};

}  // namespace korvane

#endif
