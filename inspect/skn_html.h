// The HTML preview of a compiled skin: one self-contained page, readable
// offline, without scripts, whose only outside references are the skin's
// image files, by paths relative to the page.
#ifndef KORVANE_INSPECT_SKN_HTML_H
#define KORVANE_INSPECT_SKN_HTML_H

#include <string>

#include "base/platform.h"
#include "inspect/generation_list.h"
#include "inspect/item_names.h"
#include "inspect/skn_reader.h"

namespace korvane {

struct SknHtmlOptions {
  const ItemNames* names = nullptr;
  const GenerationList* list = nullptr;  // with --list
  std::string listFile;                  // the list's path as given
  std::string pageFile;                  // the page's path as given
  // Asked whether each listed image file exists; without it every listed
  // file is taken to exist.
  FileSystem* fs = nullptr;
  // The absolute working directory, against which relative paths are read
  // when the page and the images are not both below it. Empty: unknown, and
  // images that only it could relate to the page become placeholders.
  std::string workingDirectory;
};

// The list's file names are relative to the list's own directory (the
// compile ran there in the usual case) and are linked relative to the
// page's directory. An image that is not listed, or whose file is missing,
// is a placeholder element naming its index or file; so is every image
// without a list.
std::string renderSknHtml(const SknChunk& root, const SknHtmlOptions& options);

// A path as a relative URL: "/" separators, every byte but letters,
// digits, "-._~/" percent-encoded.
std::string relativeUrl(std::string_view path);

// Where a file named by a path relative to `baseFile`'s directory (or
// absolute) lies, seen from the working directory and from the directory
// of `pageFile`. Backslashes are separators. `fromPage` is empty when the
// two cannot be related without the (unknown) working directory.
struct RelatedPath {
  std::string fromWorkingDirectory;
  std::string fromPage;
};
RelatedPath relatePath(const std::string& baseFile, const std::string& file,
                       const std::string& pageFile, const std::string& workingDirectory);

}  // namespace korvane

#endif
