#include "output/pkg_writer.h"

#include <memory>
#include <unordered_set>

#include "base/error.h"
#include "base/text.h"
#include "base/version.h"

namespace korvane {

namespace {

// Sound items (KTavsIIDSoundRingingTone and its kin) share this major.
constexpr uint32_t kSoundMajor = 0x101f869e;

constexpr const char* kPkgWriteError = "Can not write PKG output file";
constexpr const char* kDrmWriteError = "Can not write DRM def output file";

constexpr const char* kSupportsV3 =
    ";\r\n"
    "; Supports Orvane v3.x\r\n"
    "; This line indicates that this installation is for the Orvane platform v3.x\r\n"
    "; This line must appear _exactly_ as shown below in the sis file\r\n"
    "; If this line is missing or incorrect, the sis file will not be able\r\n"
    "; to be installed on Orvane v3.x platforms\r\n"
    ";\r\n";
constexpr const char* kSupportsV5 =
    ";\r\n"
    "; Supports Orvane v5.x\r\n"
    "; This line indicates that this installation is for the Orvane platform v5.x\r\n"
    "; This line must appear _exactly_ as shown below in the sis file\r\n"
    "; If this line is missing or incorrect, the sis file will not be able\r\n"
    "; to be installed on Orvane v5.x platforms\r\n"
    ";\r\n";

// The PKG file and, in DRM mode, the DRM definition file, written together.
// Any failed write or close abandons both files that are not yet closed
// (their previous versions stay) and raises the error of the file that failed.
class PkgOutput {
 public:
  PkgOutput(FileSystem& fs, const std::string& pkgName, const std::string& drmName)
      : drmMode_(!drmName.empty()) {
    pkg_ = fs.openReplace(pkgName);
    if (pkg_ == nullptr) {
      throw CKrvException(kErrorFileOpen, "Can not open PKG output file for writing");
    }
    if (drmMode_) {
      drm_ = fs.openReplace(drmName);
      if (drm_ == nullptr) {
        throw CKrvException(kErrorFileOpen, "Can not open DRM def output file for writing");
      }
    }
  }

  bool drmMode() const { return drmMode_; }

  void pkg(const std::string& text) {
    if (!pkg_->write(text)) fail(kPkgWriteError);
  }
  void drm(const std::string& text) {
    if (!drm_->write(text)) fail(kDrmWriteError);
  }

  void close() {
    if (!closeFile(pkg_)) fail(kPkgWriteError);
    if (!closeFile(drm_)) fail(kDrmWriteError);
  }

 private:
  static bool closeFile(std::unique_ptr<OutputFile>& file) {
    if (file == nullptr) return true;
    bool closed = file->close();
    file.reset();
    return closed;
  }

  [[noreturn]] void fail(const char* message) {
    pkg_.reset();
    drm_.reset();
    throw CKrvException(kErrorFileOpen, message);
  }

