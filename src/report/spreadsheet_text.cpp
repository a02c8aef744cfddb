#include "report/spreadsheet_text.h"

namespace frostel::report {

std::string spreadsheet_text(std::string_view text) {
    constexpr std::string_view kFormulaLeads = "=+-@\t\r'";
    std::string field;
    field.reserve(text.size() + 1);
    if (!text.empty() && kFormulaLeads.find(text.front()) != std::string_view::npos) {
        field += '\'';
    }
    field += text;
    return field;
}

}  // namespace frostel::report
