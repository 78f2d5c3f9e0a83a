#include "tools/bench/description_generator.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace korvane {

namespace {

// Items follow each other in segments under one RESTRICTION element; the
// segments cycle through no restriction, a release, both layouts and a
// language (a new language code each time, so that every language wrapper of
// the SKN file holds only its own segment).
constexpr size_t kSegmentItems = 60;
// Inside a segment the item kinds cycle in this many steps (see writeItem).
constexpr size_t kKinds = 12;
// Inline frame parts and animation bitmaps share this many image files.
constexpr size_t kSharedImages = 64;

constexpr uint32_t kItemMajor = 0x20001001;
constexpr uint32_t kPartMajor = 0x20001002;
constexpr uint32_t kAppIconUidBase = 0x30000000;

// Item prefixes used in unrestricted segments (every fifth item).
constexpr const char* kItemPrefixes[] = {"Orv_3_1%", "LAY_W%", "Orv_5_0%", "LAY_AH%", "Orv_3_0%"};
constexpr const char* kAnimModes[] = {"MODE=cycle", "MODE=bounce", "MODE=play", "MODE=svganim"};

std::string digits(size_t i) {
  char text[32];
  std::snprintf(text, sizeof text, "%06zu", i);
  return text;
}

std::string hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

class Generator {
 public:
  explicit Generator(size_t itemCount) : count_(itemCount) {}

  GeneratedSkin run() {
    writeOpening();
    for (size_t i = 0; i < count_; ++i) {
      if (i % kSegmentItems == 0) startSegment(i / kSegmentItems);
      writeItem(i);
    }
    writeExtensionList();
    for (size_t k = 0; k < kSharedImages && count_ > 0; ++k) {
      skin_.imageFiles.push_back("bench_shared_" + std::to_string(k) + ".bmp");
    }
    return std::move(skin_);
  }

 private:
  void line(const std::string& text) {
    skin_.description += text;
    skin_.description += "\r\n";
  }

  // An image file that this item alone names.
  std::string ownImage(const std::string& name) {
    skin_.imageFiles.push_back(name);
    return name;
  }

  static std::string name(size_t i) { return "Bench" + digits(i); }
  static std::string partName(size_t i) { return "BenchPart" + digits(i); }
  static std::string sharedImage(size_t i) {
    return "bench_shared_" + std::to_string(i % kSharedImages) + ".bmp";
  }

  // The item reference of an item definition: every fifth item of an
  // unrestricted segment carries a restriction prefix of its own.
  std::string iid(size_t i, const char* key = "IID=") const {
    std::string prefix = unrestricted_ && i % 5 == 0 ? kItemPrefixes[(i / 5) % 5] : "";
    return key + prefix + name(i);
  }

  void writeOpening() {
    line("/ Generated benchmark skin: every item kind under several restrictions.");
    line("SKINTYPE scalable");
    line("UID 0x2000BEEF");
    line("NAME 1 \"Benchmark Skin\"");
    line("NAME 2 \"Peau de r<0xE9>f<0xE9>rence\"");
    line("AUTHOR \"Korvane benchmarks\"");
    line("COPYRIGHT \"Copyright <169> the Korvane authors\"");
    line("TOOL \"generate_description\"");
    line("TARGETDEVICE \"Handset A\"");
    line("PALETTE SCHEME=2");
    line(std::string("BITMAPPATH ") + kBenchImageDirectory);
  }

  void startSegment(size_t segment) {
    line("/ Segment " + std::to_string(segment));
    unrestricted_ = false;
    switch (segment % 5) {
      case 0:
        line("RESTRICTION NONE");
        unrestricted_ = true;
        break;
      case 1:
        line("RESTRICTION Orv_3_0");
        break;
      case 2:
        line("RESTRICTION LAY_W");
        break;
      case 3:
        line("RESTRICTION LAY_AH");
        break;
      default:
        line("RESTRICTION LANG=" + std::to_string(1 + segment / 5));
        break;
    }
  }

  void writeItem(size_t i) {
    switch (i % kKinds) {
      case 0:
        writeNamedBitmap(i);
        break;
      case 1:
        line("BITMAP c24 " + ownImage("bench_" + digits(i) + ".bmp") + " STRETCH ALIGN=CC");
        break;
      case 2:
        line(std::string("BITMAP ") + (i % 24 == 2 ? "CLASS=appicon " : "") + iid(i) + " c16 " +
             ownImage("bench_pic_" + digits(i) + ".svg") + " SOFTMASK TILEX TILEY");
        break;
      case 3:
        writeFrame(i);
        break;
      case 4:
        writeColorTable(i);
        break;
      case 5:
        line("STRING " + iid(i) + " \"Bench string " + digits(i) + " <169> <0x41>\"");
        break;
      case 6:
        line("SOUND " + iid(i) + " \"sounds\\bench_" + digits(i) + ".aac\"");
        break;
      case 7:
        writeBmpAnim(i);
        break;
      case 8:
        writeAppIcon(i);
        break;
      case 9:
        writeScalableItem(i);
        break;
      case 10:
        writeScalableRef(i);
        break;
      default:
        writeAnimation(i);
        break;
    }
  }

  void writeNamedBitmap(size_t i) {
    std::string file = ownImage("bench_pic_" + digits(i) + ".bmp");
    line("BITMAP " + iid(i) + " c16 " + file + " MASK=bench_mask_" + digits(i) +
         ".bmp COORDS=0,0 SIZE=32,0x20");
  }

