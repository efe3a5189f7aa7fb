#pragma once
// The unified log (os_log): an OSLog object with a subsystem and a category, and messages
// written at the default level from os_log format strings, every argument public.

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace orv {

// Where formatted log lines go (os_log_with_type on macOS).
class LogSink {
  public:
    virtual ~LogSink() = default;
    virtual void write(std::string_view subsystem, std::string_view category,
                       std::string_view message) = 0;
};

using LogArgument = std::variant<std::int64_t, std::string>;

// Fills an os_log format: "%{public}@" and "%@" take a text, "%d", "%ld", "%{public}d" a
// number, "%%" is a percent sign. A conversion with no matching argument prints "<missing>".
std::string formatLogMessage(std::string_view format, const std::vector<LogArgument>& arguments);

// OSLog
class Log {
  public:
    Log(LogSink& sink, std::string subsystem, std::string category)
        : sink_(&sink), subsystem_(std::move(subsystem)), category_(std::move(category)) {}

    const std::string& subsystem() const { return subsystem_; }
    const std::string& category() const { return category_; }

    // os_log(OS_LOG_TYPE_DEFAULT, format, arguments...)
    template <class... Args> void operator()(std::string_view format, const Args&... args) const {
        sink_->write(subsystem_, category_, formatLogMessage(format, {argument(args)...}));
    }

  private:
    template <class T> static LogArgument argument(const T& value) {
        if constexpr (std::is_integral_v<T>) {
            return static_cast<std::int64_t>(value);
        } else {
            return std::string(value);
        }
    }

    LogSink* sink_;
    std::string subsystem_;
    std::string category_;
};

} // namespace orv
