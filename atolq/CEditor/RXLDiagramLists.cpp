// The diagram's lists of the sibling tool's piece candidates, kept in user
// data of the page list's root, the mode that their presence turns on, and
// the Set menu's item of that mode.
#include <cstring>
#include <vector>

#include "atolq/CEditor/RXLNets.h"
#include "atolq/CEditor/RXLCandidates.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kvud/UserData.h"

namespace {

constexpr uint32_t kListEnd = 0xFFFFFFFFu;

constexpr int32_t kSetMenu = 10200;

int rxlMode = 0;

bool hasItem(uint32_t command)
{
    uint16_t menu = 0, item = 0;
    return QXMenu_GetItemPosition(command, &menu, &item) != 0;
}

} // namespace

void SAddRXLOptionsItem()
{
    if (hasItem(kRXLOptionsItem))
        return;
    QXMenu_AppendItem(kSetMenu, kRXLOptionsSeparator, "-");
    QXMenu_AppendItem(kSetMenu, kRXLOptionsItem, "RXL Simulation Options...");
    // The pull-down is laid out anew with the item.
    QXMenu_UpdateMenuBar();
}

void SRemoveRXLOptionsItem()
{
    QXMenu_DeleteItem(kRXLOptionsItem);
    QXMenu_DeleteItem(kRXLOptionsSeparator);
    QXMenu_UpdateMenuBar();
}


void RXLRemapDiagramLists(const RXLHandleMap& map)
{
    const ObjectHandle root = QXStr_GetPageListHandle();
    for (const uint32_t tag : {kRXLCandidatesTag, kRXLMoreCandidatesTag}) {
        void* data = nullptr;
        uint32_t length = 0;
        if (UD_GetFieldPointer(root, tag, &data, &length) != 1 || data == nullptr)
            continue;
        std::vector<uint32_t> words(length / 4);
        std::memcpy(words.data(), data, words.size() * 4);
        for (uint32_t& word : words) {
            if (word == kListEnd)
                break;
            word = map != nullptr ? map(word) : word;
        }
        UD_SetField(root, tag, words.data(), static_cast<uint32_t>(words.size() * 4));
    }
    uint32_t length = 0;
    SSetRXLMode(UD_GetFieldSize(root, kRXLCandidatesTag, &length) == 1 ? 1 : 0);
    if (SInRXLMode() != 0)
        SAddRXLOptionsItem();
    else
        SRemoveRXLOptionsItem();
}

void RXLReadDiagram(MemHandle map)
{
    RXLRemapDiagramLists([map](ObjectHandle old) { return map != 0 ? QXStr_MapHandle(map, old) : old; });
}

void SSetRXLMode(int flag) { rxlMode = flag != 0 ? 1 : 0; }

int SInRXLMode() { return rxlMode; }

