// The consoles of a run's report. A quiet run (--quiet) prints neither the
// banner nor the phases (the driver sends them to a NullConsole) and drops
// the NOTE, INFO and DEBUG lines of the parser, the model and the registry
// (they go through a QuietConsole); WARNING lines, the error report and the
// result stay.
#ifndef KORVANE_DRIVER_REPORT_CONSOLE_H
#define KORVANE_DRIVER_REPORT_CONSOLE_H

#include <string_view>

#include "base/platform.h"

namespace korvane {

// Passes everything to another console except the texts that begin with
// "NOTE: ", "INFO: " or "DEBUG: "; each diagnostic line is written in one
// piece that begins with its prefix.
class QuietConsole : public Console {
 public:
  explicit QuietConsole(Console& inner) : inner_(inner) {}
  void out(std::string_view text) override;
  void err(std::string_view text) override { inner_.err(text); }

 private:
  Console& inner_;
};

}  // namespace korvane

#endif
