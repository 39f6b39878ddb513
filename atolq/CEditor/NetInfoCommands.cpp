// Get Info: the information dialog about the selected object, with its net
// inscriptions shortened, its ML name and the counts of its regions and text
// relations; for a group only the summary of the selection.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetCommandSupport.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"

namespace {

constexpr uint32_t kTypeRegion = 16;
// Inscriptions are shown with at most this many characters.
constexpr size_t kInscriptionShown = 15;
constexpr const char* kMissing = "***";

// A line of a fixed buffer: the prefix, then the text, together at most
// size - 1 characters.
std::string Line(const char* prefix, const std::string& text, size_t size)
{
    std::string line = std::string(prefix) + text;
    if (line.size() > size - 1)
        line.resize(size - 1);
    return line;
}

// A record's text, its first 15 characters, or "***" when empty.
std::string Inscription(const char* text)
{
    if (text == nullptr || *text == '\0')
        return kMissing;
    std::string shown(text);
    if (shown.size() > kInscriptionShown)
        shown.resize(kInscriptionShown);
    return shown;
}

// The name of a node: its name region's text, else its own text.
std::string NodeName(ObjectHandle node)
{
    char* text = nullptr;
    if (node == 0 || EE_GetNameRegionText(node, &text) == 0 || text == nullptr)
        return "";
    std::string name(text);
    QXMem_Free(text);
    return name;
}

// The name by which the evaluator knows a record (given by the syntax
// check); empty before the record has one.
std::string MLName(SEHead* record)
{
    if (record == nullptr)
        return "";
    const char* name = ASGetName(record);
    return name != nullptr ? name : "";
}

std::string CountLine(const char* leading, uint32_t count, const char* some, const char* none)
{
    char line[30];
    if (count == 0)
        std::snprintf(line, sizeof line, "%s%s", leading, none);
    else
        std::snprintf(line, sizeof line, "%sHas %d%s", leading, static_cast<int>(count), some);
    return line;
}

void DescribePlace(SEHead* record, ObjectHandle object, EEInfoText& info)
{
    info.ml = "  ML:" + MLName(record);
    info.lines.push_back(Line("Name:  ", NodeName(object), 72));
    info.lines.push_back(Line("Color Set: ", Inscription(SEGetColourSet(record)), 40));
    info.lines.push_back(Line("Init Marking:   ", Inscription(SEGetInitMark(record)), 40));
}

void DescribeTransition(SEHead* record, ObjectHandle object, EEInfoText& info)
{
    info.ml = "  ML:" + MLName(record);
    info.lines.push_back(Line("Name:  ", NodeName(object), 72));
    info.lines.push_back(Line("Guard: ", Inscription(SEGetGuard(record)), 40));
    info.lines.push_back(Line("Time: ", Inscription(SEGetTime(record)), 40));
    info.lines.push_back(Line("Code:  ", Inscription(SEGetCode(record)), 40));
}

void DescribeArc(SEHead* record, ObjectHandle object, EEInfoText& info)
{
    uint32_t direction = 0;
    int fromTransition = 0;
    SEHead* transition = nullptr;
    SEHead* place = nullptr;
    GE_ArcEnds(object, &direction, &fromTransition, &transition, &place);
    info.lines.push_back(Line("Arc Exp: ", Inscription(SEGetArcExpr(record)), 40));
    info.lines.push_back(Line("Place:   ", NodeName(place != nullptr ? SEGetKVObj(place) : 0), 74));
    info.lines.push_back(Line("Trans:   ", NodeName(transition != nullptr ? SEGetKVObj(transition) : 0), 74));
    std::string arrow;
    SEHead* partner = nullptr;
    if (direction == 3 && GE_GetSecondRecord(object, &partner) != 0 && partner != nullptr) {
        info.ml = " ML:" + MLName(record) + ", ML:" + MLName(partner);
        arrow = " <--> ";
    } else {
        info.ml = "  ML:" + MLName(record);
        arrow = fromTransition == 1 ? " --> " : " <-- ";
    }
    info.lines.push_back(Line("Place", arrow + "Trans", 25));
}

void DescribePageNode(ObjectHandle object, EEInfoText& info)
{
    const ObjectHandle page = PGNodePage(object);
    SEHead* record = nullptr;
    GE_GetSERecord(page, &record);
    info.ml = "  ML:" + MLName(record);
    char name[88] = {};
    if (page != 0)
        GE_ObjectRefName(page, name);
    info.lines.push_back(Line("Name:  ", name, 72));
    const uint16_t portKind = record != nullptr ? SEGetSubKind(record) : 0;
    info.lines.push_back(Line("Type: ", portKind == 1 || portKind == 2 ? " TOLQ Page" : " Hierarchy Page", 40));
}

void DescribeNet(ObjectHandle object, EEInfoText& info)
{
    uint16_t kind = 0, subKind = 0;
    SEHead* record = nullptr;
    EE_GetObjectKind(object, &kind, &subKind, &record);
    switch (record != nullptr ? kind : 0) {
    case kSEPlace: DescribePlace(record, object, info); return;
    case kSETrans: DescribeTransition(record, object, info); return;
    case kSEArc: DescribeArc(record, object, info); return;
    case kSEDeclNode:
        info.lines.push_back(Line("Decl: ", Inscription(SEGetDeclText(record)), 40));
        return;
    case kSEBarChart:
    case kSELineChart: {
        info.ml = "  ML:" + MLName(record);
        const char* name = SEGetName(record);
        info.lines.push_back(Line("Name:  ", name != nullptr ? name : "", 72));
        return;
    }
    default:
        break;
    }
    uint32_t length = 0;
    if ((GE_KernelType(object) & kTypeRegion) == 0 && PGIsHierarchyObject(object, &length) != 0 &&
        PGNodePage(object) != 0)
        DescribePageNode(object, info);
}

}  // namespace

