// The shared text buffer that load-time and information lines are formatted into.
// Nothing writes a log file; a debugger or a test reads the buffer.
#pragma once
#include "Engine/Common/Types.h"

extern char debugText[1024];

// printf-style formatting into debugText (always NUL-terminated, truncated if long).
void FormatDebugText(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
