#pragma once
#include <stddef.h>
#include <sys/time.h>

#define CTL_KERN 1
#define KERN_PROC 14
#define KERN_BOOTTIME 21
#define KERN_PROC_PID 1

struct extern_proc {
    struct timeval p_starttime;
};
struct kinfo_proc {
    struct extern_proc kp_proc;
};

extern "C" int sysctl(int* name, unsigned int namelen, void* oldp, size_t* oldlenp, void* newp, size_t newlen);
