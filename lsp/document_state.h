// One open description and what the server knows of it: its text, its
// outline, the item names it may use and the diagnostics of its last check.
// The request handlers (completion, hover, ...) read it; only the server
// changes it.
#ifndef KORVANE_LSP_DOCUMENT_STATE_H
#define KORVANE_LSP_DOCUMENT_STATE_H

#include <memory>
#include <string>
#include <vector>

#include "base/platform.h"
#include "lsp/directory_listing.h"
#include "lsp/item_catalog.h"
#include "lsp/json_rpc.h"
#include "lsp/skin_outline.h"
#include "lsp/text_document.h"

namespace korvane::lsp {

// A diagnostic as it was published, kept for its quick fixes.
struct PublishedDiagnostic {
  Range range;
  std::string message;
  std::string code;
  std::vector<std::string> suggestions;
};

struct DocumentState {
  TextDocument document;
  std::string path;       // the description's path; empty for a document not on disk
  std::string directory;  // where its images and extension list are looked up
  SkinOutline outline;
  std::shared_ptr<const ItemCatalog> catalog;
  std::string extensionList;  // the extension list in use, "" for none
  std::vector<PublishedDiagnostic> diagnostics;
};

// What a request handler may consult besides the document.
struct Workspace {
  FileSystem& fs;
  DirectoryListing& listing;
};

// Where the image a token names lies: the bitmap path of the line, relative
// to the description's directory.
std::string imageFilePath(const DocumentState& state, int line, std::string_view fileName);
// When token `index` of `line` names an image file (the token after a colour
// depth, or the value of MASK= and SOFTMASK=): the file name and its first
// column; otherwise false.
bool imageNameAt(const OutlineLine& line, size_t index, std::string& name, int& column);

Json toJson(const Range& range);
Json toJson(const Position& position);
Range lineRange(int line, int column, int endColumn);
bool readPosition(const Json& json, Position& position);
bool readRange(const Json& json, Range& range);

// Request handlers: each answers one request for a position of the document
// (null when there is nothing to show).
Json completionAt(const DocumentState& state, Position position, Workspace& workspace);
Json hoverAt(const DocumentState& state, Position position, Workspace& workspace);
Json definitionAt(const DocumentState& state, Position position, Workspace& workspace);
Json documentSymbols(const DocumentState& state);
Json codeActions(const DocumentState& state, const Range& range);

}  // namespace korvane::lsp

#endif
