#include "driver/source_date_epoch.h"

#include <limits>

namespace korvane {

namespace {
// 100-nanosecond intervals between 1601-01-01 and 1970-01-01, and per second.
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;
constexpr uint64_t kTicksPerSecond = 10000000ull;
constexpr uint64_t kLastSecond =
    (std::numeric_limits<uint64_t>::max() - kUnixEpochAsFileTime) / kTicksPerSecond;
}  // namespace

std::optional<uint64_t> parseSourceDateEpoch(std::string_view text) {
  if (text.empty()) return std::nullopt;
  uint64_t seconds = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    uint64_t digit = static_cast<uint64_t>(c - '0');
    if (seconds > (kLastSecond - digit) / 10) return std::nullopt;
    seconds = seconds * 10 + digit;
  }
  return kUnixEpochAsFileTime + seconds * kTicksPerSecond;
}

std::string sourceDateEpochError(std::string_view text) {
  std::string message = "Invalid ";
  message += kSourceDateEpoch;
  message += " \"";
  message += text;
  message +=
      "\": expected the seconds since 1970-01-01 00:00 UTC as a decimal number, as date +%s "
      "prints them\n";
  return message;
}

bool readSourceDateEpoch(Environment& environment, Console& console,
                         std::optional<uint64_t>& time) {
  time.reset();
  std::optional<std::string> value = environment.variable(kSourceDateEpoch);
  if (!value) return true;
  time = parseSourceDateEpoch(*value);
  if (time) return true;
  std::string message = sourceDateEpochError(*value);
  console.err(message);
  console.out(message);
  return false;
}

}  // namespace korvane
