#include "lsp/text_document.h"

namespace korvane::lsp {
namespace {

// Length in bytes of the UTF-8 sequence starting at `at`, and its UTF-16 units.
void sequenceAt(std::string_view text, size_t at, size_t& bytes, int& units) {
  unsigned char c = static_cast<unsigned char>(text[at]);
  size_t length = c < 0x80           ? 1
                  : (c >> 5) == 0x6  ? 2
                  : (c >> 4) == 0xE  ? 3
                  : (c >> 3) == 0x1E ? 4
                                     : 0;
  bool valid = length != 0 && at + length <= text.size();
  for (size_t i = 1; valid && i < length; ++i) {
    valid = (static_cast<unsigned char>(text[at + i]) & 0xC0) == 0x80;
  }
  if (!valid) {
    bytes = 1;
    units = 1;
    return;
  }
  bytes = length;
  units = length == 4 ? 2 : 1;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

TextDocument::TextDocument(std::string uri, std::string text, long long version)
    : uri_(std::move(uri)), text_(std::move(text)), version_(version) {
  splitLines();
}

void TextDocument::replace(std::string text, long long version) {
  text_ = std::move(text);
  version_ = version;
  splitLines();
}

void TextDocument::splitLines() {
  lineStarts_.assign(1, 0);
  for (size_t i = 0; i < text_.size(); ++i) {
    if (text_[i] == '\n') lineStarts_.push_back(i + 1);
  }
}

std::string_view TextDocument::line(int index) const {
  if (index < 0 || index >= lineCount()) return {};
  size_t start = lineStarts_[static_cast<size_t>(index)];
  size_t end = static_cast<size_t>(index) + 1 < lineStarts_.size()
                   ? lineStarts_[static_cast<size_t>(index) + 1] - 1
                   : text_.size();
  return std::string_view(text_).substr(start, end - start);
}

int utf16Length(std::string_view utf8) {
  int units = 0;
  for (size_t at = 0; at < utf8.size();) {
    size_t bytes;
    int u;
    sequenceAt(utf8, at, bytes, u);
    at += bytes;
    units += u;
  }
  return units;
}

size_t byteOffsetOfColumn(std::string_view line, int column) {
  size_t at = 0;
  int units = 0;
  while (at < line.size() && units < column) {
    size_t bytes;
    int u;
    sequenceAt(line, at, bytes, u);
    at += bytes;
    units += u;
  }
  return at;
}

std::string uriToPath(std::string_view uri) {
  constexpr std::string_view kScheme = "file://";
  if (uri.substr(0, kScheme.size()) != kScheme) return "";
  uri.remove_prefix(kScheme.size());
  // An authority ("file://host/path") other than the local host is dropped.
  size_t slash = uri.find('/');
  if (slash == std::string_view::npos) return "";
  uri.remove_prefix(slash);
  std::string path;
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() && hexValue(uri[i + 1]) >= 0 &&
        hexValue(uri[i + 2]) >= 0) {
      path.push_back(static_cast<char>(hexValue(uri[i + 1]) * 16 + hexValue(uri[i + 2])));
      i += 2;
    } else {
      path.push_back(uri[i]);
    }
  }
  // "file:///C:/dir" names a drive path.
  if (path.size() >= 3 && path[0] == '/' && path[2] == ':') path.erase(0, 1);
  if (path.find('\0') != std::string::npos) return "";
  return path;
}

std::string pathToUri(std::string_view path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  if (path.empty() || path[0] != '/') uri.push_back('/');
  for (char ch : path) {
    unsigned char c = static_cast<unsigned char>(ch == '\\' ? '/' : ch);
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '/' || c == '-' || c == '_' || c == '.' || c == '~' || c == ':';
    if (plain) {
      uri.push_back(static_cast<char>(c));
    } else {
      uri.push_back('%');
      uri.push_back(kHex[c >> 4]);
      uri.push_back(kHex[c & 15]);
    }
  }
  return uri;
}

std::string directoryOf(std::string_view path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string_view::npos) return "";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string fileNameOf(std::string_view path) {
  size_t slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string joinPath(std::string_view directory, std::string_view name) {
  if (directory.empty() || (!name.empty() && name[0] == '/')) return std::string(name);
  std::string path(directory);
  if (path.back() != '/') path.push_back('/');
  path.append(name);
  return path;
}

}  // namespace korvane::lsp
