// QX menus (wrappers of the kernel's menu interface, storing its status on
// every call) and colour indices in field 75.
#include "xkv/kv/QXMenu.h"

#include <cstring>

#include "xkv/colour/Colour.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/Model.h"
#include "xkv/velkor/Velkor.h"

namespace {

constexpr int32_t kMenuAtEnd = 9999;
constexpr uint32_t kItemAtEnd = 32767;

int32_t MenuBefore(int32_t before)
{
    return before == 0 ? kMenuAtEnd : before;
}

CommandId ItemBefore(uint32_t before)
{
    return static_cast<CommandId>(before == 0 ? kItemAtEnd : before);
}

}  // namespace

uint32_t QXMenu_LoadMenu(int32_t menuId)
{
    return qx::Store(Menu_InsertTableMenu(menuId, kMenuAtEnd));
}

uint32_t QXMenu_AddMenu(int32_t menuId, int32_t before)
{
    return qx::Store(Menu_NewMenu(menuId, "", 1, MenuBefore(before)));
}

uint32_t QXMenu_MoveMenu(int32_t menuId, int32_t before)
{
    return qx::Store(Menu_MoveMenu(menuId, MenuBefore(before)));
}

uint32_t QXMenu_DeleteMenu(int32_t menuId)
{
    return qx::Store(Menu_DeleteMenu(menuId));
}

