// Command-layer state: the current page, text mode, the file names last used
// for each kind of file, the highlighted object and a few switches.
#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"
#include "xkv/text/TextKernel.h"
#include "xkv/velkor/Velkor.h"
#include "xkv/window/Window.h"

namespace {

// The directory and the name of one kind of file, each known or not, with the
// memory blocks that the handle getters hand out (made when first asked for,
// freed when the value changes).
struct FilePart {
    std::optional<std::string> text;
    MemHandle block = 0;

    void Set(std::optional<std::string> value)
    {
        if (block != 0) {
            Mem_Free(block);
            block = 0;
        }
        text = std::move(value);
    }
};

struct FilePath {
    FilePart directory;
    FilePart name;
};

struct CommandState {
    ObjectHandle currentPage = 0;
    uint32_t textMode = 0;
    std::array<FilePath, 3> files;
    ObjectHandle highlight = 0;
    uint32_t noHandleGestures = 0;
    int32_t pendingCommand = 0;
    uint32_t scrollToSelection = 0;
    uint32_t vertexHandleMode = 0;
    uint32_t noAutoSelect = 0;
};

CommandState& State()
{
    static CommandState state;
    return state;
}

FilePath* FileOfKind(uint32_t kind)
{
    if (kind < 1 || kind > 3) {
        return nullptr;
    }
    return &State().files[kind - 1];
}

constexpr uint32_t kRuleTextModeOn = 22;
constexpr uint32_t kRuleTextModeOff = 23;
constexpr uint32_t kRulePageCurrent = 1;
constexpr uint32_t kRuleVertexHandlesOn = 44;
constexpr uint32_t kRuleVertexHandlesOff = 45;

}  // namespace

ObjectHandle Comm_GetCurrentPage()
{
    return State().currentPage;
}

Widget Comm_GetCurrentWindow()
{
    const ObjectHandle page = State().currentPage;
    return page != 0 ? Window_OfPage(page) : nullptr;
}

namespace {

constexpr uint32_t kPageFlagNoAutoScroll = 256;
constexpr uint32_t kPageFlagApart = 512;
constexpr uint32_t kRuleSubpageCurrent = 27;

bool PageHasFlag(ObjectHandle page, uint32_t flag)
{
    return Model_HasFlags(page, flag) != 0;
}

// The page whose window gives way when no more may open: the first in chain
// order among the ordinary pages with a window, else among the flag-512 ones.
ObjectHandle PageToRecycle()
{
    ObjectHandle apart = 0;
    uint32_t guard = Model_SlotCount();
    for (ObjectHandle p = Model_GetFirstPage(); p != 0 && guard-- > 0; p = Model_GetNextSibling(p)) {
        if (Window_OfPage(p) == nullptr) {
            continue;
        }
        if (!PageHasFlag(p, kPageFlagApart)) {
            return p;
        }
        if (apart == 0) {
            apart = p;
        }
    }
    return apart;
}

// Closes one page window when the window limits are reached.
void MakeRoomForWindow()
{
    const int32_t limit = Velkor_Settings().maxPageWindows;
    const int32_t ordinary = Window_CountPageWindows();
    const int32_t apart = Window_CountFlaggedPageWindows();
    if (ordinary < limit && ordinary + apart < kPageWindowMax) {
        return;
    }
    if (const ObjectHandle victim = PageToRecycle(); victim != 0) {
        Core_ClosePage(victim, 0);
        Hook_Fire(kHookPageWindowClosed, victim);
    }
}

// Opens the page's window (recycling one past the limits); false on failure.
bool OpenWindowFor(ObjectHandle page)
{
    MakeRoomForWindow();
    if (Window_OpenPage(page, nullptr, 1, nullptr, 1) != 0) {
        return false;
    }
    // A page read from a file has its connectors' paths but no arrow heads yet.
    Core_RebuildPageConnectors(page);
    return true;
}

// The window of the page that has just become current: its scrolling, the
// page's place in the recent list and a cleared selection, drawn in one go.
void PrepareCurrentWindow(ObjectHandle page, Widget window)
{
    if (PageHasFlag(page, kPageFlagApart)) {
        Window_SetScrollBars(page, 1);
    }
    Window_SetAllowScroll(page, PageHasFlag(page, kPageFlagNoAutoScroll) ? 0 : 1);
    Model_PushRecent(page);
    Window_SuspendDrawing(window);
    // The page's recent object is not selected here: what a page shows when
    // it becomes current is left to the application (a syntax check that
    // goes through the pages would otherwise leave handles on each).
    Select_Clear();
    Menu_ApplyRule(kRulePageCurrent, 0);
    if (Model_IsSubpage(page) != 0) {
        Menu_ApplyRule(kRuleSubpageCurrent, 0);
    }
    Window_ResumeDrawing(window);
    Window_Activate(window);
}

}  // namespace

