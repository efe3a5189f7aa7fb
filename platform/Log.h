#pragma once
// The unified log (os_log): an OSLog object with a subsystem and a category, and messages
// written at the default level from os_log format strings, every argument public.

#include "platform/Format.h"

#include <string>
#include <string_view>

namespace orv {

// Where formatted log lines go (os_log_with_type on macOS).
class LogSink {
  public:
    virtual ~LogSink() = default;
    virtual void write(std::string_view subsystem, std::string_view category,
                       std::string_view message) = 0;
};

// OSLog
class Log {
  public:
    Log(LogSink& sink, std::string subsystem, std::string category)
        : sink_(&sink), subsystem_(std::move(subsystem)), category_(std::move(category)) {}

    const std::string& subsystem() const { return subsystem_; }
    const std::string& category() const { return category_; }

    // os_log(OS_LOG_TYPE_DEFAULT, format, arguments...)
    template <class... Args> void operator()(std::string_view format, const Args&... args) const {
        sink_->write(subsystem_, category_, formatString(format, {formatArgument(args)...}));
    }

  private:
    LogSink* sink_;
    std::string subsystem_;
    std::string category_;
};

} // namespace orv
