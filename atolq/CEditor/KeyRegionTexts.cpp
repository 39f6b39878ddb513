// The texts that the net editor shows in the key regions of net objects: the
// port kind of a port node, the fusion set of a fusion member, and the
// subpage and socket assignments of a substitution or invocation node.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetTextParts.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "atolq/Utils/LMList.h"

namespace {

constexpr size_t kFusionNameSize = 64;
constexpr const char* kNoAssignment = "???";

SEHead* RecordOf(ObjectHandle object)
{
    SEHead* record = nullptr;
    if (object == 0 || GE_GetSERecord(object, &record) == 0) {
        return nullptr;
    }
    return record;
}

// Hands a text over as a new block; nothing for an empty one.
void Give(const std::string& value, char** text)
{
    *text = nullptr;
    if (value.empty()) {
        return;
    }
    char* copy = GE_Alloc(static_cast<uint32_t>(value.size() + 1));
    std::memcpy(copy, value.c_str(), value.size() + 1);
    *text = copy;
}

}  // namespace

void EE_PortText(ObjectHandle node, char** text)
{
    SEHead* record = RecordOf(node);
    std::string value;
    if (record != nullptr && (record->kind == kSEPlace || record->kind == kSETrans)) {
        if (SEIsPort(record) != 0) {
            switch (record->subKind) {
            case kSEPortGeneral: value = "Gen"; break;
            case kSEPortInput: value = "In"; break;
            case kSEPortOutput: value = "Out"; break;
            case kSEPortInOut: value = "I/O"; break;
            default: break;
            }
        }
        if (SETestNodeFlag(record) != 0) {
            value += value.empty() ? "Exit" : "\nExit";
        }
    }
    Give(value, text);
}

void EE_FusionText(ObjectHandle node, char** text)
{
    SEHead* record = RecordOf(node);
    SEHead* set = record != nullptr && SEIsFusMem(record) != 0 ? SEGetFusSet(record) : nullptr;
    std::string value;
    if (set != nullptr) {
        const char* name = SEGetName(set);
        value = name != nullptr ? std::string(name).substr(0, kFusionNameSize) : std::string();
    }
    Give(value, text);
}

void EE_HierarchyText(ObjectHandle node, char** text)
{
    SEHead* record = RecordOf(node);
    if (record == nullptr || (record->kind != kSEPlace && record->kind != kSETrans) ||
        (record->subKind != kSESubstitution && record->subKind != kSEInvocation)) {
        *text = nullptr;
        return;
    }
    std::string value;
    if (const ObjectHandle subpage = SEGetSubpageObj(record); subpage != 0) {
        value = EE_RefNameText(subpage);
    }
    if (LMList* sockets = SEGetSockets(record); sockets != nullptr) {
        for (void* each : EE_ListValues(sockets)) {
            auto* socket = static_cast<SEHead*>(each);
            SEHead* port = SEGetAssignment(record, socket);
            value += "\n" + (port != nullptr ? EE_NameOrStars(port) : std::string(kNoAssignment)) + "->" +
                     EE_NameOrStars(socket);
        }
        LMDestroy(sockets);
    }
    Give(value, text);
}