void Comm_SetCurrentPage(ObjectHandle page)
{
    CommandState& state = State();
    if (page != 0 && page == state.currentPage) {
        if (Widget window = Window_OfPage(page); window != nullptr) {
            Window_SetIndication(window, 1);
            Window_ActivatePage(page);
        }
        return;
    }
    if (Hook_IsRegistered(kHookPageChanging) != 0 && Hook_GetHandler(kHookPageChanging)(page, 0, 0, 0, 0, 0) == 0) {
        return;
    }
    const ObjectHandle previous = state.currentPage;
    if (Widget window = Comm_GetCurrentWindow(); window != nullptr) {
        Window_SetIndication(window, 0);
        if (PageHasFlag(previous, kPageFlagApart)) {
            Window_SetScrollBars(previous, 0);
        }
    }
    if (page == 0) {
        state.currentPage = 0;
        Select_Clear();
        return;
    }
    Model_MoveToLast(page);
    if (Window_OfPage(page) == nullptr && !OpenWindowFor(page)) {
        return;
    }
    if (previous != 0 && Model_IsPage(previous) != 0) {
        Window_SetAllowScroll(previous, 0);
    }
    state.currentPage = page;
    if (Widget window = Window_OfPage(page); window != nullptr) {
        PrepareCurrentWindow(page, window);
    }
    // Hook 71 sees the previous page as current while it runs.
    state.currentPage = previous;
    Hook_Fire(kHookCurrentPageChanged, page);
    state.currentPage = page;
}

// The page to show first: the diagram's most recent page, else the page of
// the first open window, else the last page of the chain.
ObjectHandle Comm_FirstWindowPage()
{
    const ObjectHandle first = Model_GetFirstPage();
    if (first == 0) {
        return 0;
    }
    if (const ObjectHandle recent = Model_GetRecent(first); recent != 0 && Model_IsPage(recent) != 0) {
        return recent;
    }
    if (const ObjectHandle windowPage = Window_FirstPage(); windowPage != 0) {
        return windowPage;
    }
    return Model_GetLastSibling(first);
}

uint32_t Comm_InTextMode()
{
    return State().textMode;
}

void Comm_SetTextMode(uint32_t on)
{
    State().textMode = on;
    if (on == 1) {
        Menu_ApplyRule(kRuleTextModeOn, 0);
        Text_StartEdit(Select_GetObject());
    } else {
        Menu_ApplyRule(kRuleTextModeOff, 0);
        Text_LeaveEditing();
    }
}

uint32_t Comm_TextEntryActive()
{
    return State().textMode != 0 || Comm_GetState() == 55 ? 1 : 0;
}

ObjectHandle Comm_GetHighlight()
{
    return State().highlight;
}

KernelStatus Comm_SetHighlight(ObjectHandle object)
{
    CommandState& state = State();
    if (object != 0 && Model_IsNode(object) == 0) {
        return 63;
    }
    if (state.highlight != 0) {
        Window_HideIndication(Window_OfPage(Model_GetPage(state.highlight)));
    }
    state.highlight = object;
    if (object != 0) {
        Window_ShowExtentOutline(Window_OfPage(Model_GetPage(object)), object);
    }
    return 0;
}

void Comm_SetHandleGestures(uint32_t flag)
{
    State().noHandleGestures = flag == 0 ? 1 : 0;
}

uint32_t Comm_NoHandleGestures()
{
    return State().noHandleGestures;
}

int32_t Comm_GetPendingCommand()
{
    return State().pendingCommand;
}

void Comm_SetPendingCommand(int32_t value)
{
    State().pendingCommand = value;
}

void Comm_SetScrollToSelection(uint32_t flag)
{
    State().scrollToSelection = flag;
}

uint32_t Comm_ScrollToSelection()
{
    return State().scrollToSelection;
}

uint32_t Comm_VertexHandleMode()
{
    return State().vertexHandleMode;
}

void Comm_SetVertexHandleMode(uint32_t flag)
{
    State().vertexHandleMode = flag;
    Menu_ApplyRule(flag != 0 ? kRuleVertexHandlesOn : kRuleVertexHandlesOff, 0);
}

void Comm_SetNoAutoSelect(uint32_t flag)
{
    State().noAutoSelect = flag;
}

