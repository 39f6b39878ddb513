// The net-command fixture and the recording message box.
#include "NetCommandFixture.h"

#include "xvfb.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXMem.h"
#include "xkv/select/Select.h"

TOLQ_X11_TEST_ENVIRONMENT();

std::vector<int16_t>& ShownMessages()
{
    static std::vector<int16_t> shown;
    return shown;
}

// The program's plain message box, recorded here.
int GE_MessageBox(int16_t id)
{
    ShownMessages().push_back(id);
    return 1;
}

void NetCommandTest::SetUp()
{
    PageWindowTest::SetUp();
    // The command layer runs the kernel commands that the net commands issue.
    static const KernelStatus commReady = Comm_Initialize();
    ASSERT_EQ(commReady, kStatusOk);
    ShownMessages().clear();
    page_ = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
    ASSERT_NE(page_, 0u);
    Open(page_);
    Comm_SetCurrentPage(page_);
    char pattern[] = "/tmp/netcommandsXXXXXX";
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
    GE_SetSelectionType(0);
    net_ = SECreatePage(page_, 1);
    ASSERT_EQ(GE_SetSERecord(page_, &net_->head), 1);
}

void NetCommandTest::TearDown()
{
    Select_Clear();
    // The clipboard's objects go with the model.
    Core_GetBucketPage(1);
    SEFreeDB();
    GE_SetCurrentDiagram(0);
    EE_ClearPendingError();
    std::filesystem::remove_all(home_);
    Comm_SetCurrentPage(0);
    for (HookId id = 0; id < kHookCount; ++id)
        Hook_Unregister(id);
    PageWindowTest::TearDown();
}

ObjectHandle NetCommandTest::Place(double x, double y, ObjectHandle page)
{
    ObjectHandle node = QXStr_CreateNode(page != 0 ? page : page_, F(x), F(y), F(20), F(20), 2);
    EXPECT_EQ(EE_CreateNetPlace(node), 1);
    return node;
}

ObjectHandle NetCommandTest::Transition(double x, double y, ObjectHandle page)
{
    ObjectHandle node = QXStr_CreateNode(page != 0 ? page : page_, F(x), F(y), F(30), F(20), 1);
    EXPECT_EQ(EE_CreateNetTrans(node), 1);
    return node;
}

ObjectHandle NetCommandTest::Arc(ObjectHandle from, ObjectHandle to, uint32_t direction)
{
    ObjectHandle connector = Connector(from, to);
    QXWtAttr_SetDirection(connector, direction);
    EXPECT_EQ(EE_CreateNetArc(connector), 1);
    return connector;
}

ObjectHandle NetCommandTest::Connector(ObjectHandle from, ObjectHandle to)
{
    return QXStr_CreateConnector(QXStr_GetObjectPage(from), from, to);
}

ObjectHandle NetCommandTest::NewNetPage()
{
    ObjectHandle page = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
    EXPECT_EQ(EE_CreateNetPage(page, 1), 1);
    return page;
}

ObjectHandle NetCommandTest::AuxRegion(ObjectHandle owner, const char* text)
{
    Fixed x = 0, y = 0;
    QXRdAttr_GetPosition(owner, &x, &y);
    ObjectHandle label = QXStr_CreateLabel(QXStr_GetObjectPage(owner), x + F(15), y + F(15), F(20), F(10), text);
    EXPECT_NE(QXStr_MakeRegion(label, owner), 0u);
    return label;
}

std::vector<ObjectHandle> NetCommandTest::Selected()
{
    return EE_CommandSelection();
}

SEHead* NetCommandTest::Record(ObjectHandle object)
{
    SEHead* record = nullptr;
    GE_GetSERecord(object, &record);
    return record;
}

char* NetCommandTest::Text(const char* text)
{
    auto* copy = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(std::strlen(text) + 1)));
    std::strcpy(copy, text);
    return copy;
}