  bool drmMode_;
  std::unique_ptr<OutputFile> pkg_;
  std::unique_ptr<OutputFile> drm_;
};

}  // namespace

PkgWriter::PkgWriter(FileSystem& fs) : fs_(fs) {}

std::string PkgWriter::skinDirectoryId(const SkinContent& content) {
  uint32_t low = content.packageIdLow;
  uint32_t high = content.packageIdHigh;
  if (content.parentUidLow != 0 || content.parentUidHigh != 0) {
    low = content.parentUidLow;
    high = content.parentUidHigh;
  }
  return high != 0 ? format("%08x%08x", low, high) : format("%08x", low);
}

std::vector<std::string> PkgWriter::soundFiles(const SkinContent& content) {
  std::vector<std::string> files;
  std::unordered_set<std::u16string> seen;
  for (const StringItem& item : content.strings()) {
    if (item.id.major != kSoundMajor) continue;
    if (!seen.insert(foldedCopy(item.text)).second) continue;
    files.push_back(narrowCopy(item.text));
  }
  return files;
}

void PkgWriter::write(const SkinContent& content, const std::string& skinName,
                      const std::string& pkgFileName, const std::string& drmFileName) {
  PkgOutput out(fs_, pkgFileName, drmFileName);
  if (out.drmMode()) out.drm("skin\r\n");

  const char* name = skinName.c_str();
  bool scalable = content.isScalable();
  std::string id = skinDirectoryId(content);
  std::string resourceDir = "!:\\resource\\skins\\" + id;
  std::string importDir = "!:\\private\\10207114\\import\\" + id;

  out.pkg(format("; File created with Korvane v%i.%i.%i\r\n;\r\n", kVersionMajor, kVersionMinor,
                 kVersionPatch));
  out.pkg(format(";\r\n; Installation file for %s skin\r\n;\r\n", name));
  out.pkg("&EN\r\n");
  out.pkg(";\r\n; Package header\r\n;\r\n");
  if (content.packageIdHigh != 0) {
    out.pkg(format("#{\"%s\"},(0xA00000EB),1,0,0,TYPE=SP\r\n", name));
  } else {
    out.pkg(format("#{\"%s\"},(0x%08x),1,0,0\r\n", name, content.packageIdLow));
  }
  out.pkg(kSupportsV3);
  out.pkg("[0x101f7961], 0, 0, 0, {\"Orvanev3.0\"}\r\n");
  out.pkg(kSupportsV5);
  out.pkg("[0x1028315F], 0, 0, 0, {\"Orvanev5.0\"}\r\n");
  out.pkg(";\r\n; Requires Orvane Skins Support\r\n;\r\n");
  out.pkg("(0xA00000EB), 0, 0, 0, {\"OrvaneSkinsSupport\"}\r\n");
  if (scalable) {
    out.pkg(";\r\n; Requires Orvane Scalable Skins Support\r\n;\r\n");
    out.pkg("(0x10207113), 0, 0, 0, {\"OrvaneScalableSkinsSupport\"}\r\n");
  }
  out.pkg(";\r\n; Non-localised vendor name\r\n;\r\n");
  if (!content.author.empty()) {
    out.pkg(":\"" + narrowCopy(content.author) + "\"\r\n");
  } else {
    out.pkg(":\"Unknown Vendor\"\r\n");
  }
  out.pkg(";\r\n; Localised vendor name\r\n;\r\n");
  out.pkg("%{\"Vendor-EN\"}\r\n");
  out.pkg(";\r\n; Files to install\r\n;\r\n");
  out.pkg("IF package(0x102032be) ; Check for Orv 3.1 stub sis\r\n");
  auto install = [&](const std::string& file, const std::string& directory) {
    out.pkg("\"" + file + "\" - \"" + directory + "\\" + file + "\"\r\n");
  };
  install(skinName + ".mbm", resourceDir);
  if (scalable) install(skinName + ".mif", resourceDir);
  out.pkg("ELSE\r\n");
  install(skinName + ".mbm", importDir);
  if (scalable) install(skinName + ".mif", importDir);
  out.pkg("ENDIF\r\n");
  if (out.drmMode()) {
    out.pkg(";SKN file " + skinName + ".skn moved to DRM definition file\r\n");
    out.drm(skinName + ".skn\r\n");
  } else {
    install(skinName + ".skn", importDir);
  }
  out.pkg(";Dummy entry for the possible skin .ini file, so that it gets removed on uninstall\r\n");
  out.pkg("\"\" - \"" + importDir + "\\" + id + ".ini\",FN\r\n");
  std::vector<std::string> sounds = soundFiles(content);
  if (!sounds.empty()) out.pkg(";\r\n; Sound files\r\n;\r\n");
  for (const std::string& sound : sounds) {
    if (out.drmMode()) {
      out.pkg(";Sound file " + sound + " moved to DRM definition file\r\n");
      out.drm(sound + "\r\n");
    } else {
      install(sound, importDir);
    }
  }
  out.pkg(";\r\n; End of file\r\n;\r\n");
  out.close();
}

}  // namespace korvane
