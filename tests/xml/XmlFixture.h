// A fresh kernel diagram whose page is a net page (abstract net, defaults,
// hierarchy page), a private directory for XML files, pictures and logs, and
// helpers that make net objects and read pages back for comparison.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Interchange/XmlLog.h"
#include "Interchange/XmlReader.h"
#include "Interchange/XmlWriter.h"
#include "PageWindowFixture.h"
#include "XmlDoubles.h"
#include "xkv/colour/Colour.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUtil.h"
#include "xkv/select/Select.h"
#include "xkv/undo/Undo.h"

// One pixel in Fixed.
inline constexpr Fixed kPx = 0x8000;

// Real page windows on the private X server: a loaded page gets one.
class XmlTest : public PageWindowTest {
protected:
    void SetUp() override
    {
        PageWindowTest::SetUp();
        Color_Initialize();
        QXStatus = 0;
        page_ = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        ASSERT_NE(page_, 0u);
        xmlLog() = XmlDoubleLog{};
        char pattern[] = "/tmp/xmltestXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        setenv("HOME", dir_.c_str(), 1);
        ASSERT_EQ(DefRegisterProperties(), 1);
        ASSERT_EQ(DefInitAll(), 1);
        SEInitPools();
        SEStart();
        EE_ClearPendingError();
        GE_SetCurrentDiagram(QXStr_GetPageListHandle());
        GE_SetMode(kGEModeEditor);
        ASSERT_EQ(EE_CreateNetPage(page_, 1), 1);
        ASSERT_EQ(QXWtAttr_SetPageAttr(page_, "Top", 1, 600, 400, 1), 1u);
        EE_PageChangedHook(page_, 0, 0, 0, 0, 0);
        // As in a new diagram, the hierarchy page stands by.
        ASSERT_NE(PGGetHierarchyPage(), 0u);
    }
    void TearDown() override
    {
        XmlLogFinish();
        Select_Clear();
        SEFreeDB();
        GE_SetCurrentDiagram(0);
        EE_ClearPendingError();
        // The kernel's alignment keeps an undo record that outlives the diagram.
        Undo_Shutdown();
        std::filesystem::remove_all(dir_);
        for (HookId id = 0; id < kHookCount; ++id)
            Hook_Unregister(id);
        PageWindowTest::TearDown();
    }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void Write(const std::string& path, const std::string& text)
    {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }

    // Net objects on the page, each with a name region holding the name.
    ObjectHandle Place(Fixed x, Fixed y, const char* name, ObjectHandle page = 0)
    {
        ObjectHandle node = QXStr_CreateNode(page != 0 ? page : page_, x, y, 40 * kPx, 30 * kPx, 2);
        EXPECT_EQ(EE_CreateNetPlace(node), 1);
        Name(node, name);
        return node;
    }
    ObjectHandle Transition(Fixed x, Fixed y, const char* name, ObjectHandle page = 0)
    {
        ObjectHandle node = QXStr_CreateNode(page != 0 ? page : page_, x, y, 60 * kPx, 30 * kPx, 1);
        EXPECT_EQ(EE_CreateNetTrans(node), 1);
        Name(node, name);
        return node;
    }
    static ObjectHandle Region(ObjectHandle owner, int32_t kind, const char* text)
    {
        ObjectHandle region = GE_MakeRegion(owner, kind);
        EXPECT_NE(region, 0u);
        QXText_SetText(region, text);
        EE_UpdateNetFromObject(region);
        return region;
    }
    static void Name(ObjectHandle node, const char* name) { Region(node, kRegionName, name); }
    ObjectHandle Arc(ObjectHandle from, ObjectHandle to, uint32_t direction)
    {
        ObjectHandle connector = QXStr_CreateConnector(page_, from, to);
        QXWtAttr_SetDirection(connector, direction);
        EXPECT_EQ(EE_CreateNetArc(connector), 1);
        return connector;
    }

    static std::vector<ObjectHandle> List(uint32_t (*get)(ObjectHandle, uint16_t*, ObjectHandle**), ObjectHandle of)
    {
        uint16_t count = 0;
        ObjectHandle* array = nullptr;
        std::vector<ObjectHandle> out;
        if (get(of, &count, &array) && array != nullptr)
            out.assign(array, array + count);
        if (array != nullptr)
            QXMem_Free(array);
        return out;
    }
    static std::vector<ObjectHandle> Nodes(ObjectHandle page) { return List(QXStr_GetNodeList, page); }
    static std::vector<ObjectHandle> Connectors(ObjectHandle page) { return List(QXStr_GetPageConnList, page); }
    static std::vector<ObjectHandle> Regions(ObjectHandle object) { return List(QXStr_GetRegionList, object); }
    static std::vector<ObjectHandle> Pages()
    {
        uint16_t count = 0;
        ObjectHandle* array = nullptr;
        std::vector<ObjectHandle> out;
        if (QXStr_GetPageList(&count, &array) && array != nullptr)
            out.assign(array, array + count);
        if (array != nullptr)
            QXMem_Free(array);
        return out;
    }
    // The pages that are neither the given ones nor hierarchy pages.
    static std::vector<ObjectHandle> NewPages(const std::vector<ObjectHandle>& before)
    {
        std::vector<ObjectHandle> out;
        uint32_t length = 0;
        for (ObjectHandle p : Pages())
            if (std::find(before.begin(), before.end(), p) == before.end() && !PGIsHierarchyObject(p, &length))
                out.push_back(p);
        return out;
    }
    // A second net page with the name and number.
    static ObjectHandle NetPage(const char* name, uint16_t number)
    {
        const ObjectHandle page = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        EXPECT_EQ(EE_CreateNetPage(page, 1), 1);
        QXWtAttr_SetPageAttr(page, name, number, 600, 400, 1);
        return page;
    }
    // The node of the net kind on the page whose name is the name.
    static ObjectHandle Named(ObjectHandle page, uint16_t kind, const std::string& name)
    {
        for (ObjectHandle node : Nodes(page)) {
            SEHead* record = nullptr;
            if (NetKind(node) == kind && GE_GetSERecord(node, &record) && SEGetName(record) != nullptr &&
                name == SEGetName(record))
                return node;
        }
        return 0;
    }
    static std::string Text(ObjectHandle object) { return GE_TextOf(object); }
    static uint16_t NetKind(ObjectHandle object)
    {
        uint16_t kind = 0, sub = 0;
        SEHead* record = nullptr;
        EE_GetObjectKind(object, &kind, &sub, &record);
        return kind;
    }
    static FixPoint Position(ObjectHandle object)
    {
        FixPoint p{};
        QXRdAttr_GetPosition(object, &p.x, &p.y);
        return p;
    }
    static FixPoint Size(ObjectHandle object)
    {
        FixPoint p{};
        QXRdAttr_GetSize(object, &p.x, &p.y);
        return p;
    }
    static std::string PageName(ObjectHandle page, uint16_t* number = nullptr)
    {
        char name[256] = {};
        uint16_t n = 0;
        int16_t w = 0, h = 0;
        uint32_t border = 0;
        QXRdAttr_GetPageAttr(page, name, &n, &w, &h, &border);
        if (number != nullptr)
            *number = n;
        return name;
    }

    std::filesystem::path dir_;
    ObjectHandle page_ = 0;
};
