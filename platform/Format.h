#pragma once
// NSString stringWithFormat: and the os_log formats, for the conversions the product uses:
// "%@" and "%{public}@" take a text, "%d", "%ld", "%{public}d" a number, "%%" is a percent
// sign. A conversion with no matching argument prints "<missing>"; arguments are never
// themselves read as formats.

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace orv {

using FormatArgument = std::variant<std::int64_t, std::string>;

std::string formatString(std::string_view format, const std::vector<FormatArgument>& arguments);

template <class T> FormatArgument formatArgument(const T& value) {
    if constexpr (std::is_integral_v<T>) {
        return static_cast<std::int64_t>(value);
    } else {
        return std::string(value);
    }
}

} // namespace orv
