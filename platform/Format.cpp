#include "platform/Format.h"

namespace orv {

namespace {

void appendArgument(std::string& out, const std::vector<FormatArgument>& arguments,
                    std::size_t& next) {
    if (next >= arguments.size()) {
        out += "<missing>";
        return;
    }
    const FormatArgument& a = arguments[next++];
    if (const auto* text = std::get_if<std::string>(&a)) {
        out += *text;
    } else {
        out += std::to_string(std::get<std::int64_t>(a));
    }
}

} // namespace

std::string formatString(std::string_view format, const std::vector<FormatArgument>& arguments) {
    std::string out;
    out.reserve(format.size() + 32);
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        std::size_t j = i + 1;
        if (format[j] == '%') {
            out += '%';
            i = j;
            continue;
        }
        if (format[j] == '{') { // privacy annotation such as {public}
            const auto close = format.find('}', j);
            if (close == std::string_view::npos) {
                out += format.substr(i);
                break;
            }
            j = close + 1;
        }
        while (j < format.size() && (format[j] == 'l' || format[j] == 'h' || format[j] == 'z')) {
            ++j;
        }
        if (j < format.size() && (format[j] == '@' || format[j] == 'd' || format[j] == 'i' ||
                                  format[j] == 'u' || format[j] == 's')) {
            appendArgument(out, arguments, next);
            i = j;
        } else {
            out += format[i];
        }
    }
    return out;
}

} // namespace orv
