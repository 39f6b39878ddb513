// The cursor table, cursor resource files turned into X cursors, and the current
// and override cursors of the current page window.
#include "xkv/cursor/Cursor.h"

#include "xkv/cursor/CursorFile.h"
#include "xkv/platform/xwindows/Platform.h"

#include <X11/Xutil.h>
#include <X11/cursorfont.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr KernelStatus kUnknownCursor = 6;
// Paths of the bitmap directory and files are kept below 256 characters.
constexpr size_t kPathMax = 255;

struct CursorState {
    std::vector<CursorEntry> table;
    uint32_t current = kNoCursor;
    uint32_t override = kNoCursor;
    Window lastSetWindow = 0;
    Window lastOverrideWindow = 0;
    Window (*currentPageWindow)() = nullptr;
    Window (*mainWindow)() = nullptr;
    // While a file is read:
    std::string bitmapDirectory;
    int line = 1;
};
CursorState cursors;

Display* TheDisplay()
{
    return Platform_Display();
}

Window CurrentPageWindow()
{
    return cursors.currentPageWindow != nullptr ? cursors.currentPageWindow() : 0;
}

std::optional<std::string> JoinBounded(const std::string& directory, const std::string& name)
{
    std::string path = directory + "/" + name;
    if (path.size() > kPathMax) {
        return std::nullopt;
    }
    return path;
}

void SetDirectory(const std::string& name)
{
    std::optional<std::string> path =
        name.starts_with("/") ? std::optional<std::string>(name) : JoinBounded(Platform_ResourceDirectory(), name);
    cursors.bitmapDirectory = path && path->size() <= kPathMax ? *path : std::string();
}

void WarnIfDuplicate(uint32_t id)
{
    if (Cursor_Find(id) != nullptr) {
        std::fprintf(stderr, "Warning: Duplicate cursor ID '%d'.\n", static_cast<int>(id));
        std::fprintf(stderr, "         Previous definition for cursor ID is overwritten!\n");
    }
}

Cursor FontCursor(Display* display, uint32_t glyph)
{
    // A glyph outside the cursor font would be an X error: use the first glyph.
    if (glyph + 1 >= XC_num_glyphs) {
        glyph = XC_X_cursor;
    }
    return XCreateFontCursor(display, glyph);
}

Cursor PixmapCursor(Display* display, const std::string& bitmapName, const std::string& maskName)
{
    int hotX = 0;
    int hotY = 0;
    int unusedX = 0;
    int unusedY = 0;
    Pixmap bitmap = Cursor_ReadBitmap(bitmapName.c_str(), &hotX, &hotY);
    Pixmap mask = Cursor_ReadBitmap(maskName.c_str(), &unusedX, &unusedY);
    Cursor cursor = None;
    if (bitmap != None && mask != None) {
        Window root = 0;
        int x = 0;
        int y = 0;
        unsigned int width = 0;
        unsigned int height = 0;
        unsigned int maskWidth = 0;
        unsigned int maskHeight = 0;
        unsigned int border = 0;
        unsigned int depth = 0;
        XGetGeometry(display, bitmap, &root, &x, &y, &width, &height, &border, &depth);
        XGetGeometry(display, mask, &root, &x, &y, &maskWidth, &maskHeight, &border, &depth);
        if (width == maskWidth && height == maskHeight) {
            Colormap colormap = DefaultColormap(display, DefaultScreen(display));
            XColor foreground{};
            XColor background{};
            XParseColor(display, colormap, "Black", &foreground);
            XParseColor(display, colormap, "White", &background);
            unsigned int hx = hotX >= 0 && static_cast<unsigned int>(hotX) < width ? static_cast<unsigned int>(hotX) : 0;
            unsigned int hy =
                hotY >= 0 && static_cast<unsigned int>(hotY) < height ? static_cast<unsigned int>(hotY) : 0;
            cursor = XCreatePixmapCursor(display, bitmap, mask, &foreground, &background, hx, hy);
        }
    }
    if (bitmap != None) {
        XFreePixmap(display, bitmap);
    }
    if (mask != None) {
        XFreePixmap(display, mask);
    }
    return cursor;
}

void DefineEntry(const CursorDefinition& definition)
{
    Display* display = TheDisplay();
    if (display == nullptr) {
        return;
    }
    Cursor cursor = None;
    if (definition.bitmap && definition.mask) {
        cursor = PixmapCursor(display, *definition.bitmap, *definition.mask);
    }
    if (cursor == None) {
        cursor = FontCursor(display, definition.glyph);
    }
    CursorEntry* entry = nullptr;
    if (Cursor_AddEntry(definition.id, &entry) != 0 && entry->cursor != None) {
        XFreeCursor(display, entry->cursor);
    }
    entry->cursor = cursor;
}

} // namespace

