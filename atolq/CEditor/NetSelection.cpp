// The description of a selection for the status bar, the text-menu state and
// the selection checks of the transition and move-to-subpage commands, all
// from the role masks of EQ_MapSpec (NetRoleMasks.cpp).
#include <cstring>
#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUtil.h"

namespace {

constexpr int16_t kMsgNotConnectors = 11310;
constexpr int16_t kMsgNotRegionGroups = 11316;
constexpr int16_t kMsgOnlyTransitions = 11269;
constexpr int16_t kMsgNonSubstitution = 11272;
constexpr int16_t kMsgOnlyNodes = 11306;
constexpr int16_t kMsgDifferentKinds = 11282;
constexpr int16_t kMsgNoCompoundOrFusion = 11283;
constexpr int16_t kMsgNoSockets = 11284;
constexpr int16_t kMsgNoPortPlaces = 11315;
constexpr int16_t kMsgNoPageNodes = 11305;
constexpr uint32_t kTextMenuItem = 801;
constexpr uint32_t kItemEnabled = 1;
constexpr uint32_t kItemDisabled = 2;
constexpr uint32_t kTextEditBeforeCommand = 4096;

// Role masks.
constexpr uint32_t kPlaceBits = 0xfff;
constexpr uint32_t kTransBits = 0xfff000;
constexpr uint32_t kDeclBits = 0x7000000;
constexpr uint32_t kDeclGlobalBit = 0x1000000;
constexpr uint32_t kDeclTemporaryBit = 0x4000000;
constexpr uint32_t kOGNodeBit = 0x8000000;
constexpr uint32_t kBarChartBit = 0x40000000;
constexpr uint32_t kLineChartBit = 0x80000000;
constexpr uint32_t kSubstitutionBits = 0x200200;
constexpr uint32_t kInvocationBits = 0x400400;
constexpr uint32_t kFusionBits = 0x1c01c0;
constexpr uint32_t kSocketBits = 0x800800;
constexpr uint32_t kPortBits = 0x1e01e;
constexpr uint32_t kExitBits = 0x20020;
constexpr uint32_t kPageNodeBits = 0xff000;
constexpr uint32_t kKeyRegionBits = 0x84554450;
constexpr uint32_t kNoTextRegionBits = 0x8 | 0x20 | 0x2000 | 0x8000 | 0x200000 | 0x800000;

bool Alive(ObjectHandle object)
{
    return object != 0 && QXStr_IsObject(object) != 0;
}

SEHead* RecordOf(ObjectHandle object)
{
    SEHead* record = nullptr;
    if (Alive(object)) {
        GE_GetSERecord(object, &record);
    }
    return record;
}

int Refuse(EECheckRecord* record, int16_t id)
{
    if (record != nullptr) {
        record->refusal = id;
    }
    GE_MessageBox(id);
    return 0;
}

const char* RegionWord(uint32_t net)
{
    switch (net) {
    case 0x1: return "Name ";
    case 0x2: return "Colour Set ";
    case 0x4: return "Initial Marking ";
    case 0x8:
    case 0x10: return "Hierarchy ";
    case 0x20:
    case 0x40: return "Fusion ";
    case 0x80: return "Capacity ";
    case 0x100: return "Guard ";
    case 0x200:
    case 0x400: return "Code ";
    case 0x800: return "Test ";
    case 0x1000: return "Arc Expression ";
    case 0x2000:
    case 0x4000: return "Page Mode ";
    case 0x8000:
    case 0x10000: return "Log ";
    case 0x20000:
    case 0x40000: return "Current Marking ";
    case 0x80000:
    case 0x100000: return "Input Token ";
    case 0x200000:
    case 0x400000: return "Port ";
    case 0x800000: return "Substitution Tag ";
    case 0x1000000: return "Invocation Tag ";
    case 0x2000000:
    case 0x4000000: return "Output Token ";
    case 0x8000000: return "Declaration ";
    case 0x20000000: return "Time ";
    case 0x40000000:
    case 0x80000000: return "Chart ";
    default: return "Unknown";
    }
}

std::string DescribeNode(ObjectHandle object, uint32_t net, uint32_t aux)
{
    if (aux != 0 || net == 0) {
        return (aux & kPageNodeBits) != 0 ? "Page Node" : "Auxiliary Node";
    }
    if ((net & kDeclBits) != 0) {
        const char* scope = (net & kDeclGlobalBit) != 0      ? "Global "
                            : (net & kDeclTemporaryBit) != 0 ? "Temporary "
                                                             : "Local ";
        return std::string(scope) + "Declaration Node";
    }
    std::string text;
    if ((net & kSubstitutionBits) != 0) {
        text += "Sub-";
    } else if ((net & kInvocationBits) != 0) {
        text += "Inv-";
    }
    if ((net & kTransBits) != 0) {
        text += "Transition";
    } else if ((net & kPlaceBits) != 0) {
        text += "Place";
    } else if ((net & kBarChartBit) != 0) {
        text += "Bar Chart";
    } else if ((net & kLineChartBit) != 0) {
        text += "Line Chart";
    } else if ((net & kOGNodeBit) != 0) {
        text += "OG Node";
    }
    if ((net & kFusionBits) != 0) {
        text += (net & 0x40040) != 0 ? ", Glob" : (net & 0x100100) != 0 ? ", Page" : ", Inst";
        text += "-Fusion";
    }
    if ((net & kSocketBits) != 0) {
        SEHead* record = RecordOf(object);
        std::vector<SEHead*> peers;
        SEIter iter{};
        iter.input = record;
        if (record != nullptr && SEInitNext(3, &iter) != 0) {
            while (SENextGet(3, &iter) != 0) {
                peers.push_back(RecordOf(static_cast<ObjectHandle>(iter.result)));
            }
        }
        if (peers.size() > 1) {
            text += ", Mult-Socket";
        } else if (peers.size() == 1) {
            switch (SEArcDirection(record, peers[0])) {
            case 1: text += ", In-Socket"; break;
            case 2: text += ", Out-Socket"; break;
            case 3: text += ", I/O-Socket"; break;
            default: break;
            }
        }
    }
    if ((net & kPortBits) != 0) {
        text += (net & 0x2002) != 0 ? ", In-" : (net & 0x4004) != 0 ? ", Out-" : (net & 0x8008) != 0 ? ", I/O-" : ", Gen-";
        text += "Port";
    }
    if ((net & kExitBits) != 0) {
        text += ", Exit";
    }
    return text;
}

std::string DescribeConnector(uint32_t net, uint32_t aux)
{
    if ((aux & 0x10000) != 0) return "Substitution Connector";
    if ((aux & 0x20000) != 0) return "Invocation Connector";
    if ((aux & 0x40000) != 0) return "Fusion Connector";
    if ((aux & 0xff00) != 0) return "Auxiliary Connector";
    if ((net & 0xf00) != 0) return "OG Arc";
    return "Arc";
}

std::string DescribeRegion(uint32_t net, uint32_t aux)
{
    if (net == 0) {
        switch (aux) {
        case 1: return "Auxiliary Region";
        case 2: return "Endpoint Region";
        case 4: return "ML Region";
        case 8: return "Transition Feedback Region";
        default: return "Auxiliary Region";
        }
    }
    std::string text = RegionWord(net & (~net + 1));
    if ((net & kKeyRegionBits) != 0) {
        text += "Key ";
    }
    return text + "Region";
}

}  // namespace

