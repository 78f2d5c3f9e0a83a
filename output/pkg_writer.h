// PkgWriter writes the PKG installation script and, in DRM mode, the DRM
// definition file.
#ifndef KORVANE_OUTPUT_PKG_WRITER_H
#define KORVANE_OUTPUT_PKG_WRITER_H

#include <string>

#include "base/platform.h"
#include "model/skin_content.h"

namespace korvane {

class PkgWriter {
 public:
  explicit PkgWriter(FileSystem& fs);
  virtual ~PkgWriter() = default;

  // DRM mode is on exactly when `drmFileName` is not empty.
  void write(const SkinContent& content, const std::string& skinName,
             const std::string& pkgFileName, const std::string& drmFileName);

 private:
  FileSystem& fs_;
};

}  // namespace korvane

#endif
