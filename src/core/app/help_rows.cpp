#include "core/app/help_rows.h"

namespace qv {

void AppendHelpRow(std::string& text, const std::string& term, std::string_view help,
                   size_t column) {
  text += "  " + term;
  text += term.size() + 2 < column ? std::string(column - term.size() - 2, ' ') : "  ";
  for (size_t newline; (newline = help.find('\n')) != std::string_view::npos;) {
    text += help.substr(0, newline);
    text += '\n' + std::string(column, ' ');
    help.remove_prefix(newline + 1);
  }
  text += help;
  text += '\n';
}

}  // namespace qv