int EE_SummarizeSelection(uint16_t count, ObjectHandle* objects, int group, char** text)
{
    std::string description;
    if (count == 0 || objects == nullptr) {
        description = "None.";
    } else {
        uint32_t type = 0;
        uint32_t net = 0;
        uint32_t aux = 0;
        EQ_MapSpec(group != 0 ? count : 1u, objects, nullptr, nullptr, &type, &net, &aux);
        if (group != 0) {
            description = "Group of " + std::to_string(count);
            description += type == kQXKindNode ? " Node" : type == kQXKindConnector ? " Connector" : " Region";
            if (count > 1) {
                description += "s";
            }
        } else if (type == kQXKindNode) {
            description = DescribeNode(objects[0], net, aux);
        } else if (type == kQXKindConnector) {
            description = DescribeConnector(net, aux);
        } else if (type == kQXKindRegion) {
            description = DescribeRegion(net, aux);
        }
    }
    if (objects != nullptr) {
        QXMem_Free(objects);
    }
    if (text != nullptr) {
        *text = GE_Alloc(static_cast<uint32_t>(description.size() + 1));
        std::memcpy(*text, description.c_str(), description.size() + 1);
    }
    return 1;
}

uint32_t EE_RefreshTextMenu(ObjectHandle object)
{
    uint32_t state = kItemEnabled;
    if (!Alive(object) || QXRdAttr_IsGroupSelected() != 0) {
        state = kItemDisabled;
    } else {
        uint32_t type = 0;
        uint32_t net = 0;
        uint32_t aux = 0;
        EQ_MapSpec(1, &object, nullptr, nullptr, &type, &net, &aux);
        if (type == kQXKindNode && (aux & kPageNodeBits) != 0) {
            state = kItemDisabled;
        } else if (type == kQXKindRegion && ((net & (kKeyRegionBits | kNoTextRegionBits)) != 0 || aux == 8)) {
            state = kItemDisabled;
        }
    }
    if (state == kItemDisabled && QXText_IsEditing() != 0) {
        GE_SetStateFlags(kTextEditBeforeCommand);
        GE_EndTextEdit();
    }
    QXMenu_SetItemState(kTextMenuItem, state);
    GE_RequestMenuUpdate();
    return state;
}

