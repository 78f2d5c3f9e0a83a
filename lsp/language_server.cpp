#include "lsp/language_server.h"

#include <exception>

namespace korvane::lsp {
namespace {

Json response(const Json& id, Json result) {
  return Json{{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
}

Json errorResponse(const Json& id, int code, const std::string& message) {
  return Json{{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

const Json* member(const Json& object, const char* name) {
  if (!object.is_object()) return nullptr;
  auto it = object.find(name);
  return it == object.end() ? nullptr : &*it;
}

const std::string* stringMember(const Json& object, const char* name) {
  const Json* value = member(object, name);
  return value != nullptr && value->is_string() ? value->get_ptr<const std::string*>() : nullptr;
}

long long versionOf(const Json& textDocument) {
  const Json* version = member(textDocument, "version");
  return version != nullptr && version->is_number_integer() ? version->get<long long>() : 0;
}

int severityOf(Severity severity) {
  switch (severity) {
    case Severity::kError:
      return 1;
    case Severity::kWarning:
      return 2;
    case Severity::kNote:
      break;
  }
  return 3;
}

std::string stemOf(const std::string& fileName) {
  size_t dot = fileName.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

bool isAbsolute(std::string_view path) {
  return !path.empty() && path[0] == '/';
}

// A place of the compile (lines and columns from 1, 0 unknown) as a range of
// the document.
Range rangeOf(const TextDocument& document, int line, int column, int endLine, int endColumn) {
  if (line <= 0 || document.lineCount() == 0) return Range{};
  int last = document.lineCount() - 1;
  int l = std::min(line - 1, last);
  int lineEnd = utf16Length(document.line(l));
  if (column <= 0) return lineRange(l, 0, lineEnd);
  Range range{Position{l, column - 1}, Position{l, column - 1}};
  if (endLine > 0 && endColumn > 0) {
    range.end = Position{std::min(endLine - 1, last), endColumn - 1};
  }
  return range;
}

}  // namespace

std::string sourceBytesOf(std::string_view utf8) {
  constexpr std::string_view kMark = "\xEF\xBB\xBF";
  bool ascii = true;
  for (char c : utf8) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii || utf8.substr(0, kMark.size()) == kMark) return std::string(utf8);
  return std::string(kMark) + std::string(utf8);
}

LanguageServer::LanguageServer(FileSystem& fs, DirectoryListing& listing, Checker check)
    : fs_(fs), listing_(listing), check_(std::move(check)) {}

const DocumentState* LanguageServer::document(const std::string& uri) const {
  auto it = documents_.find(uri);
  return it == documents_.end() ? nullptr : &it->second;
}

std::vector<Json> LanguageServer::handle(std::string_view body) {
  std::vector<Json> out;
  Json message = Json::parse(body.begin(), body.end(), nullptr, false);
  if (message.is_discarded()) {
    out.push_back(errorResponse(nullptr, kParseError, "the message is not JSON"));
    return out;
  }
  const std::string* method = stringMember(message, "method");
  const Json* id = member(message, "id");
  bool validId = id != nullptr && (id->is_number_integer() || id->is_string());
  if (method == nullptr) {
    // A response to a request of ours (none are sent) or a malformed message.
    if (id == nullptr || (!member(message, "result") && !member(message, "error"))) {
      out.push_back(errorResponse(validId ? *id : Json(nullptr), kInvalidRequest,
                                  "a message without a method"));
    }
    return out;
  }
  // Parameters are read in place: copying a deeply nested value would recurse.
  static const Json kNoParams = Json::object();
  const Json* paramsMember = member(message, "params");
  const Json& params = paramsMember != nullptr ? *paramsMember : kNoParams;
  try {
    if (id != nullptr) {
      if (!validId) {
        out.push_back(errorResponse(nullptr, kInvalidRequest, "the request's id is not valid"));
      } else {
        handleRequest(*method, *id, params, out);
      }
    } else {
      handleNotification(*method, params, out);
    }
  } catch (const Json::exception& e) {
    if (validId) out.push_back(errorResponse(*id, kInvalidParams, e.what()));
  } catch (const std::exception& e) {
    if (validId) out.push_back(errorResponse(*id, kInternalError, e.what()));
  }
  return out;
}

void LanguageServer::handleRequest(const std::string& method, const Json& id, const Json& params,
                                   std::vector<Json>& out) {
  if (method == "initialize") {
    if (initialized_) {
      out.push_back(errorResponse(id, kInvalidRequest, "initialize was already received"));
      return;
    }
    initialized_ = true;
    out.push_back(response(id, initialize(params)));
    return;
  }
  if (!initialized_) {
    out.push_back(errorResponse(id, kServerNotInitialized, "initialize must come first"));
    return;
  }
  if (shutdown_) {
    out.push_back(errorResponse(id, kInvalidRequest, "the server is shutting down"));
    return;
  }
  if (method == "shutdown") {
    shutdown_ = true;
    out.push_back(response(id, nullptr));
    return;
  }
  static const char* const kRequests[] = {
      "textDocument/completion",     "textDocument/hover",      "textDocument/definition",
      "textDocument/documentSymbol", "textDocument/codeAction",
  };
  for (const char* known : kRequests) {
    if (method == known) {
      out.push_back(response(id, answer(method, params)));
      return;
    }
  }
  out.push_back(errorResponse(id, kMethodNotFound, "unknown method " + method));
}

Json LanguageServer::answer(const std::string& method, const Json& params) {
  DocumentState* state = documentOf(params);
  if (state == nullptr) return nullptr;
  Workspace workspace{fs_, listing_};
  if (method == "textDocument/documentSymbol") return documentSymbols(*state);
  if (method == "textDocument/codeAction") {
    Range range;
    const Json* rangeJson = member(params, "range");
    if (rangeJson == nullptr || !readRange(*rangeJson, range)) return Json::array();
    return codeActions(*state, range);
  }
  Position position;
  const Json* positionJson = member(params, "position");
  if (positionJson == nullptr || !readPosition(*positionJson, position)) return nullptr;
  if (method == "textDocument/completion") return completionAt(*state, position, workspace);
  if (method == "textDocument/hover") return hoverAt(*state, position, workspace);
  return definitionAt(*state, position, workspace);
}

Json LanguageServer::initialize(const Json& params) {
  if (const Json* options = member(params, "initializationOptions")) {
    if (const std::string* list = stringMember(*options, "extensionList")) {
      extensionListOption_ = *list;
    }
  }
  return Json{{"capabilities",
               {{"positionEncoding", "utf-16"},
                {"textDocumentSync",
                 {{"openClose", true}, {"change", 1}, {"save", {{"includeText", false}}}}},
                {"completionProvider", {{"triggerCharacters", {"=", "%"}}}},
                {"hoverProvider", true},
                {"definitionProvider", true},
                {"documentSymbolProvider", true},
                {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}}}},
              {"serverInfo", {{"name", "korvane-lsp"}}}};
}

void LanguageServer::handleNotification(const std::string& method, const Json& params,
                                        std::vector<Json>& out) {
  if (method == "exit") {
    exitRequested_ = true;
    return;
  }
  if (!initialized_ || shutdown_) return;
  const Json* textDocument = member(params, "textDocument");
  const std::string* uri = textDocument ? stringMember(*textDocument, "uri") : nullptr;
  if (uri == nullptr) return;
  if (method == "textDocument/didOpen") {
    const std::string* text = stringMember(*textDocument, "text");
    if (text == nullptr) return;
    open(*uri, *text, versionOf(*textDocument));
    check(documents_[*uri], out);
    return;
  }
  auto it = documents_.find(*uri);
  if (it == documents_.end()) return;
  DocumentState& state = it->second;
  if (method == "textDocument/didChange") {
    const Json* changes = member(params, "contentChanges");
    if (changes == nullptr || !changes->is_array() || changes->empty()) return;
    // Full sync: the last change holds the whole text.
    const std::string* text = stringMember(changes->back(), "text");
    if (text == nullptr) return;
    state.document.replace(*text, versionOf(*textDocument));
    check(state, out);
  } else if (method == "textDocument/didSave") {
    catalogs_.clear();
    if (const std::string* text = stringMember(params, "text")) {
      state.document.replace(*text, state.document.version());
    }
    refreshCatalog(state);
    check(state, out);
  } else if (method == "textDocument/didClose") {
    documents_.erase(it);
    out.push_back(Json{{"jsonrpc", "2.0"},
                       {"method", "textDocument/publishDiagnostics"},
                       {"params", {{"uri", *uri}, {"diagnostics", Json::array()}}}});
  }
}

DocumentState* LanguageServer::documentOf(const Json& params) {
  const Json* textDocument = member(params, "textDocument");
  const std::string* uri = textDocument ? stringMember(*textDocument, "uri") : nullptr;
  if (uri == nullptr) return nullptr;
  auto it = documents_.find(*uri);
  return it == documents_.end() ? nullptr : &it->second;
}

void LanguageServer::open(const std::string& uri, std::string text, long long version) {
  DocumentState& state = documents_[uri];
  state.document = TextDocument(uri, std::move(text), version);
  state.path = uriToPath(uri);
  state.directory = directoryOf(state.path);
  refreshCatalog(state);
}

void LanguageServer::refreshCatalog(DocumentState& state) {
  std::string list = extensionListOption_;
  if (list.empty()) {
    std::string beside = joinPath(state.directory, kExtensionListFileName);
    if (!state.path.empty() && fs_.exists(beside)) list = std::string(kExtensionListFileName);
  }
  state.extensionList = list;
  std::string path = list.empty() || isAbsolute(list) ? list : joinPath(state.directory, list);
  auto& catalog = catalogs_[path];
  if (catalog == nullptr) {
    auto loaded = std::make_shared<ItemCatalog>();
    if (!path.empty()) loaded->loadExtensionList(fs_, path);
    catalog = std::move(loaded);
  }
  state.catalog = catalog;
}

void LanguageServer::check(DocumentState& state, std::vector<Json>& out) {
  state.outline = outlineSkin(state.document);
  CompileRequest request;
  std::string fileName = state.path.empty() ? fileNameOf(state.document.uri()) : state.path;
  request.sourceName = fileName;
  request.sourceBytes = sourceBytesOf(state.document.text());
  request.baseDirectory = state.directory;
  request.skinName = stemOf(fileNameOf(fileName));
  request.extensionListFile = state.extensionList;
  request.sourceDateEpoch = 0;
  request.outputs = Outputs::kNone;
  request.allErrors = true;
  request.fileSystem = &fs_;
  CompileResult result;
  try {
    result = check_(request);
  } catch (const std::exception&) {
    // A failed check publishes what is known: nothing.
  }
  Json diagnostics = Json::array();
  state.diagnostics.clear();
  for (const Diagnostic& d : result.diagnostics) {
    bool here = d.file.empty() || d.file == request.sourceName;
    PublishedDiagnostic published;
    published.range =
        here ? rangeOf(state.document, d.line, d.column, d.endLine, d.endColumn) : Range{};
    published.message = d.message;
    published.code = d.code;
    published.suggestions = d.suggestions;
    Json json{{"range", toJson(published.range)},
              {"severity", severityOf(d.severity)},
              {"source", "korvane"},
              {"message", d.message}};
    if (!d.code.empty()) json["code"] = d.code;
    Json related = Json::array();
    auto relate = [&](const std::string& file, int line, int column, int endLine, int endColumn,
                      const std::string& message) {
      bool same = file.empty() || file == request.sourceName;
      std::string uri = same ? state.document.uri()
                             : pathToUri(isAbsolute(file) ? file : joinPath(state.directory, file));
      Range range = same ? rangeOf(state.document, line, column, endLine, endColumn)
                         : Range{Position{std::max(line - 1, 0), std::max(column - 1, 0)},
                                 Position{std::max(line - 1, 0), std::max(column - 1, 0)}};
      related.push_back(
          Json{{"location", {{"uri", uri}, {"range", toJson(range)}}}, {"message", message}});
    };
    if (!here) relate(d.file, d.line, d.column, 0, 0, d.message);
    for (const RelatedPlace& place : d.related) {
      relate(place.range.file, place.range.line, place.range.column, place.range.endLine,
             place.range.endColumn, place.message);
    }
    if (!related.empty()) json["relatedInformation"] = std::move(related);
    if (!d.suggestions.empty()) json["data"] = Json{{"suggestions", d.suggestions}};
    diagnostics.push_back(std::move(json));
    state.diagnostics.push_back(std::move(published));
  }
  out.push_back(Json{{"jsonrpc", "2.0"},
                     {"method", "textDocument/publishDiagnostics"},
                     {"params",
                      {{"uri", state.document.uri()},
                       {"version", state.document.version()},
                       {"diagnostics", std::move(diagnostics)}}}});
}

}  // namespace korvane::lsp
