// The host's file system, clock, standard streams and environment.
#ifndef KORVANE_BASE_REAL_PLATFORM_H
#define KORVANE_BASE_REAL_PLATFORM_H

#include <memory>
#include <string>

#include "base/platform.h"

namespace korvane {

// Existence questions go to stat, except for a directory asked about many
// times (a skin's image directory): that one is read once and answered from
// its listing, which costs far less than a path lookup per image. Entries
// the listing cannot vouch for (symbolic links, unknown types) still go to
// stat. Writing or removing a file forgets every listing.
//
// openReplace names its temporary ".NAME.PID.XXXXXX" beside the target NAME
// (NAME cut to 200 bytes, PID the writing process). A process killed while
// writing leaves it behind; the next openReplace of the same target removes
// the temporaries whose process is gone. A link as the target is written
// through, a dangling one too (its target is made).
// A new file gets the mode 0666 less the umask, a replaced one keeps the
// previous file's mode.
class RealFileSystem : public FileSystem {
 public:
  // Questions about one directory before it is listed.
  static constexpr size_t kListAfter = 64;

  RealFileSystem();
  ~RealFileSystem() override;

 protected:
  std::unique_ptr<InputFile> doOpenRead(const std::string& hostPath) override;
  std::unique_ptr<OutputFile> doOpenWrite(const std::string& hostPath) override;
  std::unique_ptr<OutputFile> doOpenReplace(const std::string& hostPath) override;
  bool doExists(const std::string& hostPath) override;
  Presence doPresence(const std::string& hostPath, std::string& reason) override;
  bool doRemove(const std::string& hostPath) override;
  bool doSameFile(const std::string& hostA, const std::string& hostB) override;
  std::vector<std::string> doListFiles(const std::string& hostPath) override;

 private:
  class Listings;
  std::unique_ptr<Listings> listings_;
};

// Sets the heap up for one compile of a possibly big skin, where the host's
// allocator allows (glibc): every block of 128 KiB or more comes from the
// system and goes back to it when freed (glibc would otherwise raise that
// size as big blocks are freed, and keep later ones after they are freed,
// such as the old copy of a list that grew). Called once, first thing in main.
void prepareHeap();

// Gives the memory the heap holds free back to the system, where the host's
// allocator can (glibc); elsewhere it does nothing. A program calls it after
// letting go of much memory, so that what it allocates next does not add to
// its peak.
void returnFreedMemory();

class SystemClock : public Clock {
 public:
  uint64_t now() override;
};

class StdConsole : public Console {
 public:
  void out(std::string_view text) override;
  void err(std::string_view text) override;
  // A closed pipe (EPIPE) is not counted as a failure.
  bool closeOut() override;

 private:
  void noteOutFailure();
  bool outFailed_ = false;
};

class ProcessEnvironment : public Environment {
 public:
  std::optional<std::string> variable(const std::string& name) override;
  std::string workingDirectory() override;
};

}  // namespace korvane

#endif
