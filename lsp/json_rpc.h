// The wire of the language server: messages framed by a "Content-Length"
// header (and an optional "Content-Type") followed by a blank line and the
// JSON-RPC 2.0 body.
#ifndef KORVANE_LSP_JSON_RPC_H
#define KORVANE_LSP_JSON_RPC_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace korvane::lsp {

using Json = nlohmann::json;

// Takes the bytes of the stream as they come and cuts them into message
// bodies. A header that cannot be read (no or a malformed Content-Length, a
// body larger than kMaxBody) makes the reader broken: nothing after it can
// be framed, so the server ends.
class MessageReader {
 public:
  static constexpr size_t kMaxBody = 64u << 20;
  static constexpr size_t kMaxHeader = 8192;

  void feed(std::string_view bytes);
  // The next complete body, if one has arrived.
  std::optional<std::string> next();
  bool broken() const { return broken_; }
  const std::string& error() const { return error_; }

 private:
  bool readHeader();

  std::string buffer_;
  size_t start_ = 0;
  std::optional<size_t> bodyLength_;
  bool broken_ = false;
  std::string error_;
};

// The body with its header, as it goes on the wire.
std::string frameMessage(const Json& message);
// JSON text that is always valid UTF-8 (bytes that are not are replaced).
std::string dumpJson(const Json& message);

// JSON-RPC error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;

}  // namespace korvane::lsp

#endif
