// PkgWriter writes the PKG installation script and, in DRM mode, the DRM
// definition file.
#ifndef KORVANE_OUTPUT_PKG_WRITER_H
#define KORVANE_OUTPUT_PKG_WRITER_H

#include <string>
#include <vector>

#include "base/platform.h"
#include "model/skin_content.h"

namespace korvane {

class PkgWriter {
 public:
  explicit PkgWriter(FileSystem& fs);
  virtual ~PkgWriter() = default;

  // DRM mode is on exactly when `drmFileName` is not empty. Each file
  // replaces its previous version only once complete; a failed open, write
  // or close raises an error, and a file not yet closed keeps its previous
  // version.
  void write(const SkinContent& content, const std::string& skinName,
             const std::string& pkgFileName, const std::string& drmFileName);

  // The skin directory identifier: the parent UID when either of its words
  // is set, else the package identifier; low then high in 16 hexadecimal
  // digits, or low alone in 8 when high is 0.
  static std::string skinDirectoryId(const SkinContent& content);
  // The sound file names in list order, each once (A to Z case ignored), narrowed.
  static std::vector<std::string> soundFiles(const SkinContent& content);

 private:
  FileSystem& fs_;
};

}  // namespace korvane

#endif
