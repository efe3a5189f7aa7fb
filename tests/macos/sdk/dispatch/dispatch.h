#pragma once
#import <Foundation/NSObject.h>
#include <stdint.h>

NS_ASSUME_NONNULL_BEGIN

@protocol OS_dispatch_queue <NSObject>
@end
typedef NSObject<OS_dispatch_queue>* dispatch_queue_t;
typedef NSObject<OS_dispatch_queue>* dispatch_queue_global_t;
typedef NSObject<OS_dispatch_queue>* dispatch_queue_main_t;
typedef void (^dispatch_block_t)(void);
typedef uint64_t dispatch_time_t;

#define DISPATCH_TIME_NOW (0ull)
#define NSEC_PER_SEC 1000000000ull

typedef enum : unsigned int {
    QOS_CLASS_USER_INITIATED = 0x19,
} qos_class_t;

extern "C" {
dispatch_queue_main_t dispatch_get_main_queue(void);
dispatch_queue_global_t dispatch_get_global_queue(intptr_t identifier, uintptr_t flags);
void dispatch_async(dispatch_queue_t queue, dispatch_block_t block);
void dispatch_after(dispatch_time_t when, dispatch_queue_t queue, dispatch_block_t block);
dispatch_time_t dispatch_time(dispatch_time_t when, int64_t delta);
}

NS_ASSUME_NONNULL_END
