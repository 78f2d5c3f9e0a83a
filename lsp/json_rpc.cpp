#include "lsp/json_rpc.h"

#include <cctype>

namespace korvane::lsp {
namespace {

bool headerNameIs(std::string_view line, std::string_view name) {
  if (line.size() < name.size() + 1 || line[name.size()] != ':') return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(line[i])) !=
        std::tolower(static_cast<unsigned char>(name[i]))) {
      return false;
    }
  }
  return true;
}

std::optional<size_t> parseLength(std::string_view value) {
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  if (value.empty() || value.size() > 12) return std::nullopt;
  size_t length = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    length = length * 10 + static_cast<size_t>(c - '0');
  }
  return length;
}

}  // namespace

void MessageReader::feed(std::string_view bytes) {
  if (broken_) return;
  if (start_ > 0 && start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  }
  buffer_.append(bytes);
}

bool MessageReader::readHeader() {
  size_t end = buffer_.find("\r\n\r\n", start_);
  if (end == std::string::npos) {
    if (buffer_.size() - start_ > kMaxHeader) {
      broken_ = true;
      error_ = "message header too long";
    }
    return false;
  }
  std::string_view header(buffer_.data() + start_, end - start_);
  std::optional<size_t> length;
  while (!header.empty()) {
    size_t lineEnd = header.find("\r\n");
    std::string_view line = header.substr(0, lineEnd);
    header = lineEnd == std::string_view::npos ? std::string_view() : header.substr(lineEnd + 2);
    if (headerNameIs(line, "Content-Length")) {
      length = parseLength(line.substr(15));
      if (!length) {
        broken_ = true;
        error_ = "malformed Content-Length";
        return false;
      }
    }
  }
  if (!length) {
    broken_ = true;
    error_ = "message header without Content-Length";
    return false;
  }
  if (*length > kMaxBody) {
    broken_ = true;
    error_ = "message body too large";
    return false;
  }
  bodyLength_ = length;
  start_ = end + 4;
  return true;
}

std::optional<std::string> MessageReader::next() {
  if (broken_) return std::nullopt;
  if (!bodyLength_ && !readHeader()) return std::nullopt;
  if (buffer_.size() - start_ < *bodyLength_) return std::nullopt;
  std::string body = buffer_.substr(start_, *bodyLength_);
  start_ += *bodyLength_;
  bodyLength_.reset();
  // Keep the buffer from growing with what has been read.
  if (start_ > (1u << 16) && start_ * 2 > buffer_.size()) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  return body;
}

std::string dumpJson(const Json& message) {
  return message.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string frameMessage(const Json& message) {
  std::string body = dumpJson(message);
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace korvane::lsp
