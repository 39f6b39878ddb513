// The page list and the layout of the page hierarchy.
#include "xkv/pagelist/PageList.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/types/Fixed.h"

namespace {

constexpr Fixed kStartWidth = 250 << 16;
constexpr Fixed kStartHeight = 300 << 16;
constexpr Fixed kMinSpacing = 40 << 16;
constexpr Fixed kIndentStep = 5 << 16;
constexpr Fixed kLabelMargin = 6 << 16;
constexpr uint16_t kMinCharacters = 6;
constexpr uint16_t kOutlineCharacters = 128;

// The layout kept for the last layout made.
struct LayoutState {
    uint32_t mode = kPageLayoutTree;
    int16_t font = kNoFont;
    Fixed mWidth = 0;
    Fixed mHeight = 0;
    uint32_t count = 0;
    int32_t root = -1;
    uint32_t largestRow = 0;
    uint32_t rows = 0;
    Fixed width = kStartWidth;
    Fixed height = kStartHeight;
    Fixed rowSpacing = 0;
    Fixed outlineY = kIndentStep;
};

LayoutState& Last()
{
    static LayoutState state;
    return state;
}

MemHandle heldPages = 0;

struct Builder {
    std::vector<PageListEntry> entries;
    std::vector<uint16_t> rowCounts;
    std::vector<Fixed> rowSpacings;
    int32_t root = -1;
};

PageListEntry Template()
{
    return PageListEntry{0, -1, -1, -1, 65535, 0, 0, 0, 0, 0};
}

KernelStatus AddPage(ObjectHandle page, void* argument)
{
    auto* builder = static_cast<Builder*>(argument);
    if (Hook_IsRegistered(kHookPageInStructure) &&
        Hook_GetHandler(kHookPageInStructure)(page, 0, 0, 0, 0, 0) == 0) {
        return kStatusOk;
    }
    PageListEntry entry = Template();
    entry.page = page;
    builder->entries.push_back(entry);
    if (builder->root < 0 && Model_GetFieldValue(page, Field::kRefinedNode) == 0) {
        builder->root = static_cast<int32_t>(builder->entries.size() - 1);
    }
    return kStatusOk;
}

int32_t EntryOfPage(const Builder& builder, ObjectHandle page)
{
    for (size_t i = 0; i < builder.entries.size(); ++i) {
        if (builder.entries[i].page == page) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

// True when `ancestor` lies on the parent chain of `entry` (or is it).
bool IsAncestor(const Builder& builder, int32_t ancestor, int32_t entry)
{
    for (size_t steps = 0; entry >= 0 && steps <= builder.entries.size(); ++steps) {
        if (entry == ancestor) {
            return true;
        }
        entry = builder.entries[entry].parent;
    }
    return false;
}

void AppendToChain(Builder& builder, int32_t first, int32_t entry)
{
    int32_t last = first;
    while (builder.entries[last].next >= 0) {
        last = builder.entries[last].next;
    }
    builder.entries[last].next = entry;
}

void Link(Builder& builder)
{
    if (builder.entries.empty()) {
        return;
    }
    if (builder.root < 0) {
        builder.root = 0;
    }
    builder.entries[builder.root].next = -1;
    for (int32_t i = 0; i < static_cast<int32_t>(builder.entries.size()); ++i) {
        if (i == builder.root) {
            continue;
        }
        ObjectHandle node = Model_GetFieldValue(builder.entries[i].page, Field::kRefinedNode);
        int32_t parent = node != 0 ? EntryOfPage(builder, Model_GetPage(node)) : -1;
        // A page refining a node of its own subtree would close a circle:
        // it stays a top-level page.
        if (parent >= 0 && !IsAncestor(builder, i, parent)) {
            builder.entries[i].parent = parent;
            if (builder.entries[parent].firstChild < 0) {
                builder.entries[parent].firstChild = i;
            } else {
                AppendToChain(builder, builder.entries[parent].firstChild, i);
            }
        } else {
            AppendToChain(builder, builder.root, i);
        }
    }
}

// Pre-order over the tree from an entry: the entry, its first child's
// subtree, then its next sibling's.
template <typename Visit>
void PreOrder(std::vector<PageListEntry>& entries, int32_t start, Visit visit)
{
    std::vector<int32_t> stack;
    if (start >= 0) {
        stack.push_back(start);
    }
    size_t visits = 0;
    while (!stack.empty() && visits++ <= entries.size()) {
        int32_t index = stack.back();
        stack.pop_back();
        if (index < 0 || index >= static_cast<int32_t>(entries.size())) {
            continue;
        }
        visit(entries[index]);
        if (entries[index].next >= 0) {
            stack.push_back(entries[index].next);
        }
        if (entries[index].firstChild >= 0) {
            stack.push_back(entries[index].firstChild);
        }
    }
}

void Place(Builder& builder, LayoutState& state)
{
    auto& entries = builder.entries;
    PreOrder(entries, builder.root, [&](PageListEntry& e) {
        e.depth = e.parent >= 0 ? static_cast<uint16_t>(entries[e.parent].depth + 1) : 0;
        if (e.depth < builder.rowCounts.size()) {
            builder.rowCounts[e.depth]++;
        }
    });
    state.rows = 0;
    state.largestRow = 0;
    while (state.rows < builder.rowCounts.size() && builder.rowCounts[state.rows] != 0) {
        state.largestRow = std::max<uint32_t>(state.largestRow, builder.rowCounts[state.rows]);
        state.rows++;
    }
    std::vector<uint16_t> nextOrder(builder.rowCounts.size(), 0);
    PreOrder(entries, builder.root, [&](PageListEntry& e) {
        if (e.depth < nextOrder.size()) {
            e.order = ++nextOrder[e.depth];
        }
    });
    state.largestRow++;
    state.rows++;
    state.width = std::max(state.width, Fix_Saturate(int64_t{state.largestRow} * kMinSpacing));
    state.height = std::max(state.height, Fix_Saturate(int64_t{state.rows} * kMinSpacing));
    state.rowSpacing = std::max(Fix_DivInt(state.height, static_cast<int32_t>(state.rows)), kMinSpacing);
    for (size_t row = 0; row < builder.rowCounts.size(); ++row) {
        builder.rowSpacings[row] =
            std::max(Fix_DivInt(state.width, builder.rowCounts[row] + 1), kMinSpacing);
    }
    PreOrder(entries, builder.root, [&](PageListEntry& e) {
        if (state.mode == kPageLayoutOutline) {
            e.x = Fix_Saturate(int64_t{e.depth + 1} * kIndentStep);
            e.y = state.outlineY;
            state.outlineY = Fix_Add(state.outlineY, state.mHeight);
            e.characters = kOutlineCharacters;
            return;
        }
        Fixed spacing = e.depth < builder.rowSpacings.size() ? builder.rowSpacings[e.depth] : kMinSpacing;
        e.x = Fix_Saturate(int64_t{spacing} * e.order);
        e.y = Fix_Saturate(int64_t{e.depth + 1} * state.rowSpacing);
        char name[kPageNameSize];
        Model_GetPageName(e.page, name);
        uint16_t fitted = 0;
        Text_CharsThatFit(Fix_Sub(spacing, kLabelMargin), name, static_cast<int16_t>(std::strlen(name)), state.font,
                          &fitted);
        e.characters = std::max(fitted, kMinCharacters);
    });
}

}  // namespace

MemHandle PageList_Collect(uint32_t* count)
{
    uint32_t pages = Model_CountPages();
    MemHandle block = 0;
    ObjectHandle* handles = nullptr;
    if (Mem_AllocLocked(&block, reinterpret_cast<void**>(&handles), size_t{pages} * sizeof(ObjectHandle)) !=
        kStatusOk) {
        return 0;
    }
    uint32_t n = 0;
    for (ObjectHandle page = Model_GetFirstPage(); page != 0 && n < pages; page = Model_GetNextSibling(page)) {
        handles[n++] = page;
    }
    Mem_Unlock(block);
    if (count != nullptr) {
        *count = n;
    }
    return block;
}

KernelStatus PageList_GetPages(uint32_t* count, ObjectHandle** pages)
{
    PageList_FreePages();
    heldPages = PageList_Collect(count);
    if (heldPages == 0) {
        return kStatusOutOfMemory;
    }
    if (pages != nullptr) {
        return Mem_LockAs(heldPages, pages);
    }
    return kStatusOk;
}

void PageList_FreePages()
{
    if (heldPages != 0) {
        Mem_Free(heldPages);
        heldPages = 0;
    }
}

KernelStatus PageList_Layout(uint32_t mode, const FontSpec* font, MemHandle* out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    *out = 0;
    LayoutState state;
    state.mode = mode == kPageLayoutOutline ? kPageLayoutOutline : kPageLayoutTree;
    FontSpec wantedFont = font != nullptr ? *font : FontSpec{};
    state.font = Text_AcquireFont(&wantedFont);
    Text_MeasureString(state.font, "M", 1, &state.mWidth, &state.mHeight);

    Builder builder;
    try {
        uint32_t pages = Model_CountPages();
        builder.entries.reserve(pages);
        builder.rowCounts.assign(pages, 0);
        builder.rowSpacings.assign(pages, 0);
        Model_ApplyPagesSorted(AddPage, &builder);
    } catch (const std::bad_alloc&) {
        if (state.font != kNoFont) {
            Text_ReleaseFont(state.font);
        }
        return kStatusOutOfMemory;
    }
    Link(builder);
    Place(builder, state);
    if (state.font != kNoFont) {
        Text_ReleaseFont(state.font);
    }
    state.font = kNoFont;
    state.count = static_cast<uint32_t>(builder.entries.size());
    state.root = builder.root;

    MemHandle block = 0;
    KernelStatus status = Mem_AllocCopy(&block, builder.entries.data(), builder.entries.size() * sizeof(PageListEntry));
    if (status != kStatusOk) {
        return status;
    }
    Last() = state;
    *out = block;
    return kStatusOk;
}

uint32_t PageList_EntryCount(MemHandle entries)
{
    return Mem_Size(entries) / sizeof(PageListEntry);
}

KernelStatus PageList_Lock(MemHandle entries, PageListEntry** out)
{
    return Mem_LockAs(entries, out);
}

KernelStatus PageList_Unlock(MemHandle entries)
{
    return Mem_Unlock(entries);
}

KernelStatus PageList_Free(MemHandle entries)
{
    return Mem_Free(entries);
}

KernelStatus PageList_GetEntry(MemHandle entries, uint32_t index, PageListEntry* out)
{
    BlockLock<PageListEntry> block(entries);
    if (!block) {
        return kStatusNullHandle;
    }
    if (out == nullptr || index >= block.size() / sizeof(PageListEntry)) {
        return kStatusBadArgument;
    }
    *out = block.get()[index];
    return kStatusOk;
}

KernelStatus PageList_Walk(MemHandle entries, PageListCallback callback, void* argument)
{
    BlockLock<PageListEntry> block(entries);
    int32_t root = Last().root;
    if (!block || root < 0 || callback == nullptr) {
        return kStatusOk;
    }
    std::vector<PageListEntry> copy(block.get(), block.get() + block.size() / sizeof(PageListEntry));
    KernelStatus result = kStatusOk;
    PreOrder(copy, root, [&](PageListEntry& e) {
        if (result == kStatusOk) {
            result = callback(&e, argument);
        }
    });
    return result;
}
