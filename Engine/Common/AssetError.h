// Asset errors: a damaged or unusable data file is reported in debugText and in a "Palvic Error"
// box (no icon, OK button), and loading goes on.
#pragma once

// printf-style; the text goes into debugText first, then into the box.
void ReportAssetError(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
