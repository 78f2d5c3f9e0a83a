#include "lsp/language_server.h"

#include <gtest/gtest.h>

#include "base/memory_platform.h"

namespace korvane::lsp {
namespace {

constexpr const char* kUri = "file:///skins/ocean/ocean.txt";

constexpr const char* kSkin =
    "SKINTYPE scalable\n"
    "NAME 1 \"Ocean\"\n"
    "/ a comment line\n"
    "BITMAPPATH images\n"
    "BITMAP IID=QsnBgScreen c16 bg.bmp MASK=bg_mask.bmp\n"
    "FRAME IID=QsnFrList\n"
    "  IID=QsnBgScreen IID=QsnFrListCornerTr\n"
    "END\n"
    "RESTRICTION Orv_3_0\n"
    "BITMAP IID=QsnBgScreen c16 missing.bmp\n"
    "RESTRICTION NONE\n"
    "BITMAP IID=LAY_AH%QsnBgAreaMain c16 bg.bmp\n"
    "SCALABLEITEM IID=QsnBgAreaMainListGen REFIID=QsnBgScreen\n";

// The server behind a fake transport: every message goes through the framing
// both ways, and the compilation is a stand-in that records its requests.
class ServerTest : public ::testing::Test {
 protected:
  ServerTest() {
    fs.addFile("/skins/ocean/images/bg.bmp", "BM");
    fs.addFile("/skins/ocean/images/bg_mask.bmp", "BM");
    fs.addFile("/skins/ocean/images/wave.bmp", "BM");
  }

  std::vector<Json> send(const Json& message) {
    MessageReader in;
    in.feed(frameMessage(message));
    std::optional<std::string> body = in.next();
    EXPECT_TRUE(body.has_value());
    std::vector<Json> replies = server.handle(body.value_or(""));
    MessageReader out;
    std::vector<Json> read;
    for (const Json& reply : replies) out.feed(frameMessage(reply));
    while (auto text = out.next()) read.push_back(Json::parse(*text));
    return read;
  }

  Json request(const std::string& method, Json params) {
    std::vector<Json> replies =
        send(Json{{"jsonrpc", "2.0"}, {"id", ++lastId}, {"method", method}, {"params", params}});
    EXPECT_EQ(1u, replies.size());
    if (replies.empty()) return nullptr;
    EXPECT_EQ(lastId, replies[0]["id"]);
    return replies[0];
  }

