// A fresh kernel model with one page made through the interface, torn down
// after each test; hooks are cleared so that nothing outlives a test.
#pragma once

#include "KernelFixture.h"
#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"

class QXDiagramTest : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        QXStatus = 0;
        page_ = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        ASSERT_NE(page_, 0u);
    }
    void TearDown() override
    {
        for (HookId id = 0; id < kHookCount; ++id) {
            Hook_Unregister(id);
        }
        Core_CloseModel();
        KernelTest::TearDown();
    }

    ObjectHandle Node(Fixed cx, Fixed cy, int32_t shape = 1)
    {
        return QXStr_CreateNode(page_, cx, cy, F(20), F(20), shape);
    }

    ObjectHandle page_ = 0;
};
