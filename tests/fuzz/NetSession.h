// A fresh kernel with the net layer's defaults and a new net diagram, made
// for one fuzz input and torn down after it, so that no input leaves state
// behind for the next. HOME points at a private directory for files the net
// layer reads from there.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetServices.h"
#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/model/Model.h"

namespace fuzz {

// The private home directory of this process, made once.
inline const std::string& Home()
{
    static const std::string home = [] {
        std::string path = "/tmp/tolq-fuzz-home-" + std::to_string(getpid());
        std::filesystem::create_directories(path);
        setenv("HOME", path.c_str(), 1);
        return path;
    }();
    return home;
}

class NetSession {
public:
    NetSession()
    {
        Home();
        Group_CreateTable(kGroupTableInitialSize);
        Model_CreateTable(kInitialObjectSlots);
        Default_Init();
        Model_NewDiagram();
        QXStatus = 0;
        page_ = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        DefRegisterProperties();
        DefInitAll();
        SEInitPools();
        EE_ClearPendingError();
        GE_SetMode(kGEModeEditor);
        Hook_Set(kHookPageChanged, EE_PageChangedHook);
        if (page_ != 0)
            EE_NewDiagram(page_);
    }
    ~NetSession()
    {
        QXUI_ClearUndo();
        SEFreeDB();
        GE_SetCurrentDiagram(0);
        EE_ClearPendingError();
        for (HookId id = 0; id < kHookCount; ++id)
            Hook_Unregister(id);
        Core_CloseModel();
        if (Model_GetRoot() != 0)
            Model_DestroyTree(Model_GetRoot());
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
    }
    NetSession(const NetSession&) = delete;
    NetSession& operator=(const NetSession&) = delete;

    ObjectHandle page() const { return page_; }

private:
    ObjectHandle page_ = 0;
};

}  // namespace fuzz
