// The one thing the server asks of the file system that the compiler never
// does: which files a directory holds (for image name completion).
#ifndef KORVANE_LSP_DIRECTORY_LISTING_H
#define KORVANE_LSP_DIRECTORY_LISTING_H

#include <string>
#include <vector>

namespace korvane {
class MemoryFileSystem;
}

namespace korvane::lsp {

class DirectoryListing {
 public:
  virtual ~DirectoryListing() = default;
  // The names of the regular files in `directory` (empty: the working
  // directory), sorted; nothing when it cannot be read.
  virtual std::vector<std::string> files(const std::string& directory) = 0;
};

class RealDirectoryListing : public DirectoryListing {
 public:
  std::vector<std::string> files(const std::string& directory) override;
};

// The files of an in-memory file system that lie directly in the directory.
class MemoryDirectoryListing : public DirectoryListing {
 public:
  explicit MemoryDirectoryListing(const MemoryFileSystem& fs) : fs_(fs) {}
  std::vector<std::string> files(const std::string& directory) override;

 private:
  const MemoryFileSystem& fs_;
};

}  // namespace korvane::lsp

#endif
