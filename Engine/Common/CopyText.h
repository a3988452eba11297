// The names and paths that records keep: each a heap copy of its own, released with free().
#pragma once
#include "Engine/Common/Types.h"

// A malloc'd copy of text, cut to its first `limit` characters; null when memory runs out.
char* CopyText(const char* text, size_t limit = SIZE_MAX);
