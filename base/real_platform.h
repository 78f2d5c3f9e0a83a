// The host's file system, clock and standard streams.
#ifndef KORVANE_BASE_REAL_PLATFORM_H
#define KORVANE_BASE_REAL_PLATFORM_H

#include "base/platform.h"

namespace korvane {

class RealFileSystem : public FileSystem {
 protected:
  std::unique_ptr<InputFile> doOpenRead(const std::string& hostPath) override;
  std::unique_ptr<OutputFile> doOpenWrite(const std::string& hostPath) override;
  bool doExists(const std::string& hostPath) override;
  bool doRemove(const std::string& hostPath) override;
};

class SystemClock : public Clock {
 public:
  uint64_t now() override;
};

class StdConsole : public Console {
 public:
  void out(std::string_view text) override;
  void err(std::string_view text) override;
};

}  // namespace korvane

#endif
