#include "output/mbm_list_writer.h"

#include <memory>

#include "base/error.h"
#include "base/text.h"

namespace korvane {

namespace {

constexpr const char* kLineEnd = "\r\n";

[[noreturn]] void raiseUnknownDepth() {
  throw CKrvException(kErrorInternal, "Unknown color depth value used internally");
}

// The depth option by colour-depth code (1 to 10).
const char* depthOption(uint32_t colorDepth) {
  static const char* const kOptions[] = {"/1",  "/2",   "/4",   "/8",   "/c4",
                                         "/c8", "/c12", "/c16", "/c24", "/c32"};
  if (colorDepth < 1 || colorDepth > 10) raiseUnknownDepth();
  return kOptions[colorDepth - 1];
}

// The mask depth by mask kind (0 to 4): "1" for MASK, "8" for SOFTMASK; null for no mask.
const char* maskDepth(uint32_t maskKind) {
  static const char* const kDepths[] = {nullptr, "1", "2", "4", "8"};
  if (maskKind > 4) raiseUnknownDepth();
  return kDepths[maskKind];
}

// Appends a line of the list: the leading options, then the source's path
// and the file name narrowed to 8 bits, then the line end.
void appendListLine(std::string& line, std::string_view options, const BitmapSource& source,
                    std::u16string_view fileName) {
  line.append(options);
  appendNarrowed(line, source.path);
  appendNarrowed(line, fileName);
  line.append(kLineEnd);
}

void appendScalableLine(std::string& line, const BitmapSource& source) {
  line.append(depthOption(source.colorDepth));
  if (const char* mask = maskDepth(source.maskKind)) {
    line.push_back(',');
    line.append(mask);
  }
  line.push_back(' ');
  if (source.svgAnim != 0) line.append("/A ");
  appendListLine(line, "", source, source.fileName);
}

// The list goes through a temporary beside it, so that a reader (or a
// second compile writing the same list) sees one run's whole file. The lines
// before a content error stay for the author to see: the temporary is put in
// place up to them. A failed write or close, which can cut a line in half,
// removes the list instead.
class ListFile {
 public:
  ListFile(FileSystem& fs, const std::string& name)
      : fs_(fs), name_(name), file_(fs.openReplace(name)) {
    if (file_ == nullptr) {
      throw CKrvException(kErrorFileOpen, "Text output file for bmconv can not be opened");
    }
  }
  void write(const std::string& text) {
    if (!file_->write(text)) fail();
  }
  void close() {
    if (!file_->close()) fail();
    file_.reset();
  }

 private:
  [[noreturn]] void fail() {
    file_.reset();
    fs_.remove(name_);
    throw CKrvException(kErrorFileOpen, "Text output file for bmconv can not be written");
  }

  FileSystem& fs_;
  std::string name_;
  std::unique_ptr<OutputFile> file_;
};

void writeLines(const SkinContent& content, const std::string& skinName, ListFile& file) {
  bool scalable = content.isScalable();
  file.write(scalable ? std::string("/E") + kLineEnd : skinName + ".mbm" + kLineEnd);
  std::string line;  // one buffer for every line of a scalable skin
  for (const BitmapSource& source : content.bitmapSources()) {
    if (scalable) {
      line.clear();
      appendScalableLine(line, source);
      file.write(line);
      continue;
    }
    if (source.index >= kFirstBitmapIndex) {
      throw CKrvException(kErrorContent, "SVG icons require scalable skin");
    }
    file.write(MbmListWriter::bitmapLine(source));
    file.write(MbmListWriter::maskLine(source));
  }
}

}  // namespace

MbmListWriter::MbmListWriter(FileSystem& fs) : fs_(fs) {}

std::string MbmListWriter::scalableLine(const BitmapSource& source) {
  std::string line;
  appendScalableLine(line, source);
  return line;
}

std::string MbmListWriter::bitmapLine(const BitmapSource& source) {
  std::string line;
  appendListLine(line, depthOption(source.colorDepth), source, source.fileName);
  return line;
}

std::string MbmListWriter::maskLine(const BitmapSource& source) {
  const char* mask = maskDepth(source.maskKind);
  if (mask == nullptr) return std::string();
  std::string line = "/";
  appendListLine(line, mask, source, source.maskFileName);
  return line;
}

void MbmListWriter::write(const SkinContent& content, const std::string& skinName,
                          const std::string& listFileName) {
  ListFile file(fs_, listFileName);
  try {
    writeLines(content, skinName, file);
  } catch (const CKrvException& e) {
    if (e.code == kErrorFileOpen) throw;  // the list is gone already
    file.close();
    throw;
  }
  file.close();
}

}  // namespace korvane
