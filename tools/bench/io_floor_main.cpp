// io_floor DESCRIPTION EXTENSION_LIST IMAGE_DIRECTORY OUTPUT_DIRECTORY SIZE...
//
// The least a compile has to do with the system, for the benchmark's floor:
// reads the description and the extension list through one reused buffer,
// lists the image directory once, and writes one output file per SIZE
// (named out0, out1, ... in OUTPUT_DIRECTORY) of that many bytes, the sizes of
// the outputs the real compile wrote. Only C library and POSIX calls, no
// allocation beyond the fixed buffer, so its CPU time is the I/O a compile
// cannot avoid.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

char buffer[1 << 16];

bool readAll(const char* path, unsigned long long& bytes) {
  int fd = ::open(path, O_RDONLY);
  if (fd < 0) return false;
  ssize_t got;
  while ((got = ::read(fd, buffer, sizeof buffer)) > 0) bytes += static_cast<size_t>(got);
  ::close(fd);
  return got == 0;
}

bool writeBytes(const char* path, unsigned long long size) {
  int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  while (size > 0) {
    size_t chunk = size < sizeof buffer ? static_cast<size_t>(size) : sizeof buffer;
    ssize_t put = ::write(fd, buffer, chunk);
    if (put <= 0) {
      ::close(fd);
      return false;
    }
    size -= static_cast<size_t>(put);
  }
  return ::close(fd) == 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 5) {
    std::fprintf(stderr,
                 "usage: io_floor DESCRIPTION EXTENSION_LIST IMAGE_DIRECTORY OUTPUT_DIRECTORY "
                 "SIZE...\n");
    return 1;
  }
  unsigned long long bytes = 0;
  if (!readAll(argv[1], bytes) || !readAll(argv[2], bytes)) {
    std::fprintf(stderr, "io_floor: cannot read the inputs\n");
    return 1;
  }
  DIR* dir = ::opendir(argv[3]);
  if (dir == nullptr) {
    std::fprintf(stderr, "io_floor: cannot list %s\n", argv[3]);
    return 1;
  }
  unsigned long names = 0;
  while (::readdir(dir) != nullptr) ++names;
  ::closedir(dir);
  // The outputs carry bytes of the input, so that nothing writes zero pages.
  for (int i = 5; i < argc; ++i) {
    char path[4096];
    std::snprintf(path, sizeof path, "%s/out%d", argv[4], i - 5);
    if (!writeBytes(path, std::strtoull(argv[i], nullptr, 10))) {
      std::fprintf(stderr, "io_floor: cannot write %s\n", path);
      return 1;
    }
  }
  std::printf("%llu bytes read, %lu names listed\n", bytes, names);
  return 0;
}
