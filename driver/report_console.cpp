#include "driver/report_console.h"

namespace korvane {

void QuietConsole::out(std::string_view text) {
  for (std::string_view dropped : {"NOTE: ", "INFO: ", "DEBUG: "}) {
    if (text.substr(0, dropped.size()) == dropped) return;
  }
  inner_.out(text);
}

}  // namespace korvane
