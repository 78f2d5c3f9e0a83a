// SknWriter builds the binary SKN file of a finished skin in memory and saves it.
#ifndef KORVANE_OUTPUT_SKN_WRITER_H
#define KORVANE_OUTPUT_SKN_WRITER_H

#include <string>

#include "base/platform.h"
#include "model/skin_content.h"

namespace korvane {

class SknWriter {
 public:
  SknWriter(FileSystem& fs, Clock& clock);
  virtual ~SknWriter() = default;

  void write(const SkinContent& content, const std::string& skinName,
             const std::string& sknFileName);

 private:
  FileSystem& fs_;
  Clock& clock_;
};

}  // namespace korvane

#endif