  std::vector<Json> notify(const std::string& method, Json params) {
    return send(Json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
  }

  void initialize(Json options = Json::object()) {
    Json reply = request("initialize", Json{{"initializationOptions", options}});
    ASSERT_TRUE(reply.contains("result"));
    notify("initialized", Json::object());
  }

  // The diagnostics published for the document.
  Json open(const std::string& text, const std::string& uri = kUri) {
    std::vector<Json> published =
        notify("textDocument/didOpen",
               Json{{"textDocument",
                     {{"uri", uri}, {"languageId", "korvane"}, {"version", 1}, {"text", text}}}});
    EXPECT_EQ(1u, published.size());
    return published.empty() ? Json() : published[0]["params"];
  }

  Json at(const std::string& method, int line, int character, const std::string& uri = kUri) {
    return request(method,
                   Json{{"textDocument", {{"uri", uri}}},
                        {"position", {{"line", line}, {"character", character}}}})["result"];
  }

  static std::vector<std::string> labels(const Json& completion) {
    std::vector<std::string> result;
    for (const Json& item : completion["items"]) result.push_back(item["label"]);
    return result;
  }
  static bool has(const std::vector<std::string>& list, const std::string& word) {
    return std::find(list.begin(), list.end(), word) != list.end();
  }

  MemoryFileSystem fs;
  MemoryDirectoryListing listing{fs};
  std::vector<CompileRequest> checks;
  CompileResult result;
  LanguageServer server{fs, listing, [this](const CompileRequest& r) {
                          checks.push_back(r);
                          return result;
                        }};
  int lastId = 0;
};

TEST_F(ServerTest, LifecycleAndProtocolErrors) {
  Json early = request("textDocument/hover", Json::object());
  EXPECT_EQ(kServerNotInitialized, early["error"]["code"]);
  EXPECT_TRUE(notify("textDocument/didOpen", Json::object()).empty());

  Json init = request("initialize", Json::object());
  const Json& capabilities = init["result"]["capabilities"];
  EXPECT_EQ("utf-16", capabilities["positionEncoding"]);
  EXPECT_EQ(1, capabilities["textDocumentSync"]["change"]);
  EXPECT_TRUE(capabilities["hoverProvider"]);
  EXPECT_EQ(kInvalidRequest, request("initialize", Json::object())["error"]["code"]);

  EXPECT_EQ(kMethodNotFound, request("workspace/symbol", Json::object())["error"]["code"]);
  EXPECT_TRUE(notify("$/cancelRequest", Json{{"id", 1}}).empty());
  // Parameters of the wrong shape are an answer of nothing, not a failure.
  EXPECT_TRUE(request("textDocument/hover", Json{{"textDocument", 5}})["result"].is_null());
  EXPECT_TRUE(request("textDocument/hover", Json::array())["result"].is_null());

  std::vector<Json> bad = server.handle("{not json");
  ASSERT_EQ(1u, bad.size());
  EXPECT_EQ(kParseError, bad[0]["error"]["code"]);
  EXPECT_EQ(kInvalidRequest, server.handle("[1,2]")[0]["error"]["code"]);
  EXPECT_EQ(kInvalidRequest, server.handle("{\"id\":{},\"method\":\"x\"}")[0]["error"]["code"]);
  EXPECT_TRUE(server.handle("{\"id\":7,\"result\":null}").empty());
  // Deeply nested parameters are neither copied nor walked.
  std::string deep = "{\"jsonrpc\":\"2.0\",\"id\":8,\"method\":\"textDocument/hover\",\"params\":" +
                     std::string(200000, '[') + std::string(200000, ']') + "}";
  EXPECT_TRUE(server.handle(deep)[0]["result"].is_null());

  EXPECT_TRUE(request("shutdown", nullptr)["result"].is_null());
  EXPECT_EQ(kInvalidRequest, request("textDocument/hover", Json::object())["error"]["code"]);
  EXPECT_FALSE(server.exitRequested());
  notify("exit", nullptr);
  EXPECT_TRUE(server.exitRequested());
  EXPECT_EQ(0, server.exitCode());
}

TEST_F(ServerTest, ExitWithoutShutdownEndsWithOne) {
  initialize();
  notify("exit", nullptr);
  EXPECT_TRUE(server.exitRequested());
  EXPECT_EQ(1, server.exitCode());
}

TEST_F(ServerTest, DiagnosticsFromACheckOnlyCompilationOnOpenChangeAndSave) {
  initialize();
  Diagnostic error;
  error.severity = Severity::kError;
  error.code = "content.item-already-defined";
  error.message = "Item already defined";
  error.file = "/skins/ocean/ocean.txt";
  error.line = 5;
  error.column = 8;
  error.endLine = 5;
  error.endColumn = 23;
  error.related.push_back(
      RelatedPlace{SourceRange{"/skins/ocean/ocean.txt", 4, 8, 4, 23}, "first defined here"});
  Diagnostic note;
  note.severity = Severity::kNote;
  note.message = "placed without a column";
  note.line = 2;
  Diagnostic list;
  list.severity = Severity::kWarning;
  list.message = "in the extension list";
  list.file = "/skins/ocean/korvane-items.txt";
  list.line = 3;
  list.column = 1;
  result.diagnostics = {error, note, list};
  fs.addFile("/skins/ocean/korvane-items.txt", "IID \"KTavsIIDOceanWave\" 0x10005A26 0x9000\n");

  Json published = open(kSkin);
  ASSERT_EQ(1u, checks.size());
  const CompileRequest& check = checks[0];
  EXPECT_EQ(Outputs::kNone, check.outputs);
  EXPECT_EQ("/skins/ocean", check.baseDirectory);
  EXPECT_EQ("/skins/ocean/ocean.txt", check.sourceName);
  EXPECT_EQ("ocean", check.skinName);
  EXPECT_EQ("korvane-items.txt", check.extensionListFile);
  EXPECT_EQ(kSkin, check.sourceBytes);
  EXPECT_EQ(&fs, check.fileSystem);

  EXPECT_EQ(kUri, published["uri"]);
  EXPECT_EQ(1, published["version"]);
  const Json& diagnostics = published["diagnostics"];
  ASSERT_EQ(3u, diagnostics.size());
  EXPECT_EQ(1, diagnostics[0]["severity"]);
  EXPECT_EQ("content.item-already-defined", diagnostics[0]["code"]);
  EXPECT_EQ(
      (Json{{"start", {{"line", 4}, {"character", 7}}}, {"end", {{"line", 4}, {"character", 22}}}}),
      diagnostics[0]["range"]);
  const Json& related = diagnostics[0]["relatedInformation"][0];
  EXPECT_EQ(kUri, related["location"]["uri"]);
  EXPECT_EQ(
      (Json{{"start", {{"line", 3}, {"character", 7}}}, {"end", {{"line", 3}, {"character", 22}}}}),
      related["location"]["range"]);
  EXPECT_EQ("first defined here", related["message"]);
  // No column: the whole line.
  EXPECT_EQ(3, diagnostics[1]["severity"]);
  EXPECT_EQ(
      (Json{{"start", {{"line", 1}, {"character", 0}}}, {"end", {{"line", 1}, {"character", 14}}}}),
      diagnostics[1]["range"]);
  // Another file: shown at the top, pointing there.
  EXPECT_EQ(2, diagnostics[2]["severity"]);
  EXPECT_EQ(0, diagnostics[2]["range"]["start"]["line"]);
  EXPECT_EQ("file:///skins/ocean/korvane-items.txt",
            diagnostics[2]["relatedInformation"][0]["location"]["uri"]);

  // The buffer is fixed: the next check finds nothing and the list is emptied.
  result.diagnostics.clear();
  std::vector<Json> changed =
      notify("textDocument/didChange",
             Json{{"textDocument", {{"uri", kUri}, {"version", 2}}},
                  {"contentChanges",
                   Json::array({Json{{"text", "SKINTYPE scalable\nNAME 1 \"D\xC3\xA9mo\"\n"}}})}});
  ASSERT_EQ(1u, changed.size());
  EXPECT_EQ(2, changed[0]["params"]["version"]);
  EXPECT_TRUE(changed[0]["params"]["diagnostics"].empty());
  // Text beyond ASCII goes to the compiler as UTF-8 behind its mark.
  EXPECT_EQ("\xEF\xBB\xBFSKINTYPE scalable\nNAME 1 \"D\xC3\xA9mo\"\n", checks.back().sourceBytes);

  EXPECT_EQ(1u, notify("textDocument/didSave", Json{{"textDocument", {{"uri", kUri}}}}).size());
  EXPECT_EQ(3u, checks.size());
  std::vector<Json> closed =
      notify("textDocument/didClose", Json{{"textDocument", {{"uri", kUri}}}});
  ASSERT_EQ(1u, closed.size());
  EXPECT_TRUE(closed[0]["params"]["diagnostics"].empty());
  EXPECT_EQ(nullptr, server.document(kUri));
}

TEST_F(ServerTest, ExtensionListFromTheInitializationOptions) {
  fs.addFile("/lists/items.txt", "IID \"KTavsIIDOceanWave\" 0x10005A26 0x9000\n");
  initialize(Json{{"extensionList", "/lists/items.txt"}});
  open("SKINTYPE scalable\nNAME 1 \"O\"\nBITMAP IID=Ocean\nBITMAP IID=OceanWave c16 a.bmp\n");
  EXPECT_EQ("/lists/items.txt", checks[0].extensionListFile);
  Json completion = at("textDocument/completion", 2, 16);
  ASSERT_EQ(1u, completion["items"].size());
  EXPECT_EQ("OceanWave", completion["items"][0]["label"]);
  EXPECT_EQ("0x10005A26 0x9000 (extension list)", completion["items"][0]["detail"]);
  Json hover = at("textDocument/hover", 3, 12);
  EXPECT_NE(std::string::npos,
            hover["contents"]["value"].get<std::string>().find("(from /lists/items.txt)"));
}

TEST_F(ServerTest, CompletesKeywordsKeysValuesItemNamesAndImages) {
  initialize();
  open(std::string(kSkin) +
       "CO\n"
       "BITMAP IID=QsnBgScreen c16 bg.bmp AL\n"
       "BITMAP IID=QsnBgScreen c16 bg.bmp ALIGN=C\n"
       "BITMAP IID=QsnBgScr\n"
       "BITMAP IID=orv_3\n"
       "BITMAP IID=Orv_3_0%QsnBgScr\n"
       "BITMAP IID=QsnBgScreen c16 w\n"
       "FRAME IID=QsnFrList\n"
       "  \n"
       "END\n"
       "RESTRICTION \n"
       "NAME 1 \"IID=\n");
  // Line 13: a keyword being typed.
  std::vector<std::string> keywords = labels(at("textDocument/completion", 13, 2));
  EXPECT_TRUE(has(keywords, "COLORTABLE"));
  EXPECT_TRUE(has(keywords, "COPYRIGHT"));
  EXPECT_FALSE(has(keywords, "BITMAP"));
  EXPECT_TRUE(has(labels(at("textDocument/completion", 13, 0)), "BITMAP"));
  // The parameter keys of the element being written, image attributes included.
  EXPECT_EQ(std::vector<std::string>{"ALIGN="}, labels(at("textDocument/completion", 14, 36)));
  std::vector<std::string> alignments = labels(at("textDocument/completion", 15, 41));
  EXPECT_EQ((std::vector<std::string>{"CL", "CC", "CR"}), alignments);
  // Item names, with their pair; restriction prefixes too.
  Json items = at("textDocument/completion", 16, 19);
  ASSERT_FALSE(items["items"].empty());
  EXPECT_EQ("QsnBgScreen", items["items"][0]["label"]);
  EXPECT_EQ("0x10005A26 0x1000", items["items"][0]["detail"]);
  EXPECT_EQ(11, items["items"][0]["textEdit"]["range"]["start"]["character"]);
  std::vector<std::string> prefixes = labels(at("textDocument/completion", 17, 16));
  EXPECT_TRUE(has(prefixes, "Orv_3_0%"));
  EXPECT_TRUE(has(prefixes, "Orv_3_2%"));
  Json behindPrefix = at("textDocument/completion", 18, 27);
  ASSERT_FALSE(behindPrefix["items"].empty());
  EXPECT_EQ("QsnBgScreen", behindPrefix["items"][0]["label"]);
  EXPECT_EQ(19, behindPrefix["items"][0]["textEdit"]["range"]["start"]["character"]);
  // Image files of the bitmap directory after a colour depth.
  EXPECT_EQ(std::vector<std::string>{"wave.bmp"}, labels(at("textDocument/completion", 19, 28)));
  // A block's body: its keys, the colour depths of an inline image and END.
  std::vector<std::string> body = labels(at("textDocument/completion", 21, 2));
  EXPECT_TRUE(has(body, "IID="));
  EXPECT_TRUE(has(body, "c16"));
  EXPECT_TRUE(has(body, "END"));
  EXPECT_FALSE(has(body, "BITMAP"));
  std::vector<std::string> specifiers = labels(at("textDocument/completion", 23, 12));
  EXPECT_TRUE(has(specifiers, "LAY_AH"));
  EXPECT_TRUE(has(specifiers, "NONE"));
  EXPECT_TRUE(has(specifiers, "LANG="));
  // Nothing inside a string or a comment line.
  EXPECT_TRUE(at("textDocument/completion", 24, 12)["items"].empty());
  EXPECT_TRUE(at("textDocument/completion", 2, 3)["items"].empty());
}

TEST_F(ServerTest, ManyItemNamesComeAPageAtATime) {
  initialize();
  open("SKINTYPE scalable\nNAME 1 \"O\"\nBITMAP IID=\n");
  Json all = at("textDocument/completion", 2, 11);
  EXPECT_TRUE(all["isIncomplete"]);
  EXPECT_LE(all["items"].size(), 220u);
}

TEST_F(ServerTest, HoverOnItemsKeywordsAndImages) {
  initialize();
  open(kSkin);
  Json item = at("textDocument/hover", 6, 8);
  std::string text = item["contents"]["value"];
  EXPECT_NE(std::string::npos, text.find("`KTavsIIDQsnBgScreen` 0x10005A26 0x1000"));
  EXPECT_NE(std::string::npos, text.find("BITMAP, line 5 (no restriction)"));
  EXPECT_NE(std::string::npos, text.find("BITMAP, line 10 (Orv_3_0)"));
  EXPECT_EQ(6, item["range"]["start"]["line"]);
  EXPECT_EQ(2, item["range"]["start"]["character"]);
  std::string undefined = at("textDocument/hover", 6, 20)["contents"]["value"];
  EXPECT_NE(std::string::npos, undefined.find("Not defined in this skin."));

  std::string keyword = at("textDocument/hover", 5, 2)["contents"]["value"];
  EXPECT_EQ("`FRAME`: nine-part frame", keyword);

  std::string image = at("textDocument/hover", 4, 28)["contents"]["value"];
  EXPECT_EQ("Image `/skins/ocean/images/bg.bmp`", image);
  std::string mask = at("textDocument/hover", 4, 40)["contents"]["value"];
  EXPECT_EQ("Image `/skins/ocean/images/bg_mask.bmp`", mask);
  std::string missing = at("textDocument/hover", 9, 30)["contents"]["value"];
  EXPECT_EQ("Image `/skins/ocean/images/missing.bmp`: no such file", missing);
  EXPECT_TRUE(at("textDocument/hover", 2, 3).is_null());
  EXPECT_TRUE(at("textDocument/hover", 400, 3).is_null());
}

TEST_F(ServerTest, DefinitionOfImagesAndOfItemsTheSkinDefines) {
  initialize();
  open(kSkin);
  Json image = at("textDocument/definition", 4, 28);
  EXPECT_EQ("file:///skins/ocean/images/bg.bmp", image["uri"]);
  EXPECT_TRUE(at("textDocument/definition", 9, 30).is_null());

  Json definitions = at("textDocument/definition", 6, 8);
  ASSERT_EQ(2u, definitions.size());
  EXPECT_EQ(kUri, definitions[0]["uri"]);
  EXPECT_EQ((Json{{"start", {{"line", 4}, {"character", 11}}},
                  {"end", {{"line", 4}, {"character", 22}}}}),
            definitions[0]["range"]);
  EXPECT_EQ(9, definitions[1]["range"]["start"]["line"]);
  // REFIID= names an item too; an item the skin does not define has none.
  EXPECT_EQ(2u, at("textDocument/definition", 12, 45).size());
  EXPECT_TRUE(at("textDocument/definition", 6, 20).is_null());
}

TEST_F(ServerTest, SymbolsAreTheItemsGroupedByRestriction) {
  initialize();
  open(kSkin);
  Json symbols =
      request("textDocument/documentSymbol", Json{{"textDocument", {{"uri", kUri}}}})["result"];
  ASSERT_EQ(3u, symbols.size());
  EXPECT_EQ("No restriction", symbols[0]["name"]);
  ASSERT_EQ(3u, symbols[0]["children"].size());
  EXPECT_EQ("QsnBgScreen", symbols[0]["children"][0]["name"]);
  EXPECT_EQ("BITMAP", symbols[0]["children"][0]["detail"]);
  EXPECT_EQ("QsnFrList", symbols[0]["children"][1]["name"]);
  EXPECT_EQ("QsnBgAreaMainListGen", symbols[0]["children"][2]["name"]);
  EXPECT_EQ("Orv_3_0", symbols[1]["name"]);
  EXPECT_EQ("LAY_AH", symbols[2]["name"]);
  EXPECT_EQ("QsnBgAreaMain", symbols[2]["children"][0]["name"]);
  EXPECT_EQ(11, symbols[2]["children"][0]["selectionRange"]["start"]["line"]);
  EXPECT_EQ(18, symbols[2]["children"][0]["selectionRange"]["start"]["character"]);
}

TEST_F(ServerTest, AQuickFixForEverySuggestion) {
  initialize();
  Diagnostic typo;
  typo.code = "parse.no-item-match";
  typo.message = "No match found for item ID \"QsnBgScren\"";
  typo.line = 3;
  typo.column = 12;
  typo.endLine = 3;
  typo.endColumn = 22;
  typo.suggestions = {"QsnBgScreen", "QsnBgScreenA"};
  result.diagnostics = {typo};
  Json published = open("SKINTYPE scalable\nNAME 1 \"O\"\nBITMAP IID=QsnBgScren c16 a.bmp\n");
  EXPECT_EQ("QsnBgScreen", published["diagnostics"][0]["data"]["suggestions"][0]);
  Json actions = request("textDocument/codeAction",
                         Json{{"textDocument", {{"uri", kUri}}},
                              {"range",
                               {{"start", {{"line", 2}, {"character", 13}}},
                                {"end", {{"line", 2}, {"character", 13}}}}},
                              {"context", {{"diagnostics", Json::array()}}}})["result"];
  ASSERT_EQ(2u, actions.size());
  EXPECT_EQ("quickfix", actions[0]["kind"]);
  EXPECT_TRUE(actions[0]["isPreferred"]);
  const Json& edit = actions[0]["edit"]["changes"][kUri][0];
  EXPECT_EQ("QsnBgScreen", edit["newText"]);
  EXPECT_EQ(11, edit["range"]["start"]["character"]);
  EXPECT_EQ(21, edit["range"]["end"]["character"]);
  EXPECT_EQ("QsnBgScreenA", actions[1]["edit"]["changes"][kUri][0]["newText"]);
  Json elsewhere = request("textDocument/codeAction",
                           Json{{"textDocument", {{"uri", kUri}}},
                                {"range",
                                 {{"start", {{"line", 0}, {"character", 0}}},
                                  {"end", {{"line", 1}, {"character", 0}}}}}})["result"];
  EXPECT_TRUE(elsewhere.empty());
}

}  // namespace
}  // namespace korvane::lsp
