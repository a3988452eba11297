// The last line a Windows test program writes: the code it returns. Under Wine the process can
// still be ended by a signal after that, in Wine's own teardown (the Wine server kills a process
// whose exit runs past its short grace period, as on a loaded machine); the scripts read this line
// to tell such an end from a program that never got this far.
#pragma once
#include <cstdio>

inline int ReturnWithExitLine(const char* program, int code)
{
    fprintf(stderr, "%s: exit code %d\n", program, code);
    fflush(stderr);
    return code;
}
