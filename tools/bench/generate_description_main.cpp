// generate_description N DIR: writes a generated benchmark skin of N items to
// DIR (the description, the extension list and the image directory with one
// empty file per image), for the end-to-end script.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/bench/description_generator.h"

namespace {

bool writeFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
  out.close();
  return !out.fail();
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: generate_description ITEMS DIRECTORY\n");
    return 1;
  }
  try {
    size_t count = std::stoul(argv[1]);
    korvane::GeneratedSkin skin = korvane::generateBenchSkin(count);
    std::filesystem::path directory(argv[2]);
    std::filesystem::path images = directory / korvane::kBenchImageDirectory;
    std::filesystem::create_directories(images);
    bool ok = writeFile(directory / korvane::kBenchDescriptionFile, skin.description) &&
              writeFile(directory / korvane::kBenchExtensionListFile, skin.extensionList);
    for (const std::string& file : skin.imageFiles) {
      if (!ok) break;
      ok = writeFile(images / file, "");
    }
    if (!ok) {
      std::fprintf(stderr, "generate_description: cannot write to %s\n", argv[2]);
      return 1;
    }
    std::printf("%zu items, %zu bytes of description, %zu image files in %s\n", count,
                skin.description.size(), skin.imageFiles.size(), argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "generate_description: %s\n", e.what());
    return 1;
  }
  return 0;
}