void Cursor_SetWindowQueries(Window (*currentPageWindow)(), Window (*mainWindow)())
{
    cursors.currentPageWindow = currentPageWindow;
    cursors.mainWindow = mainWindow;
}

uint32_t Cursor_LoadFile(const char* path)
{
    std::string file = path != nullptr ? std::string(path) : std::string(Platform_ResourceDirectory()) + "/KernelCursor.res";
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return 0;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    cursors.bitmapDirectory.clear();
    cursors.line = 1;
    CursorFileSink sink;
    sink.directory = SetDirectory;
    sink.id = WarnIfDuplicate;
    sink.entry = DefineEntry;
    sink.error = [](const char* message, int line) {
        cursors.line = line;
        Cursor_ParseError(message);
    };
    CursorFile_Parse(text, sink);
    return 1;
}

void Cursor_FreeAll()
{
    Display* display = TheDisplay();
    for (const CursorEntry& entry : cursors.table) {
        if (display != nullptr && entry.cursor != None) {
            XFreeCursor(display, entry.cursor);
        }
    }
    cursors.table.clear();
    cursors.current = kNoCursor;
}

const CursorEntry* Cursor_Find(uint32_t id)
{
    for (const CursorEntry& entry : cursors.table) {
        if (entry.id == id) {
            return &entry;
        }
    }
    return nullptr;
}

uint32_t Cursor_AddEntry(uint32_t id, CursorEntry** entry)
{
    for (CursorEntry& existing : cursors.table) {
        if (existing.id == id) {
            if (entry != nullptr) {
                *entry = &existing;
            }
            return 1;
        }
    }
    cursors.table.push_back({id, None});
    if (entry != nullptr) {
        *entry = &cursors.table.back();
    }
    return 0;
}

Pixmap Cursor_ReadBitmap(const char* name, int* hotX, int* hotY)
{
    Display* display = TheDisplay();
    if (display == nullptr || name == nullptr || cursors.bitmapDirectory.empty()) {
        return None;
    }
    std::optional<std::string> path = JoinBounded(cursors.bitmapDirectory, name);
    if (!path) {
        return None;
    }
    unsigned int width = 0;
    unsigned int height = 0;
    Pixmap bitmap = None;
    if (XReadBitmapFile(display, RootWindow(display, DefaultScreen(display)), path->c_str(), &width, &height,
                        &bitmap, hotX, hotY) != BitmapSuccess) {
        return None;
    }
    return bitmap;
}

KernelStatus Cursor_Set(uint32_t id)
{
    Window window = CurrentPageWindow();
    if (window == 0 || (window == cursors.lastSetWindow && id == cursors.current)) {
        return 0;
    }
    cursors.lastSetWindow = window;
    const CursorEntry* entry = Cursor_Find(id);
    if (entry == nullptr) {
        return kUnknownCursor;
    }
    if (cursors.override == kNoCursor && TheDisplay() != nullptr) {
        XDefineCursor(TheDisplay(), window, entry->cursor);
        XFlush(TheDisplay());
    }
    cursors.current = id;
    return 0;
}

KernelStatus Cursor_SetOverride(uint32_t id)
{
    if (id == kNoCursor) {
        cursors.override = kNoCursor;
        cursors.lastOverrideWindow = 0;
        uint32_t shown = cursors.current;
        cursors.current = kNoCursor;
        return Cursor_Set(shown);
    }
    Window window = CurrentPageWindow();
    if (window == 0 || (window == cursors.lastOverrideWindow && id == cursors.override)) {
        return 0;
    }
    const CursorEntry* entry = Cursor_Find(id);
    if (entry == nullptr) {
        return kUnknownCursor;
    }
    cursors.lastOverrideWindow = window;
    if (TheDisplay() != nullptr) {
        XDefineCursor(TheDisplay(), window, entry->cursor);
        XFlush(TheDisplay());
    }
    cursors.override = id;
    return 0;
}

void Cursor_SetMainWindow(uint32_t id)
{
    Window window = cursors.mainWindow != nullptr ? cursors.mainWindow() : 0;
    const CursorEntry* entry = Cursor_Find(id);
    if (window == 0 || entry == nullptr || TheDisplay() == nullptr) {
        return;
    }
    XDefineCursor(TheDisplay(), window, entry->cursor);
    XFlush(TheDisplay());
}

int32_t Cursor_GetCurrent()
{
    uint32_t id = cursors.override != kNoCursor ? cursors.override : cursors.current;
    return static_cast<int32_t>(id);
}

void Cursor_ParseError(const char* message)
{
    std::fprintf(stderr, "%s: %s in cursor resource file line %d.\n", Platform_ProgramName(), message, cursors.line);
}

size_t Cursor_Count()
{
    return cursors.table.size();
}
