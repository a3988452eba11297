#include "Engine/Common/CopyText.h"

#include <cstdlib>
#include <cstring>

char* CopyText(const char* text, size_t limit)
{
    size_t length = strlen(text);
    if (length > limit)
        length = limit;
    char* copy = (char*)malloc(length + 1);
    if (copy) {
        memcpy(copy, text, length);
        copy[length] = 0;
    }
    return copy;
}
