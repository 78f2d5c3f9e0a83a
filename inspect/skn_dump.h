// The decoded SKN tree as indented text for people and as JSON for scripts.
#ifndef KORVANE_INSPECT_SKN_DUMP_H
#define KORVANE_INSPECT_SKN_DUMP_H

#include <string>

#include "inspect/generation_list.h"
#include "inspect/item_names.h"
#include "inspect/skn_reader.h"

namespace korvane {

struct SknDumpOptions {
  // Off for "--no-time": the time stamp is left out, so two compiles of one
  // source dump identically.
  bool showTime = true;
  // Registry names shown beside item identifiers, when given.
  const ItemNames* names = nullptr;
  // The generation list of the same compile, when given: image files beside
  // bitmap and mask indices.
  const GenerationList* list = nullptr;
};

// One line per chunk, field, table entry and parameter record, indented by nesting.
std::string renderSknText(const SknChunk& root, const SknDumpOptions& options = {});
std::string renderSknJson(const SknChunk& root, const SknDumpOptions& options = {});

// A text as the description writes it: in double quotes, with the characters
// that need it (double quote, "<", control characters, lone surrogates)
// written as <number> escapes.
std::string quoteSknText(std::u16string_view text);
// A text to read rather than to copy into a description: as it is, but for
// control characters and lone surrogates, which become <number> escapes.
std::string plainSknText(std::u16string_view text);
// "INT", "STR/RAW" (the file keeps no difference), "BMP", "NAMEDREF"; "?" for other codes.
const char* sknParamTypeName(uint8_t code);
// "none", "2/RGBA", "0/RGB", "1/A", or "raw 0x0305" for other channel codes.
std::string sknLayerText(uint32_t value);

}  // namespace korvane

#endif
