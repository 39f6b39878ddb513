// Fonts of texts. X fonts are loaded by the text display layer; until it
// loads them there is no font table, so no font can be acquired and nothing
// measures: texts keep their requested font specification without a font.
#include "xkv/text/TextFont.h"

int16_t Text_AcquireFont(const FontSpec*)
{
    return kNoFont;
}

void Text_ReleaseFont(int16_t)
{
}

Fixed Text_FontHeight(int16_t)
{
    return 0;
}

KernelStatus Text_MeasureString(int16_t, const char*, int16_t, Fixed* width, Fixed* height)
{
    if (width != nullptr) {
        *width = 0;
    }
    if (height != nullptr) {
        *height = 0;
    }
    return kStatusFailed;
}

const char* Text_CharsThatFit(Fixed, const char* characters, int16_t, int16_t, uint16_t* fitted)
{
    if (fitted != nullptr) {
        *fitted = 0;
    }
    return characters;
}
