// The files a test program and the script that drives it pass between them in a folder: the
// program writes a file whole (under a temporary name, then renamed, so the script never reads half
// a line) to say what is on the screen, and looks for the file the script makes when it has acted.
#pragma once
#include <cstdio>
#include <string>

inline bool HandshakeFileExists(const std::string& folder, const std::string& name)
{
    FILE* file = fopen((folder + "/" + name).c_str(), "rb");
    if (file)
        fclose(file);
    return file != nullptr;
}

// Writes folder/name with text; false when it cannot be made.
inline bool WriteHandshakeFile(const std::string& folder, const std::string& name, const std::string& text)
{
    const std::string path = folder + "/" + name, temporary = path + ".tmp";
    FILE* file = fopen(temporary.c_str(), "wb");
    if (!file)
        return false;
    fputs(text.c_str(), file);
    fclose(file);
    return rename(temporary.c_str(), path.c_str()) == 0;
}
