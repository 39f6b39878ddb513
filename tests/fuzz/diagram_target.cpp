// Fuzz target: the diagram file, in every layout and the older drawing tool's
// form, read into a fresh object table as File > Open reads it.
#include <X11/Xlib.h>

#include "FuzzInput.h"
#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/file/File.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextEdit.h"
#include "xkv/text/TextFontX.h"

namespace {

// Every font is a fixed-width one: the readers lay texts out without X.
XFontStruct* LoadFont(void*, const char*)
{
    auto* font = new XFontStruct{};
    font->min_char_or_byte2 = 0;
    font->max_char_or_byte2 = 255;
    font->min_bounds.width = 2;
    font->max_bounds.width = 2;
    font->ascent = 10;
    font->descent = 2;
    return font;
}

void ReleaseFont(void*, XFontStruct* font) { delete font; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::FileOf(data, size);
    if (path.empty())
        return 0;
    TextFontSource source{LoadFont, ReleaseFont, nullptr};
    Text_SetFontSource(&source);
    Group_CreateTable(kGroupTableInitialSize);
    Model_CreateTable(kInitialObjectSlots);
    Default_Init();
    FileHandle file = 0;
    if (File_Open(path.c_str(), kOpenRead, &file) == kStatusOk) {
        ObjectGroup pages = 0;
        File_ReadDiagram(file, 0, &pages);
        Group_Free(pages);
        File_Close(file);
    }
    if (Model_GetRoot() != 0)
        Model_DestroyTree(Model_GetRoot());
    Text_Shutdown();
    Default_Shutdown();
    Model_DestroyTable();
    Group_DestroyTable();
    Text_SetFontSource(nullptr);
    return 0;
}
