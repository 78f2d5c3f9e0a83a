// SOURCE_DATE_EPOCH, the reproducible-builds convention: when the variable is
// set, its time is "now" for everything a compile stamps with the time (the
// SKN file's time stamp, a generated package identifier), so that two
// compiles of one description write the same bytes.
#ifndef KORVANE_DRIVER_SOURCE_DATE_EPOCH_H
#define KORVANE_DRIVER_SOURCE_DATE_EPOCH_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/platform.h"

namespace korvane {

constexpr const char* kSourceDateEpoch = "SOURCE_DATE_EPOCH";

// Seconds since 1970-01-01 00:00 UTC, written as decimal digits only (no
// sign, blank or fraction, as `date +%s` writes them), in the clock's
// 100-nanosecond units since 1601. Nothing when the text is empty, holds
// anything but digits, or names a time the clock cannot count.
std::optional<uint64_t> parseSourceDateEpoch(std::string_view text);

// The message of a malformed value.
std::string sourceDateEpochError(std::string_view text);

// `time` from SOURCE_DATE_EPOCH, left empty when the variable is not set.
// A malformed value is reported on standard error and standard output and
// gives false.
bool readSourceDateEpoch(Environment& environment, Console& console, std::optional<uint64_t>& time);

}  // namespace korvane

#endif