EEInfoText EE_DescribeObject(ObjectHandle object)
{
    EEInfoText info;
    DescribeNet(object, info);
    uint32_t net = 0, auxiliary = 0;
    GE_CountRegions(object, &net, &auxiliary);
    int parents = 0, children = 0;
    GE_TextLinks(object, &parents, &children);
    info.lines.push_back(CountLine("\n", net, " TOLQ Region(s)", "Has No TOLQ Regions"));
    info.lines.push_back(CountLine("", auxiliary, " Auxiliary Region(s)", "Has No Auxiliary Regions"));
    info.lines.push_back(CountLine("", static_cast<uint32_t>(parents), " Text Parent(s)", "Has No Text Parents"));
    info.lines.push_back(CountLine("", static_cast<uint32_t>(children), " Text Child", "Has No Text Children"));
    return info;
}

int EE_GetInfo()
{
    std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty()) {
        GE_MessageBox(kMsgCmdPageEmpty);
        return 0;
    }
    const ObjectHandle edited = GE_GetTextEditObject();
    if (GE_TextEditing() && edited != 0)
        EE_UpdateNetFromObject(edited);
    const bool group = selection.size() > 1;
    const ObjectHandle first = selection.front();
    // The summary takes over a block of the selection.
    auto* block = static_cast<ObjectHandle*>(QXMem_Alloc(static_cast<uint32_t>(selection.size() * sizeof(ObjectHandle))));
    if (block == nullptr)
        return 0;
    std::copy(selection.begin(), selection.end(), block);
    char* summary = nullptr;
    EE_SummarizeSelection(static_cast<uint16_t>(selection.size()), block, group ? 1 : 0, &summary);
    std::string heading = summary != nullptr ? summary : "";
    if (summary != nullptr)
        QXMem_Free(summary);
    if (group) {
        EE_ShowInfoDialog(heading.c_str(), {});
        return 1;
    }
    const EEInfoText info = EE_DescribeObject(first);
    std::vector<std::string> lines;
    if (!info.ml.empty())
        lines.push_back(info.ml);
    lines.insert(lines.end(), info.lines.begin(), info.lines.end());
    EE_ShowInfoDialog(heading.c_str(), lines);
    return 1;
}