uintptr_t EE_TextMenuPickFilter(uintptr_t object, uintptr_t flag, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    EE_RefreshTextMenu(static_cast<ObjectHandle>(object));
    if (auto* out = reinterpret_cast<uint32_t*>(flag)) {
        *out = 1;
    }
    return 1;
}

int EE_CheckTransitions(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* argument)
{
    auto* record = static_cast<EECheckRecord*>(argument);
    if (type == kQXKindConnector) {
        return Refuse(record, kMsgNotConnectors);
    }
    if (type == kQXKindRegion) {
        if (record != nullptr && ++record->regions > 1) {
            return Refuse(record, kMsgNotRegionGroups);
        }
        const ObjectHandle base = QXStr_GetBaseObject(object);
        uint32_t baseType = 0;
        EQ_MapSpec(1, &base, nullptr, nullptr, &baseType, &netMask, &graphicMask);
        if (baseType == kQXKindConnector) {
            return Refuse(record, kMsgNotConnectors);
        }
    }
    if ((netMask & kPlaceBits) != 0 && record != nullptr) {
        record->places = true;
    }
    if ((netMask & kTransBits) != 0 && record != nullptr) {
        record->transitions = true;
    }
    if ((netMask & ~kTransBits) != 0 || (netMask & kTransBits) == 0 ||
        (record != nullptr && record->places && record->transitions)) {
        return Refuse(record, kMsgOnlyTransitions);
    }
    if ((netMask & (kSubstitutionBits | kInvocationBits) & kTransBits) != 0) {
        return Refuse(record, kMsgNonSubstitution);
    }
    return 1;
}

int EE_CheckMoveToSubpage(uint32_t, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* argument)
{
    auto* record = static_cast<EECheckRecord*>(argument);
    if (type != kQXKindNode) {
        return Refuse(record, kMsgOnlyNodes);
    }
    if (record != nullptr) {
        record->places = record->places || (netMask & kPlaceBits) != 0;
        record->transitions = record->transitions || (netMask & kTransBits) != 0;
        if (record->places && record->transitions) {
            return Refuse(record, kMsgDifferentKinds);
        }
    }
    if ((netMask & (kSubstitutionBits | kInvocationBits | kFusionBits)) != 0) {
        return Refuse(record, kMsgNoCompoundOrFusion);
    }
    if ((netMask & kSocketBits) != 0) {
        return Refuse(record, kMsgNoSockets);
    }
    if ((netMask & kPortBits & kPlaceBits) != 0) {
        return Refuse(record, kMsgNoPortPlaces);
    }
    if ((graphicMask & kPageNodeBits) != 0) {
        return Refuse(record, kMsgNoPageNodes);
    }
    return 1;
}
