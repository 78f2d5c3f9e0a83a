#include "output/mbm_list_writer.h"

namespace korvane {

MbmListWriter::MbmListWriter(FileSystem& fs) : fs_(fs) {}

void MbmListWriter::write(const SkinContent&, const std::string&, const std::string&) {
  (void)fs_;
}

}  // namespace korvane
