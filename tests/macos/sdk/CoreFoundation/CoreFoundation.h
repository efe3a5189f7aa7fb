#pragma once
#include <stdint.h>

typedef const void* CFTypeRef;
typedef const struct __CFString* CFStringRef;
typedef const struct __CFDictionary* CFDictionaryRef;
typedef const struct __CFAllocator* CFAllocatorRef;
typedef struct __CFRunLoop* CFRunLoopRef;
typedef struct __CFRunLoopObserver* CFRunLoopObserverRef;
typedef long CFIndex;
typedef unsigned long CFOptionFlags;
typedef double CGFloat;
typedef struct CGColor* CGColorRef;

typedef enum : CFOptionFlags {
    kCFRunLoopBeforeWaiting = (1UL << 5),
} CFRunLoopActivity;

extern "C" {
extern const CFAllocatorRef kCFAllocatorDefault;
extern const CFStringRef kCFRunLoopCommonModes;
void CFRelease(CFTypeRef cf);
CFRunLoopRef CFRunLoopGetMain(void);
CFRunLoopObserverRef CFRunLoopObserverCreateWithHandler(
    CFAllocatorRef allocator, CFOptionFlags activities, unsigned char repeats, CFIndex order,
    void (^block)(CFRunLoopObserverRef observer, CFRunLoopActivity activity));
void CFRunLoopAddObserver(CFRunLoopRef rl, CFRunLoopObserverRef observer, CFStringRef mode);
}
