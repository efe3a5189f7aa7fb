#pragma once
// Apple's <stdio.h> is the C library's, plus renamex_np.
#include_next <stdio.h>

#define RENAME_EXCL 0x00000004

extern "C" int renamex_np(const char* from, const char* to, unsigned int flags);
