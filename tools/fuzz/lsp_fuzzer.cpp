// The language server's message handling: the fuzzer's bytes are read twice.
// First as the stream a client writes (framing, JSON, every method with
// whatever parameters it holds); then as the text of an open description,
// checked with the real compilation and asked for completion, hover,
// definition, symbols and code actions at places spread over it. Images and
// extension lists come from an in-memory file system, which must stay
// unwritten.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/memory_platform.h"
#include "korvane/compile.h"
#include "lsp/language_server.h"

namespace {

using korvane::lsp::Json;

constexpr const char* kUri = "file:///skin/skin.txt";

Json message(const std::string& method, Json params, int id = 0) {
  Json m{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
  if (id != 0) m["id"] = id;
  return m;
}

void send(korvane::lsp::LanguageServer& server, const Json& m) {
  // Every reply must serialise (texts of the buffer may be broken UTF-8).
  for (const Json& reply : server.handle(korvane::lsp::dumpJson(m))) korvane::lsp::dumpJson(reply);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  korvane::MemoryFileSystem fs;
  fs.addFile("/skin/images/bg.bmp", "BM");
  fs.addFile("/skin/korvane-items.txt", "IID \"KTavsIIDFuzzItem\" 0x10005A26 0x9000\n");
  auto files = fs.files;
  korvane::lsp::MemoryDirectoryListing listing(fs);
  auto check = [](const korvane::CompileRequest& request) { return korvane::compile(request); };

  {
    korvane::lsp::LanguageServer server(fs, listing, check);
    korvane::lsp::MessageReader reader;
    reader.feed(bytes);
    while (auto body = reader.next()) {
      for (const Json& reply : server.handle(*body)) {
        if (Json::parse(korvane::lsp::dumpJson(reply), nullptr, false).is_discarded()) std::abort();
      }
      if (server.exitRequested()) break;
    }
  }

  korvane::lsp::LanguageServer server(fs, listing, check);
  send(server, message("initialize", Json::object(), 1));
  send(
      server,
      message("textDocument/didOpen",
              Json{{"textDocument",
                    {{"uri", kUri}, {"languageId", "korvane"}, {"version", 1}, {"text", bytes}}}}));
  const korvane::lsp::DocumentState* state = server.document(kUri);
  if (state == nullptr) std::abort();
  int lines = state->document.lineCount();
  int id = 2;
  for (int l = 0; l < lines && l < 8; ++l) {
    int length = korvane::lsp::utf16Length(state->document.line(l));
    for (int c : {0, length / 2, length + 3}) {
      Json at{{"textDocument", {{"uri", kUri}}}, {"position", {{"line", l}, {"character", c}}}};
      send(server, message("textDocument/completion", at, id++));
      send(server, message("textDocument/hover", at, id++));
      send(server, message("textDocument/definition", at, id++));
    }
  }
  Json document{{"textDocument", {{"uri", kUri}}}};
  send(server, message("textDocument/documentSymbol", document, id++));
  send(server, message("textDocument/codeAction",
                       Json{{"textDocument", {{"uri", kUri}}},
                            {"range",
                             {{"start", {{"line", 0}, {"character", 0}}},
                              {"end", {{"line", lines}, {"character", 0}}}}}},
                       id++));
  send(server, message("textDocument/didSave", document));
  send(server, message("textDocument/didClose", document));
  if (fs.files != files) std::abort();
  return 0;
}
