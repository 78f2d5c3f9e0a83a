// The version both programs report.
#ifndef KORVANE_BASE_VERSION_H
#define KORVANE_BASE_VERSION_H

namespace korvane {

constexpr int kVersionMajor = 0;
constexpr int kVersionMinor = 0;
constexpr int kVersionPatch = 141;
constexpr const char* kVersionText = "0.0.141";

}  // namespace korvane

#endif
