#pragma once
#import <CoreFoundation/CoreFoundation.h>

extern "C" {
extern const CFStringRef kAXTrustedCheckOptionPrompt;
unsigned char AXIsProcessTrusted(void);
unsigned char AXIsProcessTrustedWithOptions(CFDictionaryRef options);
}
