// korvane-lsp's protocol: one message in, the messages to send out. The
// server keeps the open descriptions, checks each with a check-only
// compilation when it is opened, changed or saved, and answers completion,
// hover, definition, symbol and code-action requests from what it knows of
// the buffer. It never writes a file.
#ifndef KORVANE_LSP_LANGUAGE_SERVER_H
#define KORVANE_LSP_LANGUAGE_SERVER_H

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "korvane/compile.h"
#include "lsp/document_state.h"
#include "lsp/json_rpc.h"

namespace korvane::lsp {

// The extension list the server looks for beside a description when the
// client names none.
constexpr std::string_view kExtensionListFileName = "korvane-items.txt";

using Checker = std::function<CompileResult(const CompileRequest&)>;

class LanguageServer {
 public:
  // `fs` is where images and extension lists are looked up (and what the
  // compilation is given); `check` runs the check-only compilation.
  LanguageServer(FileSystem& fs, DirectoryListing& listing, Checker check);

  // Handles one message body; returns the messages to send, in order.
  std::vector<Json> handle(std::string_view body);

  bool exitRequested() const { return exitRequested_; }
  // The process's exit code once exit arrived: 0 after a shutdown request, else 1.
  int exitCode() const { return shutdown_ ? 0 : 1; }

  // For tests: the state of an open document, or null.
  const DocumentState* document(const std::string& uri) const;

 private:
  void handleRequest(const std::string& method, const Json& id, const Json& params,
                     std::vector<Json>& out);
  void handleNotification(const std::string& method, const Json& params, std::vector<Json>& out);
  Json answer(const std::string& method, const Json& params);
  Json initialize(const Json& params);

  void open(const std::string& uri, std::string text, long long version);
  void check(DocumentState& state, std::vector<Json>& out);
  void refreshCatalog(DocumentState& state);
  DocumentState* documentOf(const Json& params);

  FileSystem& fs_;
  DirectoryListing& listing_;
  Checker check_;
  bool initialized_ = false;
  bool shutdown_ = false;
  bool exitRequested_ = false;
  std::string extensionListOption_;
  std::map<std::string, DocumentState> documents_;
  std::map<std::string, std::shared_ptr<const ItemCatalog>> catalogs_;
};

// The bytes a compilation is given for an editor's UTF-8 buffer: ASCII text
// as it is, anything else behind the UTF-8 byte-order mark.
std::string sourceBytesOf(std::string_view utf8);

}  // namespace korvane::lsp

#endif
