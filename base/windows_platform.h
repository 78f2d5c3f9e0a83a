// What the Windows host adds to real_platform.h: the conversions between the
// compiler's 8-bit names and the UTF-16 names the system takes, and the
// command line as UTF-8.
#ifndef KORVANE_BASE_WINDOWS_PLATFORM_H
#define KORVANE_BASE_WINDOWS_PLATFORM_H

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The 8-bit text as UTF-16: read as UTF-8, or, when it is no valid UTF-8,
// in the system's ANSI code page (the names older tools wrote).
std::wstring widenName(std::string_view text);

// UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string narrowName(std::wstring_view text);

// The path as the system takes it: UTF-16, every "/" a backslash, and a path
// too long for the classic limit made absolute and given the "\\?\" prefix
// that lifts it.
std::wstring nativePath(std::string_view hostPath);

// The process's arguments as UTF-8, in place of the ANSI ones main receives;
// argc and argv point into this object while it lives.
class Utf8Arguments {
 public:
  Utf8Arguments(int& argc, char**& argv);

 private:
  std::vector<std::string> texts_;
  std::vector<char*> pointers_;
};

}  // namespace korvane

#endif
