// The model with its notes printed on a console, for tests and tools that
// drive it without a compilation.
#include "model/skin_content.h"

namespace korvane {

SkinContent::SkinContent(FileSystem& fs, Console& console)
    : fs_(fs), consoleSink_(std::make_unique<ConsoleDiagnostics>(console)), sink_(*consoleSink_) {}

}  // namespace korvane
