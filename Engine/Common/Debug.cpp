#include "Engine/Common/Debug.h"

#include <cstdarg>
#include <cstdio>

char debugText[1024];

void FormatDebugText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(debugText, sizeof(debugText), format, args);
    va_end(args);
}
