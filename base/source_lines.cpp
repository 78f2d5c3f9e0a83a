#include "base/source_lines.h"

#include "base/text.h"

namespace korvane {

SourceLines::SourceLines(std::string_view bytes) {
  auto byte = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE) {
    encoding_ = Encoding::kUtf16;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text_.push_back(static_cast<char16_t>(byte(i) | (byte(i + 1) << 8)));
    }
  } else if (bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
    encoding_ = Encoding::kUtf8;
    // UTF-8 to UTF-16; a byte that starts no sequence stands for itself.
    for (size_t i = 3; i < bytes.size();) {
      uint32_t c = byte(i);
      size_t length = c < 0x80         ? 1
                      : (c >> 5) == 6  ? 2
                      : (c >> 4) == 14 ? 3
                      : (c >> 3) == 30 ? 4
                                       : 1;
      if (length > 1 && i + length <= bytes.size()) {
        c &= 0x3F >> (length - 1);
        for (size_t k = 1; k < length; ++k) c = (c << 6) | (byte(i + k) & 0x3F);
      } else {
        length = 1;
      }
      if (c >= 0x10000) {
        c -= 0x10000;
        text_.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        text_.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
      } else {
        text_.push_back(static_cast<char16_t>(c));
      }
      i += length;
    }
  } else {
    text_ = widenCopy(bytes);
  }
  starts_.push_back(0);
  for (size_t i = 0; i < text_.size(); ++i) {
    if (text_[i] == u'\n') starts_.push_back(i + 1);
  }
}

std::u16string_view SourceLines::line(int number) const {
  if (number < 1 || static_cast<size_t>(number) > starts_.size()) return {};
  size_t start = starts_[number - 1];
  size_t end = static_cast<size_t>(number) < starts_.size() ? starts_[number] - 1 : text_.size();
  std::u16string_view line = std::u16string_view(text_).substr(start, end - start);
  while (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
  return line;
}

}  // namespace korvane
