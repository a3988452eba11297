#include "tools/datakit/BraktextWriter.h"

#include "tools/datakit/Bytes.h"

namespace datakit {

std::vector<u16> Utf16FromUtf8(const std::string& text)
{
    std::vector<u16> units;
    size_t i = 0;
    while (i < text.size()) {
        const u8 lead = (u8)text[i];
        u32 code = 0xFFFD;
        size_t length = 1;
        if (lead < 0x80) {
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
        }
        if (length > 1) {
            bool good = i + length <= text.size();
            u32 value = lead & (0x7F >> length);
            for (size_t k = 1; good && k < length; ++k) {
                const u8 next = (u8)text[i + k];
                good = (next & 0xC0) == 0x80;
                value = value << 6 | (next & 0x3F);
            }
            if (good)
                code = value;
            else
                length = 1;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            units.push_back((u16)(0xD800 | code >> 10));
            units.push_back((u16)(0xDC00 | (code & 0x3FF)));
        } else {
            units.push_back((u16)code);
        }
        i += length;
    }
    return units;
}

std::vector<u8> MakeBraktextUnits(const std::vector<u16>& units, bool mark)
{
    std::vector<u8> out;
    if (mark)
        PutBe16(out, 0xFEFF);
    for (u16 unit : units)
        PutBe16(out, unit);
    return out;
}

std::vector<u8> MakeBraktext(const std::string& text)
{
    std::vector<u16> units;
    for (u16 unit : Utf16FromUtf8(text)) {
        if (unit == '\n')
            units.push_back('\r');
        units.push_back(unit);
    }
    if (units.empty() || units.back() != '\n') {
        units.push_back('\r');
        units.push_back('\n');
    }
    return MakeBraktextUnits(units);
}

} // namespace datakit
