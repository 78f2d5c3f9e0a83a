#include "output/pkg_writer.h"

namespace korvane {

PkgWriter::PkgWriter(FileSystem& fs) : fs_(fs) {}

void PkgWriter::write(const SkinContent&, const std::string&, const std::string&,
                      const std::string&) {
  (void)fs_;
}

}  // namespace korvane
