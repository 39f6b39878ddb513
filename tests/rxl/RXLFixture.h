// A fresh kernel with the net layer's defaults and a new net diagram on the
// fixture's page, for building the sibling tool's nets and importing IDEF
// files in process.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "QXFixture.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetServices.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

class RXLNetTest : public QXDiagramTest {
protected:
    void SetUp() override
    {
        QXDiagramTest::SetUp();
        char pattern[] = "/tmp/rxlnetXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        setenv("HOME", home_.c_str(), 1);
        ASSERT_EQ(DefRegisterProperties(), 1);
        ASSERT_EQ(DefInitAll(), 1);
        SEInitPools();
        EE_ClearPendingError();
        GE_SetMode(kGEModeEditor);
        // As in the editor, a renamed page renames its record.
        Hook_Set(kHookPageChanged, EE_PageChangedHook);
        EE_NewDiagram(page_);
        ASSERT_NE(Record(page_), nullptr);
    }
    void TearDown() override
    {
        QXUI_ClearUndo();
        SEFreeDB();
        GE_SetCurrentDiagram(0);
        EE_ClearPendingError();
        std::filesystem::remove_all(home_);
        QXDiagramTest::TearDown();
    }

    static SEHead* Record(ObjectHandle object)
    {
        SEHead* record = nullptr;
        GE_GetSERecord(object, &record);
        return record;
    }
    static std::string Text(ObjectHandle object) { return GE_TextOf(object); }
    static std::string Str(const char* text) { return text != nullptr ? text : "<none>"; }
    static std::string RegionText(ObjectHandle object, int32_t kind)
    {
        ObjectHandle region = 0;
        if (GE_GetRegion(object, kind, &region) == 0 || region == 0)
            return "<none>";
        return GE_TextOf(region);
    }
    static std::vector<ObjectHandle> Take(uint32_t ok, uint16_t count, ObjectHandle* array)
    {
        std::vector<ObjectHandle> list;
        if (ok != 0 && array != nullptr)
            list.assign(array, array + count);
        if (array != nullptr)
            QXMem_Free(array);
        return list;
    }
    static std::vector<ObjectHandle> Nodes(ObjectHandle page)
    {
        uint16_t count = 0;
        ObjectHandle* array = nullptr;
        const uint32_t ok = QXStr_GetNodeList(page, &count, &array);
        return Take(ok, count, array);
    }
    static std::vector<ObjectHandle> Connectors(ObjectHandle page)
    {
        uint16_t count = 0;
        ObjectHandle* array = nullptr;
        const uint32_t ok = QXStr_GetPageConnList(page, &count, &array);
        return Take(ok, count, array);
    }
    static std::vector<ObjectHandle> Pages()
    {
        uint16_t count = 0;
        ObjectHandle* array = nullptr;
        const uint32_t ok = QXStr_GetPageList(&count, &array);
        return Take(ok, count, array);
    }
    // The net nodes of the page (places and transitions) named so: by their
    // name region, else their own text.
    static std::vector<ObjectHandle> Named(ObjectHandle page, const std::string& name)
    {
        std::vector<ObjectHandle> found;
        for (const ObjectHandle node : Nodes(page)) {
            SEHead* record = Record(node);
            if (record == nullptr || (record->kind != kSEPlace && record->kind != kSETrans))
                continue;
            char* text = nullptr;
            EE_GetNameRegionText(node, &text);
            if (Str(text) == name)
                found.push_back(node);
            if (text != nullptr)
                QXMem_Free(text);
        }
        return found;
    }
    // The arc expressions of the page's arcs, as their records hold them.
    static std::vector<std::string> ArcExpressions(ObjectHandle page)
    {
        std::vector<std::string> texts;
        for (const ObjectHandle connector : Connectors(page)) {
            SEHead* record = Record(connector);
            if (record != nullptr && record->kind == kSEArc)
                texts.push_back(Str(SEGetArcExpr(record)));
        }
        return texts;
    }

    std::string home_;
};
