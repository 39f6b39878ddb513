// Small services of the net editor that the other net-layer modules call:
// new pages, the editor's questions and message boxes, the saved-state mark
// of the page list and the evaluator's connection state.
#include <unistd.h>

#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/Seams.h"
#include "atolq/DEclarations/DEAsk.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "atolq/SML/SMLLink.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr uint32_t kTagSavedState = 0xF903;
constexpr int kConnected = 2;

}  // namespace

ObjectHandle GE_NewPage(int flag)
{
    return QXStr_CreatePageOpt(1, flag != 0 ? 0u : 257u);
}

// A node of the record's shape (code, height, width first), or a label for
// shape 37; other shapes report 16395 and make nothing.
ObjectHandle GM_CreateOne(ObjectHandle page, Fixed x, Fixed y, const uint32_t* shapeRecord)
{
    constexpr Fixed kDefaultWidth = 0x140000;
    constexpr Fixed kDefaultHeight = 0xa0000;
    const int32_t shape = shapeRecord != nullptr ? static_cast<int32_t>(shapeRecord[0]) : 1;
    const Fixed height = shapeRecord != nullptr && shapeRecord[1] != 0 ? static_cast<Fixed>(shapeRecord[1]) : kDefaultHeight;
    const Fixed width = shapeRecord != nullptr && shapeRecord[2] != 0 ? static_cast<Fixed>(shapeRecord[2]) : kDefaultWidth;
    switch (shape) {
    case 1: case 2: case 4: case 5:
        return QXStr_CreateNode(page, x, y, width, height, shape);
    case 37:
        return QXStr_CreateLabel(page, x, y, width, height, "");
    default:
        EE_ReportError(16395);
        return 0;
    }
}

// "name#number" of the object's net record, else of its page title; "***"
// stands for an empty name. The buffer holds 88 bytes.
int GE_ObjectRefName(ObjectHandle object, char* buffer)
{
    constexpr size_t kRefNameSize = 88;
    SEHead* record = nullptr;
    if (GE_GetSERecord(object, &record) != 0 && record != nullptr) {
        const char* name = SEGetName(record);
        const int number = record->kind == kSEPage ? SEGetPageNumber(reinterpret_cast<SEPage*>(record)) : 0;
        std::snprintf(buffer, kRefNameSize, "%s#%d", name != nullptr && *name != '\0' ? name : "***", number);
        return 1;
    }
    char title[256] = {};
    uint16_t number = 0;
    if (QXRdAttr_GetPageAttr(object, title, &number, nullptr, nullptr, nullptr) == 0)
        title[0] = '\0';
    std::snprintf(buffer, kRefNameSize, "%.80s#%u", title[0] == '\0' ? "***" : title, unsigned{number});
    return 1;
}

// The given text, the message of the id, or both joined by one blank.
void GE_MessageBoxText(const char* text, int32_t messageId)
{
    std::string shown = text != nullptr ? text : "";
    if (messageId != 0) {
        char message[kGEMessageTextSize];
        GE_GetMessageText(static_cast<int16_t>(messageId), message);
        shown = text != nullptr ? shown + " " + message : std::string(message);
    } else if (text == nullptr) {
        return;
    }
    if (GE_ReportWithoutBox(shown.c_str()))
        return;
    QXUI_Beep(0);
    GE_ShowMessageDialog(shown.c_str());
}

int GE_PageListHasImageMark()
{
    return GE_HasUserData(QXStr_GetPageListHandle(), kTagSavedState) != 0 ? 1 : 0;
}

// The program's current directory, which a remote evaluator works in; "./"
// when it cannot be read.
int EE_GetWorkingDirectory(char** directory, uint32_t* length)
{
    std::vector<char> buffer(PATH_MAX + 1, '\0');
    std::string path = getcwd(buffer.data(), buffer.size()) != nullptr ? std::string(buffer.data()) : "./";
    *directory = GE_Alloc(static_cast<uint32_t>(path.size() + 1));
    std::memcpy(*directory, path.c_str(), path.size() + 1);
    *length = static_cast<uint32_t>(path.size());
    return 1;
}

int SMLIsConnected()
{
    return SMLGetConnState() == kConnected ? 1 : 0;
}

// A question on a message-table text whose first button ("Yes") stands for
// the named action.
int GE_AskWithButton(int16_t id, const char* button)
{
    return GE_AskYesNo(id, button);
}