  // Nine parts: references to the three items before (several on one line,
  // one with a prefix in unrestricted segments), inline bitmaps with
  // generated identifiers, one named after an extension row, one shared.
  void writeFrame(size_t i) {
    line("FRAME " + iid(i));
    line("  IID=" + name(i - 3) + " IID=" + name(i - 2) + " IID=" + name(i - 1));
    line("  c16 " + ownImage("bench_pic_" + digits(i) + "_1.bmp") + " TILEX");
    line("  c16 " + ownImage("bench_part_" + digits(i) + ".bmp") + " STRETCH");
    line(std::string("  IID=") + (unrestricted_ ? "Orv_3_0%" : "") + name(i - 3));
    line("  c8 " + sharedImage(i));
    line("  c16 " + ownImage("bench_pic_" + digits(i) + "_2.bmp") + " MASK=bench_mask_" +
         digits(i) + "_2.bmp TILE");
    line("  IID=" + name(i - 1));
    line("END");
  }

  void writeColorTable(size_t i) {
    line("COLORTABLE " + iid(i));
    line("  RGB=" + hex(static_cast<uint32_t>(i * 7919) & 0xFFFFFF));
    line("  IDX=" + std::to_string(i % 256));
    line("  RGB=0x00FF00 IDX=215");
    line("END");
  }

  void writeBmpAnim(size_t i) {
    size_t mode = (i / kKinds) % 4;
    const char* extension = mode == 3 ? ".svg" : ".bmp";
    line("BMPANIM " + iid(i) + " INTERVAL=100 " + kAnimModes[mode] + (i % 2 == 0 ? " FLASH" : ""));
    line("  TIME=100 c16 " + ownImage("bench_pic_" + digits(i) + "_1" + extension));
    line("  TIME=150 POS=2,-1 c16 " + ownImage("bench_pic_" + digits(i) + "_2" + extension));
    line("  TIME=50 IID=" + name(i - 7));
    line("END");
  }

  void writeAppIcon(size_t i) {
    line("APPICON UID=" + hex(kAppIconUidBase + static_cast<uint32_t>(i)));
    line("  IID=" + name(i - 6));
    line("  c16 " + ownImage("bench_pic_" + digits(i) + ".svg") + " MASK");
    line("END");
  }

  void writeScalableItem(size_t i) {
    line("SCALABLEITEM " + iid(i) + " INPUT=none OUTPUT=0/RGBA");
    line("  EFFECT UID=0x10208F8A INPUTA=none INPUTB=none OUTPUT=0/RGB");
    line("    BMP Image c16 " + ownImage("bench_pic_" + digits(i) + ".bmp") + " MASK=bench_mask_" +
         digits(i) + ".bmp");
    line("    INT Mode " + std::to_string(i % 7));
    line("    STR Label \"tile " + digits(i) + "\"");
    line("  END");
    line("  EFFECT UID=0x10208F8B INPUTA=0/RGB INPUTB=none OUTPUT=0/RGBA");
    line("    NAMEDREF Phase VALUEID=1");
    line("    RAW Weights [1 2 3 0x10 -1]");
    line("  END");
    line("END");
  }

  // Alternately an item defined before and one defined after (which prints
  // the dangling-reference line).
  void writeScalableRef(size_t i) {
    size_t target = (i / kKinds) % 2 == 0 || i + 1 >= count_ ? i - 1 : i + 1;
    line("SCALABLEITEM " + iid(i) + " " + iid(target, "REFIID="));
  }

  void writeAnimation(size_t i) {
    line("ANIMATION " + iid(i) + " INPUT=none OUTPUT=1/RGBA MININTERVAL=40" +
         (i % 2 == 0 ? " MORPHING" : ""));
    line("  PREPROCESS");
    line("    EFFECT UID=0x10208F8C INPUTA=none INPUTB=none OUTPUT=1/RGB");
    line("      BMP Base c16 " + sharedImage(i));
    line("    END");
    line("  END");
    line("  COMMAND UID=0x10208F8D INPUTA=1/RGB INPUTB=none OUTPUT=1/RGBA");
    line("    NAMEDREF Phase VALUEID=1");
    line("    INT Steps 8");
    line("  END");
    line("  VALUE UID=1 TIMINGID=2");
    line("    INT Start 0");
    line("    INT End 255");
    line("  END");
    line("  TIMINGMODEL UID=2");
    line("    INT Duration 1200");
    line("    STR Curve \"linear\"");
    line("  END");
    line("  SIZEBOUNDPARAM Width VALUEID=1 FLAGS=W_AND_H");
    line("END");
  }

  void writeExtensionList() {
    std::string& list = skin_.extensionList;
    list += "/ Item identifiers of the generated benchmark skin.\r\n";
    for (size_t i = 0; i < count_; ++i) {
      list += "IID \"KTavsIID" + name(i) + "\" " + hex(kItemMajor) + " " +
              hex(static_cast<uint32_t>(i)) + "\r\n";
      if (i % kKinds == 3) {
        list += "IID \"KTavsIID" + partName(i) + "\" " + hex(kPartMajor) + " " +
                hex(static_cast<uint32_t>(i)) + "\r\n";
      }
    }
  }

  size_t count_;
  bool unrestricted_ = false;
  GeneratedSkin skin_;
};

}  // namespace

GeneratedSkin generateBenchSkin(size_t itemCount) {
  if (itemCount > kMaxBenchItems) {
    throw std::invalid_argument("at most 1000000 benchmark items");
  }
  return Generator(itemCount).run();
}

}  // namespace korvane
