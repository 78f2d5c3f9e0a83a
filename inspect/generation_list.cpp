#include "inspect/generation_list.h"

#include "base/text.h"

namespace korvane {

namespace {

constexpr uint32_t kFirstIndex = 0x4000;

// A depth option without its "/": "1" "2" "4" "8" "c4" ... "c32".
bool isDepth(std::string_view depth) {
  static const char* const kDepths[] = {"1", "2", "4", "8", "c4", "c8", "c12", "c16", "c24", "c32"};
  for (const char* known : kDepths) {
    if (depth == known) return true;
  }
  return false;
}

std::string_view nextLine(std::string_view& text) {
  size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// "/c16,1 /A images\bg.bmp": depth, mask depth, animation flag and file.
bool parseMifLine(std::string_view line, ListedImage& image) {
  size_t blank = line.find(' ');
  if (line.size() < 2 || line[0] != '/' || blank == std::string_view::npos) return false;
  std::string_view options = line.substr(1, blank - 1);
  size_t comma = options.find(',');
  image.depth.assign(options.substr(0, comma));
  if (comma != std::string_view::npos) {
    image.maskDepth.assign(options.substr(comma + 1));
    if (!isDepth(image.maskDepth) || image.maskDepth[0] == 'c') return false;
  }
  if (!isDepth(image.depth)) return false;
  std::string_view rest = line.substr(blank + 1);
  if (rest.substr(0, 3) == "/A ") {
    image.svgAnim = true;
    rest.remove_prefix(3);
  }
  if (rest.empty()) return false;
  image.file.assign(rest);
  return true;
}

// "/c16images\bg.bmp": the depth option runs into the path, so the longest
// known depth that the line starts with is taken ("c16", not "c1").
bool splitMbmLine(std::string_view line, std::string& depth, std::string& file) {
  if (line.size() < 2 || line[0] != '/') return false;
  std::string_view rest = line.substr(1);
  size_t length = 0;
  for (size_t n = 1; n <= 3 && n <= rest.size(); ++n) {
    if (isDepth(rest.substr(0, n))) length = n;
  }
  if (length == 0 || length == rest.size()) return false;
  depth.assign(rest.substr(0, length));
  file.assign(rest.substr(length));
  return true;
}

}  // namespace

std::string ListedImage::fileText() const {
  return toUtf8(widenCopy(file));
}

const ListedImage* GenerationList::find(uint32_t index) const {
  if (index < kFirstIndex) return nullptr;
  size_t n = (index - kFirstIndex) / 2;
  return n < images.size() ? &images[n] : nullptr;
}

bool parseGenerationList(std::string_view text, GenerationList& list, std::string& error) {
  list = GenerationList();
  size_t lineNumber = 1;
  std::string_view first = nextLine(text);
  if (first == "/E") {
    list.scalable = true;
  } else if (first.size() > 4 && equalsNoCase(first.substr(first.size() - 4), ".mbm")) {
    list.mbmName.assign(first);
  } else {
    error = "line 1 is neither \"/E\" nor an MBM file name";
    return false;
  }
  while (!text.empty()) {
    std::string_view line = nextLine(text);
    ++lineNumber;
    if (line.empty() && text.empty()) break;
    ListedImage image;
    image.index = kFirstIndex + 2 * static_cast<uint32_t>(list.images.size());
    // An MBM list can't tell a mask line from a one-bit bitmap line; the
    // compiler writes none with images (normal skins refuse image sources),
    // so each of its lines is taken as an image.
    bool ok =
        list.scalable ? parseMifLine(line, image) : splitMbmLine(line, image.depth, image.file);
    if (!ok) {
      error = format("line %zu is not a generation list line", lineNumber);
      return false;
    }
    list.images.push_back(std::move(image));
  }
  return true;
}

}  // namespace korvane
