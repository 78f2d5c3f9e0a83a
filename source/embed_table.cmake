# Turns the item-ID table into a C++ source holding it as one string.
# Usage: cmake -DINPUT=item_ids.txt -DOUTPUT=item_id_table.cpp -P embed_table.cmake
file(READ "${INPUT}" table)
file(WRITE "${OUTPUT}"
  "// Generated from item_ids.txt at build time; do not edit.\n"
  "namespace korvane {\n"
  "extern const char kBuiltinItemIdTable[];\n"
  "const char kBuiltinItemIdTable[] = R\"KRVTABLE(${table})KRVTABLE\";\n"
  "}  // namespace korvane\n")
