#include "tools/runner/Png.h"

#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

bool WritePng(const std::string& path, const u32* pixels, u32 width, u32 height)
{
    std::vector<u8> rgb;
    rgb.reserve((size_t)width * height * 3);
    for (size_t i = 0; i < (size_t)width * height; ++i) {
        const u32 p = pixels[i];
        rgb.push_back((u8)(p >> 16));
        rgb.push_back((u8)(p >> 8));
        rgb.push_back((u8)p);
    }
    return stbi_write_png(path.c_str(), (int)width, (int)height, 3, rgb.data(), (int)width * 3) != 0;
}
