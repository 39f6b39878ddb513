// Stand-ins for the net editor's chart services (see EditorDoubles.h).
#include "EditorDoubles.h"

#include "atolq/AEditor/SENet.h"
#include "atolq/Utils/LMList.h"
#include "atolq/CEditor/CheckDriver.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRoles.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"

EditorLog& editorLog()
{
    static EditorLog log;
    return log;
}

namespace {

template <typename Record>
Record* chartOfFrame(LMList* list, uint32_t frame)
{
    const uint16_t n = LMCount(list);
    for (uint16_t i = 1; i <= n; ++i) {
        void* value = nullptr;
        if (LMNth(list, &value, nullptr, i) != 0 && value != nullptr &&
            static_cast<Record*>(value)->kvObject == frame)
            return static_cast<Record*>(value);
    }
    return nullptr;
}

int makeRegion(ObjectHandle chart, Fixed x, Fixed y, Fixed w, Fixed h, ObjectHandle* region, uint32_t kind)
{
    uint16_t count = 0;
    ObjectHandle* regions = nullptr;
    QXStr_GetRegionList(chart, &count, &regions);
    for (uint16_t i = 0; i < count; ++i) {
        uint32_t k = 0;
        if (QXRdAttr_GetRegionKind(regions[i], &k) != 0 && k == kind)
            QXWtAttr_SetRegionKind(regions[i], 0); // the old one stays as a plain region
    }
    QXMem_Free(regions);
    const ObjectHandle node = QXStr_CreateNode(QXStr_GetObjectPage(chart), x, y, w, h, 1);
    QXStr_MakeRegion(node, chart);
    QXWtAttr_SetRegionKind(node, kind);
    *region = node;
    return node != 0 ? 1 : 0;
}

} // namespace

int EE_MakeLineChartRegion(ObjectHandle chart, Fixed x, Fixed y, Fixed w, Fixed h, ObjectHandle* region)
{
    return makeRegion(chart, x, y, w, h, region, 69662);
}

int EE_MakeBarChartRegion(ObjectHandle chart, Fixed x, Fixed y, Fixed w, Fixed h, ObjectHandle* region)
{
    return makeRegion(chart, x, y, w, h, region, 4126);
}

void GE_EndTextEdit()
{
    ++editorLog().textEditsEnded;
}

int GE_GetSERecord(uint32_t object, SEHead** record)
{
    *record = nullptr;
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return 0;
    if (auto* line = chartOfFrame<SELineChart>(root->lineCharts, object))
        *record = &line->head;
    else if (auto* bar = chartOfFrame<SEBarChart>(root->barCharts, object))
        *record = &bar->head;
    return *record != nullptr ? 1 : 0;
}

int EE_RemoveNetInfo(ObjectHandle object, int deleteFlag)
{
    editorLog().removed.push_back(object);
    editorLog().removedDeleting.push_back(deleteFlag);
    SERoot* root = SECurrentRoot();
    if (root != nullptr) {
        if (auto* line = chartOfFrame<SELineChart>(root->lineCharts, object))
            line->kvObject = 0;
        if (auto* bar = chartOfFrame<SEBarChart>(root->barCharts, object))
            bar->kvObject = 0;
    }
    if (deleteFlag != 0)
        QXStr_DeleteObject(object);
    return 1;
}

int EE_MakeLineChartRecord(ObjectHandle node, int)
{
    SEPage* page = editorLog().sePage;
    return page != nullptr && SECreateLineChart(page, node) != nullptr ? 1 : 0;
}

int EE_MakeBarChartRecord(ObjectHandle node, int)
{
    SEPage* page = editorLog().sePage;
    return page != nullptr && SECreateBarChart(page, node) != nullptr ? 1 : 0;
}

int PGIsHierarchyObject(ObjectHandle object, uint32_t*)
{
    return object != 0 && object == editorLog().hierarchyPage ? 1 : 0;
}

// The number rule of the editor's settings fields.
int EE_ParseNumber(const char* text, int* isInteger)
{
    *isInteger = 1;
    const char* p = text;
    if (*p == '-')
        ++p;
    auto digits = [&p] {
        const char* start = p;
        while (*p >= '0' && *p <= '9')
            ++p;
        return p != start;
    };
    if (!digits())
        return 0;
    if (*p == '.') {
        *isInteger = 0;
        ++p;
        if (!digits())
            return 0;
    }
    if (*p == 'E') {
        ++p;
        if (*p == '-')
            ++p;
        if (!digits())
            return 0;
    }
    return *p == '\0' ? 1 : 0;
}
