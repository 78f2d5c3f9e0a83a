#include "lsp/json_rpc.h"

#include <gtest/gtest.h>

namespace korvane::lsp {
namespace {

TEST(MessageReader, FramesBodiesArrivingInPiecesOrTogether) {
  MessageReader reader;
  std::string two = frameMessage(Json{{"a", 1}}) +
                    "content-length: 7\r\nContent-Type: application/vscode-jsonrpc; "
                    "charset=utf-8\r\n\r\n{\"b\":2}";
  // Byte by byte: nothing until a body is whole.
  size_t bodies = 0;
  for (char c : two) {
    reader.feed(std::string_view(&c, 1));
    while (auto body = reader.next()) {
      ++bodies;
      EXPECT_EQ(bodies == 1 ? "{\"a\":1}" : "{\"b\":2}", *body);
    }
  }
  EXPECT_EQ(2u, bodies);

  MessageReader together;
  together.feed(two);
  EXPECT_EQ("{\"a\":1}", together.next().value_or(""));
  EXPECT_EQ("{\"b\":2}", together.next().value_or(""));
  EXPECT_FALSE(together.next());
  EXPECT_FALSE(together.broken());
}

TEST(MessageReader, RefusesHeadersItCannotTrust) {
  for (std::string header :
       {"Content-Length: x\r\n\r\n", "Content-Type: a\r\n\r\n", "Content-Length: -1\r\n\r\n",
        "Content-Length: 99999999999\r\n\r\n", "Content-Length: 999999999999999999999\r\n\r\n"}) {
    MessageReader reader;
    reader.feed(header + "{}");
    EXPECT_FALSE(reader.next()) << header;
    EXPECT_TRUE(reader.broken()) << header;
  }
  MessageReader endless;
  endless.feed(std::string(MessageReader::kMaxHeader + 1, 'x'));
  EXPECT_FALSE(endless.next());
  EXPECT_TRUE(endless.broken());
}

TEST(FrameMessage, CountsBytesAndReplacesBrokenUtf8) {
  std::string framed = frameMessage(Json{{"t", "\xC3\xA9"}});
  EXPECT_EQ("Content-Length: 10\r\n\r\n{\"t\":\"\xC3\xA9\"}", framed);
  std::string broken = dumpJson(Json{{"t", std::string("\xFF")}});
  EXPECT_EQ("{\"t\":\"\xEF\xBF\xBD\"}", broken);
}

}  // namespace
}  // namespace korvane::lsp
