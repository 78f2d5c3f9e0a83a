// Build-time generator: turns the item-ID table (item_ids.txt) into a C++
// source holding its rows and their hash index as constant data, so that the
// compiler loads its registry without parsing or allocating anything.
//
//   embed_item_ids item_ids.txt item_id_table.cpp
//
// The table holds one row a line: name, major, minor, separated by blanks;
// numbers are hexadecimal with "0x", or decimal. Lines that are empty or
// begin with "#" are passed over. Any other line is an error that fails the
// build, so a damaged table never turns into wrong identifiers.
#include <cctype>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/record_index.h"
#include "base/text.h"

namespace {

struct Row {
  std::string name;
  uint32_t major;
  uint32_t minor;
};

bool parseNumber(std::string_view text, uint32_t& value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool parseTable(const std::string& text, std::vector<Row>& rows) {
  std::istringstream in(text);
  std::string line;
  for (size_t number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string name, major, minor, extra;
    Row row;
    if (!(fields >> name >> major >> minor) || (fields >> extra) ||
        !parseNumber(major, row.major) || !parseNumber(minor, row.minor)) {
      std::cerr << "item_ids.txt:" << number << ": expected \"name major minor\"\n";
      return false;
    }
    row.name = name;
    rows.push_back(row);
  }
  return true;
}

// A char16_t literal of the 8-bit name, each byte one unit; anything but
// letters, digits and "_" as a hexadecimal escape in a literal of its own.
std::string literal(const std::string& name) {
  std::string out = "u\"";
  for (unsigned char c : name) {
    if (std::isalnum(c) || c == '_') {
      out.push_back(static_cast<char>(c));
    } else {
      char escape[16];
      std::snprintf(escape, sizeof escape, "\\x%02x\" u\"", c);
      out += escape;
    }
  }
  return out + "\"";
}

std::string hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%Xu", value);
  return text;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::cerr << "usage: embed_item_ids item_ids.txt item_id_table.cpp\n";
    return 1;
  }
  std::ifstream input(argv[1], std::ios::binary);
  std::stringstream text;
  text << input.rdbuf();
  std::vector<Row> rows;
  if (!input || !parseTable(text.str(), rows)) return 1;

  // The same index the registry would build by appending the rows in order.
  std::vector<std::u16string> names;
  for (const Row& row : rows) names.push_back(korvane::widenCopy(row.name));
  korvane::RecordIndex index;
  index.reserve(rows.size());
  for (uint32_t r = 0; r < names.size(); ++r) {
    index.findOrInsert(
        korvane::FoldedHash()(names[r]),
        [&](uint32_t other) { return korvane::equalsNoCase(names[other], names[r]); }, r);
  }

  std::ostringstream out;
  out << "// Generated from item_ids.txt at build time by embed_item_ids; do not edit.\n"
         "#include \"source/builtin_item_ids.h\"\n\n"
         "namespace korvane {\n\n"
         "extern const size_t kBuiltinItemIdCount = "
      << rows.size()
      << ";\n"
         "extern const size_t kBuiltinItemIdSlotCount = "
      << index.capacity()
      << ";\n"
         "extern const size_t kBuiltinItemIdIndexed = "
      << index.size()
      << ";\n\n"
         "constexpr ItemIdEntry kBuiltinItemIds[] = {\n";
  for (const Row& row : rows) {
    out << "    {" << literal(row.name) << ", " << hex(row.major) << ", " << hex(row.minor)
        << "},\n";
  }
  out << "};\n\nconstexpr RecordIndex::Slot kBuiltinItemIdSlots[] = {\n";
  const korvane::RecordIndex::Slot* slots = index.slots();
  for (size_t i = 0; i < index.capacity(); ++i) {
    out << "    {" << hex(slots[i].tag) << ", " << hex(slots[i].record) << "},\n";
  }
  out << "};\n\n}  // namespace korvane\n";

  std::ofstream output(argv[2], std::ios::binary);
  output << out.str();
  output.close();
  if (!output) {
    std::cerr << "cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
