// The update of charts while simulating: all charts after each step, and the
// "Update Chart" command on selected charts or on the charts of the pages of
// selected page nodes; an ML exception of chart code may let an interactive
// run go on.
#include "atolq/CSimulator/SimulatorCharts.h"
#include "atolq/CSimulator/SimulatorChartTexts.h"

#include <vector>

#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"

namespace {

constexpr int16_t kMsgChartException = 11561;
constexpr int16_t kMsgChartContinue = 11559;
constexpr int16_t kMsgPageEmpty = 11307;
constexpr int16_t kMsgRegionGroup = 11316;
constexpr int16_t kMsgChartsOrPageNodes = 11417;
constexpr uint32_t kTypeRegion = 16;
constexpr uint32_t kChartBits = 0xC0000000;
constexpr uint32_t kPageNodeBits = 0xFF000;

SChartRunControl runControl;

// The result of an update request: during an interactive run the user may go
// on; otherwise the exception is reported.
int updateOutcome(int16_t result)
{
    if (result == 0)
        return 1;
    if (!SChartIsMLException(result))
        return 0;
    if (runControl.interactiveRunActive != nullptr && runControl.interactiveRunActive()) {
        if (GE_AskYesNo(kMsgChartContinue, "Continue") != 0)
            return 1;
        if (runControl.stopInteractiveRun != nullptr)
            runControl.stopInteractiveRun();
        return 0;
    }
    GE_MessageBox(kMsgChartException);
    return 0;
}

std::vector<ObjectHandle> currentSelection()
{
    std::vector<ObjectHandle> out;
    uint16_t count = 0;
    ObjectHandle* members = nullptr;
    if (QXStr_GetCurGroup(&count, &members) != 0 && members != nullptr)
        out.assign(members, members + count);
    if (members != nullptr)
        QXMem_Free(members);
    if (out.empty() && QXStr_GetCurObject() != 0)
        out.push_back(QXStr_GetCurObject());
    return out;
}

void addChartOf(std::string& text, ObjectHandle object)
{
    SEHead* record = nullptr;
    if (GE_GetSERecord(object, &record) != 0)
        SAddChartUpdate(text, record, SChartMode::Forced);
}

void addChartsOfPage(std::string& text, ObjectHandle page)
{
    if (page == 0)
        return;
    uint16_t count = 0;
    ObjectHandle* nodes = nullptr;
    if (QXStr_GetNodeList(page, &count, &nodes) != 0 && nodes != nullptr) {
        for (uint16_t i = 0; i < count; ++i)
            addChartOf(text, nodes[i]);
    }
    if (nodes != nullptr)
        QXMem_Free(nodes);
}

// The forced update texts of the selection; false after a refusal.
bool selectedUpdates(std::string& text)
{
    std::vector<ObjectHandle> selection = currentSelection();
    if (selection.empty()) {
        GE_MessageBox(kMsgPageEmpty);
        return false;
    }
    if ((QXRdAttr_GetObjectType(selection.front()) & kTypeRegion) != 0) {
        if (selection.size() > 1) {
            GE_MessageBox(kMsgRegionGroup);
            return false;
        }
        const ObjectHandle base = QXStr_GetBaseObject(selection.front());
        QXStr_SetCurObject(base);
        selection = {base};
    }
    uint32_t type = 0, net = 0, graphic = 0;
    EQ_MapSpec(static_cast<uint32_t>(selection.size()), selection.data(), nullptr, nullptr, &type, &net, &graphic);
    const uint32_t charts = net & kChartBits;
    if (charts != 0 && charts == net && graphic == 0) {
        for (ObjectHandle object : selection)
            addChartOf(text, object);
        return true;
    }
    if ((graphic & kPageNodeBits) == 0) {
        GE_MessageBox(kMsgChartsOrPageNodes);
        return false;
    }
    for (ObjectHandle node : selection)
        addChartsOfPage(text, PGNodePage(node));
    return true;
}

} // namespace

void SSetChartRunControl(const SChartRunControl& control) { runControl = control; }

int SUpdateCharts(int selected)
{
    const int cursor = EE_BeginBusy("Updating Charts");
    std::string text;
    int result = 0;
    if (selected == 0)
        result = updateOutcome(SSendChartText(SAllChartUpdates(SChartMode::AfterStep)));
    else if (selectedUpdates(text))
        result = updateOutcome(SSendChartText(text));
    EE_EndBusy(cursor);
    return result;
}

void SUpdateChartCommand() { SUpdateCharts(1); }
