// A fresh kernel model with one page, the net layer's default records and an
// empty abstract net whose page record is linked to the page; helpers make
// places, transitions and arcs with their records.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "NetObjectDoubles.h"
#include "QXFixture.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "xkv/kv/Hook.h"
#include "xkv/select/Select.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"

inline constexpr Fixed kPixel = 0x8000;

class NetObjectTest : public QXDiagramTest {
protected:
    void SetUp() override
    {
        QXDiagramTest::SetUp();
        objectLog() = NetObjectLog{};
        char pattern[] = "/tmp/netobjectsXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        setenv("HOME", home_.c_str(), 1);
        ASSERT_EQ(DefRegisterProperties(), 1);
        ASSERT_EQ(DefInitAll(), 1);
        DefSetStandardChanged(0);
        SEInitPools();
        SEStart();
        EE_ClearPendingError();
        GE_SetCurrentDiagram(QXStr_GetPageListHandle());
        GE_SetMode(kGEModeEditor);
        GE_SetDeferredObject(0);
        GE_SetDialogArgs(0, 0);
        // No page window can be opened here: the kernel is refused every
        // change of the current page, so making an object current does nothing.
        Hook_Register(26, [](uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) -> uintptr_t {
            return 0;
        });
        net_ = SECreatePage(page_, 1);
        ASSERT_EQ(GE_SetSERecord(page_, &net_->head), 1);
    }
    void TearDown() override
    {
        Select_Clear();
        SEFreeDB();
        GE_SetCurrentDiagram(0);
        EE_ClearPendingError();
        std::filesystem::remove_all(home_);
        QXDiagramTest::TearDown();
    }

    // A node with a place record.
    ObjectHandle Place(double x, double y)
    {
        ObjectHandle node = QXStr_CreateNode(page_, F(x), F(y), F(20), F(20), 2);
        SEPlace* record = SECreatePlace(net_, node);
        GE_SetSERecord(node, &record->head);
        return node;
    }
    // A node with a transition record.
    ObjectHandle Transition(double x, double y)
    {
        ObjectHandle node = QXStr_CreateNode(page_, F(x), F(y), F(30), F(20), 1);
        SETrans* record = SECreateTrans(net_, node);
        GE_SetSERecord(node, &record->head);
        return node;
    }
    // A plain connector (no record) with the direction code.
    ObjectHandle Connector(ObjectHandle from, ObjectHandle to, uint32_t direction = 1)
    {
        ObjectHandle connector = QXStr_CreateConnector(page_, from, to);
        QXWtAttr_SetDirection(connector, direction);
        return connector;
    }
    static SEHead* Record(ObjectHandle object)
    {
        SEHead* record = nullptr;
        GE_GetSERecord(object, &record);
        return record;
    }
    static std::string Text(ObjectHandle object) { return GE_TextOf(object); }
    static Fixed X(ObjectHandle object)
    {
        Fixed x = 0, y = 0;
        QXRdAttr_GetPosition(object, &x, &y);
        return x;
    }
    static Fixed Y(ObjectHandle object)
    {
        Fixed x = 0, y = 0;
        QXRdAttr_GetPosition(object, &x, &y);
        return y;
    }

    SEPage* net_ = nullptr;
    std::string home_;
};
