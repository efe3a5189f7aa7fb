#pragma once
#import <Foundation/NSObject.h>
#include <stdint.h>

NS_ASSUME_NONNULL_BEGIN

@protocol OS_os_log <NSObject>
@end
typedef NSObject<OS_os_log>* os_log_t;

typedef enum : uint8_t {
    OS_LOG_TYPE_DEFAULT = 0x00,
} os_log_type_t;

extern "C" {
os_log_t os_log_create(const char* subsystem, const char* category);
// A macro in Apple's header; the format must be a string literal there as well.
void os_log_with_type(os_log_t log, os_log_type_t type, const char* format, ...)
    __attribute__((__format__(__os_log__, 3, 4)));
}

NS_ASSUME_NONNULL_END
