// The real korvane-lsp over pipes: a whole session, and its command line.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "driver/test_process.h"
#include "lsp/json_rpc.h"

namespace korvane::lsp {
namespace {

using korvane::testing::TempDir;

struct Session {
  int exitCode = -1;
  std::vector<Json> messages;
  std::string err;
};

// Writes `input` to the server's standard input through a pipe, closes it and
// reads everything the server writes until it ends.
Session runServer(const std::string& input, const std::vector<std::string>& args = {}) {
  int in[2], out[2], err[2];
  EXPECT_EQ(0, ::pipe(in));
  EXPECT_EQ(0, ::pipe(out));
  EXPECT_EQ(0, ::pipe(err));
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
    std::vector<char*> argv{const_cast<char*>(KORVANE_LSP_BINARY)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(KORVANE_LSP_BINARY, argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  // Small sessions fit the pipes, so writing all first cannot block.
  size_t written = 0;
  while (written < input.size()) {
    ssize_t n = ::write(in[1], input.data() + written, input.size() - written);
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  ::close(in[1]);
  Session session;
  MessageReader reader;
  char buffer[4096];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) {
    reader.feed(std::string_view(buffer, static_cast<size_t>(n)));
  }
  while (auto body = reader.next()) session.messages.push_back(Json::parse(*body));
  EXPECT_FALSE(reader.broken());
  for (ssize_t n; (n = ::read(err[0], buffer, sizeof buffer)) > 0;) {
    session.err.append(buffer, static_cast<size_t>(n));
  }
  ::close(out[0]);
  ::close(err[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  session.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return session;
}

std::string message(const std::string& method, Json params, int id = 0) {
  Json m{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
  if (id != 0) m["id"] = id;
  return frameMessage(m);
}

std::set<std::string> filesIn(const std::filesystem::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    names.insert(entry.path().string());
  }
  return names;
}

TEST(KorvaneLspBinary, ASessionOverPipesChecksTheBufferAndWritesNoFile) {
  TempDir dir;
  dir.write("images/bg.bmp", "BM");
  dir.write("skin.txt", "");
  std::string uri = "file://" + (dir.path() / "skin.txt").string();
  std::set<std::string> before = filesIn(dir.path());
  std::string text =
      "SKINTYPE scalable\nNAME 1 \"Pipes\"\nBITMAPPATH images\nBITMAP IID=QsnBgScren c16 bg.bmp\n";
  std::string input =
      message("initialize", Json{{"processId", nullptr}, {"capabilities", Json::object()}}, 1) +
      message("initialized", Json::object()) +
      message("textDocument/didOpen",
              Json{{"textDocument",
                    {{"uri", uri}, {"languageId", "korvane"}, {"version", 1}, {"text", text}}}}) +
      message(
          "textDocument/hover",
          Json{{"textDocument", {{"uri", uri}}}, {"position", {{"line", 3}, {"character", 27}}}},
          2) +
      message("textDocument/codeAction",
              Json{{"textDocument", {{"uri", uri}}},
                   {"range",
                    {{"start", {{"line", 3}, {"character", 12}}},
                     {"end", {{"line", 3}, {"character", 12}}}}},
                   {"context", {{"diagnostics", Json::array()}}}},
              4) +
      message("shutdown", nullptr, 3) + message("exit", nullptr);
  Session session = runServer(input);
  EXPECT_EQ(0, session.exitCode) << session.err;
  ASSERT_EQ(5u, session.messages.size());
  EXPECT_EQ("utf-16", session.messages[0]["result"]["capabilities"]["positionEncoding"]);
  const Json& published = session.messages[1]["params"];
  EXPECT_EQ(uri, published["uri"]);
  // The compiler's notes come as information; the error is the one of severity 1.
  Json error;
  for (const Json& d : published["diagnostics"]) {
    if (d["severity"] == 1) error = d;
  }
  ASSERT_TRUE(error.is_object()) << published.dump();
  EXPECT_EQ("No match found for item ID \"QsnBgScren\"", error["message"]);
  EXPECT_EQ(3, error["range"]["start"]["line"]);
  EXPECT_EQ(11, error["range"]["start"]["character"]);
  std::string hover = session.messages[2]["result"]["contents"]["value"];
  EXPECT_NE(std::string::npos, hover.find("images/bg.bmp`")) << hover;
  // The compiler's "did you mean" is the quick fix.
  EXPECT_EQ("QsnBgScreen", error["data"]["suggestions"][0]);
  const Json& actions = session.messages[3]["result"];
  ASSERT_FALSE(actions.empty());
  EXPECT_EQ("QsnBgScreen", actions[0]["edit"]["changes"][uri][0]["newText"]);
  EXPECT_TRUE(session.messages[4]["result"].is_null());
  EXPECT_EQ(before, filesIn(dir.path()));
}

TEST(KorvaneLspBinary, EndsOnBrokenFramingOrAClosedInput) {
  Session broken = runServer("Content-Length: nope\r\n\r\n{}");
  EXPECT_EQ(1, broken.exitCode);
  EXPECT_NE(std::string::npos, broken.err.find("malformed Content-Length"));
  // Input closed without exit: ends with 1 as after an exit without shutdown.
  EXPECT_EQ(1, runServer(message("initialize", Json::object(), 1)).exitCode);
}

TEST(KorvaneLspBinary, CommandLine) {
  TempDir dir;
  korvane::testing::ProcessResult help =
      korvane::testing::runProcess(KORVANE_LSP_BINARY, {"--help"}, dir);
  EXPECT_EQ(0, help.exitCode);
  EXPECT_EQ(0u, help.out.find("Usage: korvane-lsp"));
  korvane::testing::ProcessResult version =
      korvane::testing::runProcess(KORVANE_LSP_BINARY, {"--version"}, dir);
  EXPECT_EQ(0u, version.out.find("korvane-lsp "));
  korvane::testing::ProcessResult bad =
      korvane::testing::runProcess(KORVANE_LSP_BINARY, {"--tcp"}, dir);
  EXPECT_EQ(2, bad.exitCode);
  EXPECT_EQ(
      "korvane-lsp: unrecognized option '--tcp'\nTry 'korvane-lsp --help' for more information.\n",
      bad.err);
  // What VS Code's client passes.
  EXPECT_EQ(0, runServer(message("initialize", Json::object(), 1) +
                             message("shutdown", nullptr, 2) + message("exit", nullptr),
                         {"--stdio"})
                   .exitCode);
}

}  // namespace
}  // namespace korvane::lsp
