#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv {

// One option's row of a --help text: "  TERM", padded to `column`, then its help; a help of
// several lines goes on under the first, at the column.
void AppendHelpRow(std::string& text, const std::string& term, std::string_view help,
                   size_t column);

}  // namespace qv
