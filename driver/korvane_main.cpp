#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "base/real_platform.h"
#ifdef _WIN32
#include "base/windows_platform.h"
#endif
#include "driver/compile_run.h"

// A leak checker would report the model left to the exit.
#if defined(__SANITIZE_ADDRESS__)
#define KORVANE_LEAVE_TO_EXIT 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(leak_sanitizer)
#define KORVANE_LEAVE_TO_EXIT 0
#endif
#endif
#ifndef KORVANE_LEAVE_TO_EXIT
#define KORVANE_LEAVE_TO_EXIT 1
#endif

int main(int argc, char* argv[]) {
#ifdef _WIN32
  // File names on the command line as UTF-8, whatever the ANSI code page.
  korvane::Utf8Arguments utf8(argc, argv);
#endif
  // Console writes are not checked: a reader that went away (a pipe into
  // head) must not end the compile before it has written its files.
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
#ifdef SIGXFSZ
  // A file-size limit fails the write instead of killing the process, so the
  // run reports it like a full disk and removes its temporaries.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  korvane::prepareHeap();
  korvane::RealFileSystem fs;
  korvane::SystemClock clock;
  korvane::StdConsole console;
  korvane::ProcessEnvironment environment;
  korvane::Platform platform{fs, clock, console, environment};
#if KORVANE_LEAVE_TO_EXIT
  int code = korvane::runCompile(argc, argv, platform, korvane::ModelAtEnd::kLeaveToExit);
  // Every file is closed by now; the streams are flushed, and the process
  // ends without tearing down the registry and the reader one object at a time.
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(code);
#else
  return korvane::runCompile(argc, argv, platform);
#endif
}
