// korvane-lsp: the language server over standard input and output.
#include <unistd.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "base/real_platform.h"
#include "base/version.h"
#include "korvane/compile.h"
#include "lsp/language_server.h"

namespace {

constexpr const char* kUsage =
    "Usage: korvane-lsp [--stdio]\n"
    "The language server of Korvane skin descriptions: the Language Server Protocol\n"
    "over standard input and output.\n"
    "\n"
    "  --stdio    speak over standard input and output (the only transport)\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n";

bool writeAll(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

int serve() {
#ifdef _WIN32
  // The framing counts bytes: no CR LF translation of either stream.
  ::_setmode(::_fileno(stdin), _O_BINARY);
  ::_setmode(::_fileno(stdout), _O_BINARY);
#endif
  korvane::RealFileSystem fs;
  korvane::lsp::RealDirectoryListing listing;
  korvane::lsp::LanguageServer server(fs, listing, [](const korvane::CompileRequest& request) {
    return korvane::compile(request);
  });
  korvane::lsp::MessageReader reader;
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    reader.feed(std::string_view(buffer, static_cast<size_t>(got)));
    while (auto body = reader.next()) {
      for (const korvane::lsp::Json& message : server.handle(*body)) {
        if (!writeAll(korvane::lsp::frameMessage(message))) return 1;
      }
      if (server.exitRequested()) return server.exitCode();
    }
    if (reader.broken()) {
      std::fprintf(stderr, "korvane-lsp: %s\n", reader.error().c_str());
      return 1;
    }
  }
  // The client went away without "exit".
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("korvane-lsp %s\n", korvane::kVersionText);
      return 0;
    }
    if (arg == "--stdio") continue;
    std::fprintf(
        stderr,
        "korvane-lsp: unrecognized option '%s'\nTry 'korvane-lsp --help' for more information.\n",
        argv[i]);
    return 2;
  }
  return serve();
}