uint32_t Comm_NoAutoSelect()
{
    return State().noAutoSelect;
}

void Comm_NotifyModelClosed()
{
    Hook_Fire(kHookModelClosed);
}

// The application's handler fills the count and a list allocated with
// malloc; the kernel's answer is a one-page list of the current page (none
// when no page is current: a list naming page 0 would print nothing sound).
uint32_t Comm_ApplicationPages(uint16_t* count, uint32_t** pages)
{
    if (count == nullptr || pages == nullptr) {
        return 0;
    }
    *count = 0;
    *pages = nullptr;
    constexpr HookId kHookPageList = 85;
    if (Hook_IsRegistered(kHookPageList) != 0) {
        return static_cast<uint32_t>(
            Hook_Fire(kHookPageList, reinterpret_cast<uintptr_t>(count), reinterpret_cast<uintptr_t>(pages)));
    }
    const ObjectHandle page = Comm_GetCurrentPage();
    if (page == 0) {
        return 1;
    }
    *pages = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t)));
    if (*pages == nullptr) {
        return 0;
    }
    (*pages)[0] = page;
    *count = 1;
    return 1;
}

// A path is split at its last "/": the directory keeps the "/", a path
// without one has an empty directory and is all name.
KernelStatus Comm_SetFilePath(uint32_t kind, const char* path)
{
    FilePath* file = FileOfKind(kind);
    if (file == nullptr) {
        return 6;
    }
    if (path == nullptr) {
        file->directory.Set(std::nullopt);
        file->name.Set(std::nullopt);
        return 0;
    }
    const std::string_view text(path);
    const size_t slash = text.rfind('/');
    file->directory.Set(slash == std::string_view::npos ? std::string() : std::string(text.substr(0, slash + 1)));
    file->name.Set(slash == std::string_view::npos ? std::string(text) : std::string(text.substr(slash + 1)));
    return 0;
}

namespace {

// The text of a block: its bytes up to the first NUL or its end.
std::optional<std::string> TextOfBlock(MemHandle block)
{
    if (block == 0) {
        return std::nullopt;
    }
    char* data = nullptr;
    if (Mem_LockAs(block, &data) != 0 || data == nullptr) {
        return std::nullopt;
    }
    std::string text(data, strnlen(data, Mem_Size(block)));
    Mem_Unlock(block);
    return text;
}

// The part's block: a copy of its text with the NUL, made on first use.
MemHandle BlockOf(FilePart& part)
{
    if (!part.text.has_value()) {
        return 0;
    }
    if (part.block == 0 && Mem_AllocCopy(&part.block, part.text->c_str(), part.text->size() + 1) != 0) {
        part.block = 0;
    }
    return part.block;
}

}  // namespace

KernelStatus Comm_SetFileName(uint32_t kind, MemHandle name)
{
    FilePath* file = FileOfKind(kind);
    if (file == nullptr) {
        return 6;
    }
    file->name.Set(TextOfBlock(name));
    return 0;
}

KernelStatus Comm_SetFileDirectory(uint32_t kind, MemHandle directory)
{
    FilePath* file = FileOfKind(kind);
    if (file == nullptr) {
        return 6;
    }
    file->directory.Set(TextOfBlock(directory));
    return 0;
}

MemHandle Comm_GetFileName(uint32_t kind)
{
    FilePath* file = FileOfKind(kind);
    return file != nullptr ? BlockOf(file->name) : 0;
}

MemHandle Comm_GetFileDirectory(uint32_t kind)
{
    FilePath* file = FileOfKind(kind);
    return file != nullptr ? BlockOf(file->directory) : 0;
}

const char* Comm_GetFileDirectoryText(uint32_t kind)
{
    const FilePath* file = FileOfKind(kind);
    return file != nullptr && file->directory.text.has_value() ? file->directory.text->c_str() : nullptr;
}

const char* Comm_GetFileNameText(uint32_t kind)
{
    const FilePath* file = FileOfKind(kind);
    return file != nullptr && file->name.text.has_value() ? file->name.text->c_str() : nullptr;
}

KernelStatus Comm_GetFilePath(uint32_t kind, char* buffer, size_t bufferSize)
{
    const FilePath* file = FileOfKind(kind);
    if (file == nullptr || !file->directory.text.has_value() || !file->name.text.has_value() || buffer == nullptr) {
        return 55;
    }
    const std::string joined = *file->directory.text + *file->name.text;
    if (joined.size() >= bufferSize) {
        return 6;
    }
    std::memcpy(buffer, joined.c_str(), joined.size() + 1);
    return 0;
}
