// MbmListWriter writes the bitmap converter's generation list.
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

  void write(const SkinContent& content, const std::string& skinName,
             const std::string& listFileName);

 private:
  FileSystem& fs_;
};

}  // namespace korvane

#endif
