// A fresh kernel model with one page and a fresh abstract net holding that
// page, plus readers of what the chart code left on the page.
#pragma once

#include "QXFixture.h"

#include "atolq/AEditor/SENet.h"
#include "atolq/Chart/ChartUtil.h"
#include "atolq/Chart/LineSeries.h"
#include "atolq/CEditor/EditorState.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"

#include <string>
#include <vector>

inline Fixed Un(int32_t units)
{
    return units * 65536;
}

class ChartTest : public QXDiagramTest {
protected:
    void SetUp() override
    {
        QXDiagramTest::SetUp();
        // Simulator mode: charts are built without the editor's code region,
        // which needs the page open in a window (see the X tests).
        GE_SetMode(2);
        SEInitPools();
        SEStart();
        sePage_ = SECreatePage(page_, kSEPortsNone);
        ASSERT_NE(sePage_, nullptr);
    }
    void TearDown() override
    {
        SEFreeDB();
        QXUI_ClearUndo();
        QXDiagramTest::TearDown();
    }

    // A new line chart record whose frame is a box of w by h units at (x, y).
    SELineChart* lineChart(int32_t x = 300, int32_t y = 300, int32_t w = 400, int32_t h = 300)
    {
        const ObjectHandle frame = QXStr_CreateNode(page_, Un(x), Un(y), Un(w), Un(h), 1);
        return SECreateLineChart(sePage_, frame);
    }

    static std::vector<ObjectHandle> regions(ObjectHandle object)
    {
        uint16_t count = 0;
        ObjectHandle* array = nullptr;
        QXStr_GetRegionList(object, &count, &array);
        std::vector<ObjectHandle> out(array, array + count);
        QXMem_Free(array);
        return out;
    }
    static std::vector<ObjectHandle> connectors(ObjectHandle object)
    {
        uint16_t count = 0;
        ObjectHandle* array = nullptr;
        QXStr_GetObjectConnList(object, &count, &array);
        std::vector<ObjectHandle> out(array, array + count);
        QXMem_Free(array);
        return out;
    }
    static uint32_t kind(ObjectHandle region)
    {
        uint32_t value = 0;
        QXRdAttr_GetRegionKind(region, &value);
        return value;
    }
    static FixPoint position(ObjectHandle object)
    {
        FixPoint p;
        QXRdAttr_GetPosition(object, &p.x, &p.y);
        return p;
    }
    static uint32_t pattern(ObjectHandle object)
    {
        uint32_t style = 0, pat = 0, visible = 0;
        int16_t width = 0;
        QXRdAttr_GetLineAttr(object, &style, &width, &pat, &visible);
        return pat;
    }
    static std::string text(ObjectHandle object)
    {
        char buffer[512] = {};
        uint32_t length = sizeof buffer - 1;
        QXText_GetText(object, buffer, &length);
        return std::string(buffer, length);
    }

    SEPage* sePage_ = nullptr;
};
