#include "output/skn_writer.h"

namespace korvane {

SknWriter::SknWriter(FileSystem& fs, Clock& clock) : fs_(fs), clock_(clock) {}

void SknWriter::write(const SkinContent&, const std::string&, const std::string&) {
  (void)fs_;
  (void)clock_;
}

}  // namespace korvane
