#pragma once

#include <string>
#include <string_view>

namespace frostel::report {

// A text field of a CSV file as no spreadsheet runs it: one that begins with '=', '+', '-',
// '@', a tab or a carriage return would be read as a formula, so it gets one apostrophe put
// before it; so does one that begins with an apostrophe, so that a reader gets every text
// back by removing one leading apostrophe from any field that begins with one. Numbers
// written as numbers never pass through here. The CSV quoting comes after it.
[[nodiscard]] std::string spreadsheet_text(std::string_view text);

}  // namespace frostel::report
