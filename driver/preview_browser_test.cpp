// The HTML preview of the example skin as a real browser shows it: headless
// Chromium parses the page (every item is in its DOM with its name) and
// paints it (every colour swatch and every image file shows as a solid block
// of its colour, which a broken image never does). Skipped where no
// Chromium is installed.
#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "base/text.h"
#include "driver/test_process.h"
#include "inspect/item_names.h"
#include "inspect/skn_reader.h"
#include "source/item_id_registry.h"

namespace korvane {
namespace {

using namespace korvane::testing;

// A page this tall holds the example skin's preview with room to spare.
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 8000;
// Swatches are 32 pixels, images 40 or more: text never paints such a block.
constexpr int kBlock = 16;

std::optional<std::string> findBrowser() {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  for (const char* name : {"chromium-headless-shell", "chromium"}) {
    size_t start = 0;
    while (start <= dirs.size()) {
      size_t end = dirs.find(':', start);
      if (end == std::string::npos) end = dirs.size();
      std::filesystem::path candidate =
          std::filesystem::path(dirs.substr(start, end - start)) / name;
      if (!candidate.parent_path().empty() && ::access(candidate.c_str(), X_OK) == 0) {
        return candidate.string();
      }
      start = end + 1;
    }
  }
  return std::nullopt;
}

// Runs the browser in a process group of its own, so that a hung start can
// be ended with all the helper processes it spawned; its standard output
// goes to `outFile`.
bool runBrowser(const std::string& browser, const std::vector<std::string>& args,
                const std::string& outFile, const TempDir& dir) {
  pid_t pid = ::fork();
  if (pid == 0) {
    ::setpgid(0, 0);
    if (!std::freopen(outFile.c_str(), "wb", stdout) ||
        !std::freopen((dir.path() / "browser.log").c_str(), "wb", stderr)) {
      ::_exit(127);
    }
    std::vector<char*> argv{const_cast<char*>(browser.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(browser.c_str(), argv.data());
    ::_exit(127);
  }
  ::setpgid(pid, pid);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(-pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> browserFlags(const TempDir& profile) {
  return {"--headless",
          "--no-sandbox",
          "--disable-gpu",
          "--disable-quic",
          "--no-first-run",
          "--disable-background-networking",
          "--disable-component-update",
          "--disable-sync",
          "--disable-crash-reporter",
          "--hide-scrollbars",
          "--user-data-dir=" + profile.path().string()};
}

// The attributes of an element's start tag as the browser serialises it.
std::map<std::string, std::string> attributes(const std::string& tag) {
  std::map<std::string, std::string> result;
  size_t at = tag.find(' ');
  while (at != std::string::npos && at < tag.size()) {
    size_t equals = tag.find("=\"", at);
    if (equals == std::string::npos) break;
    size_t nameStart = tag.find_last_of(' ', equals) + 1;
    size_t close = tag.find('"', equals + 2);
    if (close == std::string::npos) break;
    std::string value = tag.substr(equals + 2, close - equals - 2);
    for (auto [entity, plain] : {std::pair{"&quot;", "\""},
                                 {"&lt;", "<"},
                                 {"&gt;", ">"},
                                 {"&#39;", "'"},
                                 {"&amp;", "&"}}) {
      for (size_t p = value.find(entity); p != std::string::npos; p = value.find(entity, p + 1)) {
        value.replace(p, std::string(entity).size(), plain);
      }
    }
    result[tag.substr(nameStart, equals - nameStart)] = value;
    at = close + 1;
  }
  return result;
}

// Every element of a tag name: its attributes and the markup up to its end tag.
struct Element {
  std::map<std::string, std::string> attributes;
  std::string inner;

  // The attribute's value; empty when the element has none.
  std::string operator[](const std::string& name) const {
    auto it = attributes.find(name);
    return it == attributes.end() ? std::string() : it->second;
  }
};
std::vector<Element> elements(const std::string& dom, const std::string& name) {
  std::vector<Element> found;
  const std::string open = "<" + name + " ";
  const std::string close = "</" + name + ">";
  for (size_t at = dom.find(open); at != std::string::npos; at = dom.find(open, at + 1)) {
    size_t tagEnd = dom.find('>', at);
    if (tagEnd == std::string::npos) break;
    Element element;
    element.attributes = attributes(dom.substr(at, tagEnd - at));
    size_t end = dom.find(close, tagEnd);
    element.inner = dom.substr(tagEnd + 1, end == std::string::npos ? 0 : end - tagEnd - 1);
    found.push_back(std::move(element));
  }
  return found;
}

using ItemKey = std::tuple<std::string, std::string>;  // restriction, "0xMAJOR,0xMINOR"

// The items of every list of the SKN file, by the restriction of their list.
void collectItems(const SknChunk& chunk, const std::string& restriction,
                  std::multiset<ItemKey>& items, std::set<uint32_t>& colours) {
  // Items are the chunks with an identifier pair.
  const SknField* id = chunk.field("id");
  if (id && id->kind == SknFieldKind::kItemId) {
    items.insert({restriction, format("0x%x,0x%x", static_cast<uint32_t>(id->value), id->minor)});
  }
  if (chunk.type == kSknColorTableItem) {
    for (const SknEntry& entry : chunk.entries) {
      if (entry.fields.size() == 2 && entry.fields[0].value == 0xFFFF) {
        colours.insert(static_cast<uint32_t>(entry.fields[1].value));  // red in the low byte
      }
    }
  }
  for (const SknChunk& child : chunk.children) {
    collectItems(child, chunk.restriction.empty() ? restriction : chunk.restriction, items,
                 colours);
  }
}

uint32_t littleEndian(const std::string& bytes, size_t at, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) {
    value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  return value;
}

// The one colour of a single-coloured example image (red in the low byte),
// or nothing: 24-bit uncompressed BMP files and SVG files with one fill.
std::optional<uint32_t> solidColour(const std::filesystem::path& file) {
  std::string bytes = readFile(file);
  if (file.extension() == ".bmp") {
    if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) return std::nullopt;
    uint32_t offset = littleEndian(bytes, 10, 4);
    uint32_t width = littleEndian(bytes, 18, 4);
    uint32_t height = littleEndian(bytes, 22, 4);
    if (littleEndian(bytes, 28, 2) != 24 || littleEndian(bytes, 30, 4) != 0) return std::nullopt;
    size_t stride = (width * 3 + 3) / 4 * 4;
    if (width == 0 || height == 0 || offset + stride * height > bytes.size()) return std::nullopt;
    std::optional<uint32_t> colour;
    for (uint32_t y = 0; y < height; ++y) {
      for (uint32_t x = 0; x < width; ++x) {
        size_t p = offset + y * stride + x * 3;  // blue, green, red
        uint32_t rgb = littleEndian(bytes, p + 2, 1) | littleEndian(bytes, p + 1, 1) << 8 |
                       littleEndian(bytes, p, 1) << 16;
        if (colour && *colour != rgb) return std::nullopt;
        colour = rgb;
      }
    }
    return colour;
  }
  if (file.extension() == ".svg") {
    std::set<std::string> fills;
    for (size_t at = bytes.find("fill=\"#"); at != std::string::npos;
         at = bytes.find("fill=\"#", at + 1)) {
      fills.insert(bytes.substr(at + 7, bytes.find('"', at + 7) - at - 7));
    }
    if (fills.size() != 1) return std::nullopt;
    std::string hex = *fills.begin();
    if (hex.size() == 3) hex = {hex[0], hex[0], hex[1], hex[1], hex[2], hex[2]};
    if (hex.size() != 6) return std::nullopt;
    uint32_t value = static_cast<uint32_t>(std::stoul(hex, nullptr, 16));
    return (value >> 16 & 0xFF) | (value & 0xFF00) | (value & 0xFF) << 16;
  }
  return std::nullopt;
}

struct Picture {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<unsigned char> rgb;
};

std::optional<Picture> readPng(const std::filesystem::path& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, file.c_str())) return std::nullopt;
  image.format = PNG_FORMAT_RGB;
  Picture picture;
  picture.width = image.width;
  picture.height = image.height;
  picture.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  return picture;
}

// The colours (red in the low byte) that fill a kBlock x kBlock square
// somewhere in the picture, among those asked for.
std::set<uint32_t> solidBlocks(const Picture& picture, const std::set<uint32_t>& wanted) {
  std::set<uint32_t> found;
  std::vector<uint32_t> across(picture.width, 0);  // run of equal pixels ending here, in this row
  std::vector<uint32_t> down(picture.width, 0);    // rows in a row with a run of kBlock here
  std::vector<uint32_t> colourAbove(picture.width, 0xFFFFFFFF);
  for (uint32_t y = 0; y < picture.height; ++y) {
    const unsigned char* row = picture.rgb.data() + static_cast<size_t>(y) * picture.width * 3;
    uint32_t previous = 0xFFFFFFFF;
    for (uint32_t x = 0; x < picture.width; ++x) {
      uint32_t rgb = row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
      across[x] = rgb == previous ? across[x - 1] + 1 : 1;
      previous = rgb;
      if (across[x] >= kBlock) {
        down[x] = colourAbove[x] == rgb ? down[x] + 1 : 1;
        colourAbove[x] = rgb;
        if (down[x] >= kBlock && wanted.count(rgb) != 0) found.insert(rgb);
      } else {
        down[x] = 0;
        colourAbove[x] = 0xFFFFFFFF;
      }
    }
  }
  return found;
}

TEST(PreviewInBrowser, DemoSkinShowsEveryItemWithItsNameItsColoursAndItsImages) {
  std::optional<std::string> browser = findBrowser();
  if (!browser) {
    GTEST_SKIP() << "no chromium-headless-shell or chromium on the PATH: the preview is not "
                    "rendered (.ci/run installs chromium-headless-shell)";
  }
  TempDir dir;
  std::filesystem::copy(KORVANE_EXAMPLES_DIR, dir.path(), std::filesystem::copy_options::recursive);
  ASSERT_EQ(runProcess(KORVANE_BINARY, {"DemoSkin.txt", "DemoSkin"}, dir).exitCode, 0);
  ProcessResult dump = runProcess(
      KORVANE_DUMP_BINARY,
      {"--html", "DemoSkin.html", "--list", "DemoSkin_MIFList.txt", "DemoSkin.skn"}, dir);
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  std::string url = "file://" + (dir.path() / "DemoSkin.html").string();

  TempDir profile;
  std::vector<std::string> args = browserFlags(profile);
  args.push_back("--dump-dom");
  args.push_back(url);
  std::string domFile = (dir.path() / "dom.html").string();
  ASSERT_TRUE(runBrowser(*browser, args, domFile, dir)) << dir.read("browser.log");
  std::string dom = dir.read("dom.html");
  ASSERT_NE(dom.find("</html>"), std::string::npos) << dom;

  // Every item of every list of the file is an article of its restriction,
  // and a pair the registry names shows that name.
  SknDecodeResult decoded = decodeSkn(dir.read("DemoSkin.skn"));
  ASSERT_TRUE(decoded.ok) << decoded.error.describe();
  std::multiset<ItemKey> expected;
  std::set<uint32_t> swatches;
  collectItems(decoded.root, "", expected, swatches);
  ItemIdRegistry registry;
  ItemNames names(registry);
  std::multiset<ItemKey> shown;
  for (const Element& article : elements(dom, "article")) {
    std::string id = article["data-id"];
    shown.insert(
        {article.attributes.count("data-restriction") ? article["data-restriction"] : "?", id});
    uint32_t major = 0;
    uint32_t minor = 0;
    ASSERT_EQ(std::sscanf(id.c_str(), "0x%x,0x%x", &major, &minor), 2) << id;
    std::string name = names.name(major, minor);
    if (name.empty()) continue;
    EXPECT_EQ(article["data-item"], name) << id;
    EXPECT_NE(article.inner.find("<h4 class=\"name\">" + name + "</h4>"), std::string::npos)
        << id << ": " << article.inner;
  }
  EXPECT_EQ(shown, expected);
  EXPECT_GE(expected.size(), 25u);

  // Every image the page shows is a file beside it; every example image file
  // the list names is shown. The example files all exist, so no placeholder
  // stands for a missing file.
  std::set<std::string> sources;
  for (const Element& image : elements(dom, "img")) {
    std::string src = image["src"];
    EXPECT_TRUE(std::filesystem::exists(dir.path() / src)) << src;
    sources.insert(src);
  }
  for (const Element& placeholder : elements(dom, "span")) {
    EXPECT_EQ(placeholder.attributes.count("data-file"), 0u) << placeholder["data-file"];
  }
  for (const char* file : {"images/background.bmp", "images/wait_3.bmp", "images/app_icon.svg",
                           "images/anim_2.svg", "images/battery.svg"}) {
    EXPECT_EQ(sources.count(file), 1u) << file;
  }

  args = browserFlags(profile);
  args.push_back(format("--window-size=%d,%d", kWindowWidth, kWindowHeight));
  args.push_back("--screenshot=" + (dir.path() / "page.png").string());
  args.push_back(url);
  ASSERT_TRUE(runBrowser(*browser, args, (dir.path() / "screenshot.log").string(), dir))
      << dir.read("browser.log");
  std::optional<Picture> picture = readPng(dir.path() / "page.png");
  ASSERT_TRUE(picture.has_value());
  ASSERT_EQ(picture->width, static_cast<uint32_t>(kWindowWidth));

  std::set<uint32_t> wanted = swatches;
  std::map<uint32_t, std::string> what;
  for (uint32_t colour : swatches) what[colour] = "colour swatch";
  for (const std::string& src : sources) {
    if (std::optional<uint32_t> colour = solidColour(dir.path() / src)) {
      wanted.insert(*colour);
      what[*colour] = src;
    }
  }
  EXPECT_GE(swatches.size(), 2u);
  EXPECT_GE(wanted.size(), 10u);
  std::set<uint32_t> found = solidBlocks(*picture, wanted);
  for (uint32_t colour : wanted) {
    EXPECT_EQ(found.count(colour), 1u)
        << what[colour]
        << format(": no %dx%d block of #%02x%02x%02x in the screenshot", kBlock, kBlock,
                  colour & 0xFF, colour >> 8 & 0xFF, colour >> 16 & 0xFF);
  }
}

}  // namespace
}  // namespace korvane
