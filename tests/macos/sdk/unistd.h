#pragma once
// Apple's <unistd.h> is the C library's, plus gethostuuid.
#include_next <unistd.h>

#include <time.h>

typedef unsigned char uuid_t[16];

extern "C" int gethostuuid(uuid_t id, const struct timespec* wait);
