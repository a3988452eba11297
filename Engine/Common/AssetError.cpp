#include "Engine/Common/AssetError.h"

#include <cstdarg>
#include <cstdio>

#include "Engine/Common/Debug.h"
#include "Engine/Platform/Platform.h"

void ReportAssetError(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(debugText, sizeof(debugText), format, args);
    va_end(args);
    ShowMessageBox(debugText, "Palvic Error", BoxOk);
}