uint32_t QXMenu_SetMenuTitle(int32_t menuId, const char* title)
{
    if (title == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    return qx::Store(Menu_SetMenuTitle(menuId, title));
}

uint32_t QXMenu_SetMenuState(int32_t menuId, uint32_t bits)
{
    Menu* menu = nullptr;
    if (Menu_FindMenu(menuId, &menu) != kStatusOk || menu == nullptr) {
        return 1;
    }
    if (bits & 2) menu->enabled = 0;
    if (bits & 1) menu->enabled = 1;
    const int32_t shown = menu->shownEnabled;
    if (bits & 4) menu->shownEnabled = 0;
    if (bits & 8) menu->shownEnabled = 1;
    if (bits & 16) menu->enabled = 0;
    if (bits & 32) menu->enabled = 1;
    if (menu->shownEnabled != shown) {
        Menu_FitMenuBar();
    }
    return 1;
}

uint32_t QXMenu_GetMenuPosition(int32_t menuId, uint16_t* index)
{
    if (index == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    if (Menu_MenuIndex(menuId, index) != kStatusOk) {
        *index = 65535;
        return 0;
    }
    return 1;
}

uint32_t QXMenu_AddItem(uint32_t command, const char* label, int32_t menuId, uint32_t before)
{
    if (label == nullptr || command > UINT16_MAX) {
        return qx::Fail(kStatusBadArgument);
    }
    const bool separator = std::strcmp(label, "-") == 0;
    const auto id = static_cast<CommandId>(command);
    int32_t request = 0;
    Menu_TableRequest(id, &request);
    KernelStatus s = Menu_NewItem(menuId, id, separator ? "" : label, separator ? 0 : 1, separator ? 1 : 0, 0,
                                  request, ItemBefore(before));
    if (s == kStatusOk && !separator) {
        Accel_LoadCommand(id);
    }
    return qx::Store(s);
}

uint32_t QXMenu_AppendItem(int32_t menuId, uint32_t command, const char* label)
{
    return QXMenu_AddItem(command, label, menuId, 0);
}

uint32_t QXMenu_MoveItem(uint32_t command, int32_t menuId, uint32_t before)
{
    return qx::Store(Menu_MoveItem(static_cast<CommandId>(command), menuId, ItemBefore(before)));
}

uint32_t QXMenu_DeleteItem(uint32_t command)
{
    return qx::Store(Menu_DeleteItem(static_cast<CommandId>(command)));
}

void QXMenu_RemoveItem(uint32_t, uint32_t command)
{
    if (QXMenu_DeleteItem(command) != 0) {
        Menu_FitMenuBar();
    }
}

uint32_t QXMenu_SetItemLabel(uint32_t command, const char* label)
{
    if (label == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    return qx::Store(Menu_SetItemLabel(static_cast<CommandId>(command), label));
}

uint32_t QXMenu_SetItemState(uint32_t command, uint32_t bits)
{
    const auto id = static_cast<CommandId>(command);
    if (!Menu_ItemExists(id)) {
        return 1;
    }
    if (bits & 2) Menu_SetItemEnabled(id, 0);
    if (bits & 1) Menu_SetItemEnabled(id, 1);
    if (bits & 16) Menu_SetItemEnabled(id, 0);
    if (bits & 32) Menu_SetItemEnabled(id, 1);
    if (bits & 64) Menu_SetItemMark(id, 1);
    if (bits & 128) Menu_SetItemMark(id, 0);
    return 1;
}

int32_t QXMenu_SetItemMark(uint32_t, uint32_t command, int32_t on)
{
    return static_cast<int32_t>(Menu_SetItemMark(static_cast<CommandId>(command), on));
}

int32_t QXMenu_GetItemMark(uint32_t, uint32_t command)
{
    return Menu_GetItemMark(static_cast<CommandId>(command));
}

uint32_t QXMenu_GetItemPosition(uint32_t command, uint16_t* menuIndex, uint16_t* itemIndex)
{
    if (menuIndex == nullptr || itemIndex == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    return qx::Store(Menu_ItemPosition(static_cast<CommandId>(command), menuIndex, itemIndex));
}

uint32_t QXMenu_GetItemCount(int32_t menuId, uint16_t* count)
{
    Menu* menu = nullptr;
    if (count == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    const KernelStatus s = Menu_FindMenu(menuId, &menu);
    if (s != kStatusOk || menu == nullptr) {
        return qx::Store(s != kStatusOk ? s : kStatusNotFound);
    }
    *count = static_cast<uint16_t>(menu->items.size());
    return qx::Store(kStatusOk);
}

uint32_t QXMenu_GetItemAt(int32_t menuId, uint16_t index, uint32_t* command)
{
    Menu* menu = nullptr;
    if (command == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    if (Menu_FindMenu(menuId, &menu) != kStatusOk || menu == nullptr || index >= menu->items.size()) {
        return qx::Store(kStatusNotFound);
    }
    *command = menu->items[index]->commandId;
    return qx::Store(kStatusOk);
}

void QXMenu_UpdateMenuBar()
{
    Menu_FitMenuBar();
    Menu_Refresh(1);
}

// ---- Colours ----

namespace {

bool ReadColours(ObjectHandle object, uint32_t* colours)
{
    if (!Model_IsObject(object) || Model_GetField(object, Field::kColours, colours) != kStatusOk) {
        qx::Fail(kStatusInvalidObject);
        return false;
    }
    return true;
}

bool IsValidIndex(int16_t index)
{
    return index >= 0 && index < Color_Count();
}

uint32_t Replace(uint32_t colours, int16_t index, uint32_t shift)
{
    if (!IsValidIndex(index)) {
        return colours;
    }
    return (colours & ~(0xffu << shift)) | (static_cast<uint32_t>(index) << shift);
}

uint32_t GetOne(ObjectHandle object, int16_t* index, uint32_t shift)
{
    uint32_t colours = 0;
    if (index == nullptr || !ReadColours(object, &colours)) {
        return 0;
    }
    *index = static_cast<int16_t>((colours >> shift) & 0xff);
    return 1;
}

}  // namespace

uint32_t QXColor_GetColors(ObjectHandle object, int16_t* line, int16_t* fill, int16_t* text)
{
    uint32_t colours = 0;
    if (!ReadColours(object, &colours)) {
        return 0;
    }
    if (line != nullptr) *line = static_cast<int16_t>(colours >> 24);
    if (fill != nullptr) *fill = static_cast<int16_t>((colours >> 16) & 0xff);
    if (text != nullptr) *text = static_cast<int16_t>((colours >> 8) & 0xff);
    return 1;
}

uint32_t QXColor_GetLineColor(ObjectHandle object, int16_t* index)
{
    return GetOne(object, index, 24);
}

uint32_t QXColor_GetFillColor(ObjectHandle object, int16_t* index)
{
    return GetOne(object, index, 16);
}

uint32_t QXColor_GetTextColor(ObjectHandle object, int16_t* index)
{
    return GetOne(object, index, 8);
}

uint32_t QXColor_SetColors(ObjectHandle object, int16_t line, int16_t fill, int16_t text)
{
    uint32_t colours = 0;
    if (!ReadColours(object, &colours)) {
        return 0;
    }
    const uint32_t changed = Replace(Replace(Replace(colours, line, 24), fill, 16), text, 8);
    if (changed == colours) {
        return 0;
    }
    if (KernelStatus s = Model_SetField(object, Field::kColours, &changed); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t QXColor_SetLineColor(ObjectHandle object, int16_t index)
{
    return QXColor_SetColors(object, index, -1, -1);
}

uint32_t QXColor_SetFillColor(ObjectHandle object, int16_t index)
{
    return QXColor_SetColors(object, -1, index, -1);
}

uint32_t QXColor_SetTextColor(ObjectHandle object, int16_t index)
{
    return QXColor_SetColors(object, -1, -1, index);
}

uint32_t QXColor_GetMode()
{
    return Color_GetMode();
}

uint32_t QXColor_FreeEntries()
{
    return static_cast<uint32_t>(kColorTableSize - Color_Count());
}

uint32_t QXColor_GetMapSize()
{
    return static_cast<uint32_t>(Color_GetMapEntries());
}

uint32_t QXColor_GetRGB(ColorEntry* entry, uint32_t query)
{
    if (entry == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    return Color_GetRGB(entry, query);
}

uint32_t QXColor_Define(ColorEntry* entry)
{
    if (entry == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    return Color_Define(entry);
}

uint32_t QXColor_DefineByName(const char* name, ColorEntry* entry)
{
    if (name == nullptr || entry == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    return Color_DefineByName(name, entry);
}

uint32_t QXColor_LoadTable(const uint16_t (*rows)[3], uint32_t reset, int16_t first, uint16_t count)
{
    if (rows == nullptr && count > 0) {
        return qx::Fail(kStatusBadArgument);
    }
    return Color_LoadTable(rows, reset, first, count);
}

void QXMenu_RequestUpdate()
{
    Velkor_RequestMenuUpdate(1);
}

void QXMenu_CancelUpdate()
{
    Velkor_RequestMenuUpdate(0);
}
