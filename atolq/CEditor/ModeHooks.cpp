// Installation of the editor's and the simulator's kernel hook handlers.
// Both sets belong to modules above this one and are handed in: the editor's
// at start-up, the simulator's when it is first entered. A simulator slot
// without a handler is emptied in the simulator.
#include "atolq/CEditor/ModeHooks.h"

#include <array>

#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "xkv/kv/Hook.h"
#include "xkv/kvud/UserData.h"

namespace {

// What the simulator's installation does with a slot.
enum class InSimulator { Keep, Clear, Same, Simulator };

struct HookRow {
    HookId hook;
    HookHandler editor;  // null: the editor's handler is not built
    InSimulator simulator;
    HookHandler simulatorHandler = nullptr;
};

// The net layer's user data is XDR-encoded and needs no conversion.
uint32_t NoConversion(ObjectHandle, UserDataTag, ObjectHandle, uint32_t)
{
    return 1;
}

// Both sets in installation order (hook 83 comes first, through the
// user-data module; hook 25 through the kernel timer). The editor's handlers
// are filled in at start-up (GE_SetEditorHookHandler); the pending-error timer
// lives in this module.
std::array kHookRows = {
    HookRow{50, nullptr, InSimulator::Simulator},
    HookRow{8, nullptr, InSimulator::Clear},
    HookRow{9, nullptr, InSimulator::Clear},
    HookRow{11, nullptr, InSimulator::Simulator},
    HookRow{42, nullptr, InSimulator::Keep},
    HookRow{32, nullptr, InSimulator::Keep},
    HookRow{48, nullptr, InSimulator::Keep},
    HookRow{38, nullptr, InSimulator::Keep},
    HookRow{17, nullptr, InSimulator::Simulator},
    HookRow{25, EE_PendingErrorTimer, InSimulator::Simulator},
    HookRow{55, nullptr, InSimulator::Same},
    HookRow{45, nullptr, InSimulator::Same},
    HookRow{29, nullptr, InSimulator::Same},
    HookRow{16, nullptr, InSimulator::Same},
    HookRow{27, nullptr, InSimulator::Same},
    HookRow{28, nullptr, InSimulator::Simulator},
    HookRow{7, nullptr, InSimulator::Clear},
    HookRow{14, nullptr, InSimulator::Simulator},
    HookRow{37, nullptr, InSimulator::Keep},
    HookRow{47, nullptr, InSimulator::Simulator},
    HookRow{63, nullptr, InSimulator::Same},
    HookRow{64, nullptr, InSimulator::Keep},
    HookRow{62, nullptr, InSimulator::Simulator},
    HookRow{69, nullptr, InSimulator::Simulator},
    HookRow{40, nullptr, InSimulator::Clear},
    HookRow{74, nullptr, InSimulator::Same},
    HookRow{79, nullptr, InSimulator::Keep},
    HookRow{66, nullptr, InSimulator::Keep},
    HookRow{76, nullptr, InSimulator::Keep},
    HookRow{78, nullptr, InSimulator::Clear},
    HookRow{71, nullptr, InSimulator::Simulator},
    HookRow{34, nullptr, InSimulator::Simulator},
    HookRow{84, nullptr, InSimulator::Keep},
};

// Hook 57 is emptied in the editor and the simulator's in the simulator.
constexpr HookId kHookPageWindowEvent = 57;
HookHandler simulatorPageWindowHandler = nullptr;
constexpr HookId kHookDeleteFirst = 40;
constexpr HookId kHookDeleteSecond = 41;

void InstallTimer(HookHandler handler)
{
    QXCall_Timer(handler);
}

void Install(HookId hook, HookHandler handler)
{
    if (hook == kHookTimer)
        InstallTimer(handler);
    else
        Hook_Set(hook, handler);
}

void InstallSimulatorHooks()
{
    for (const HookRow& row : kHookRows) {
        switch (row.simulator) {
        case InSimulator::Keep:
            break;
        case InSimulator::Same:
            if (row.editor != nullptr)
                Install(row.hook, row.editor);
            break;
        case InSimulator::Clear:
            Install(row.hook, nullptr);
            break;
        case InSimulator::Simulator:
            Install(row.hook, row.simulatorHandler);
            break;
        }
    }
    Hook_Set(kHookPageWindowEvent, simulatorPageWindowHandler);
}

}  // namespace

void GE_InstallEditorHooks()
{
    UD_SetConvertHandler(NoConversion);
    for (const HookRow& row : kHookRows) {
        if (row.editor != nullptr)
            Install(row.hook, row.editor);
        else if (row.simulator == InSimulator::Simulator)
            Install(row.hook, nullptr);  // no simulator handler stays behind
    }
    Hook_Set(kHookPageWindowEvent, nullptr);
}

int GE_SetEditorHookHandler(HookId hook, HookHandler handler)
{
    for (HookRow& row : kHookRows) {
        if (row.hook == hook) {
            row.editor = handler;
            return 1;
        }
    }
    return 0;
}

int GE_SetSimulatorHookHandler(HookId hook, HookHandler handler)
{
    if (hook == kHookPageWindowEvent) {
        simulatorPageWindowHandler = handler;
        return 1;
    }
    for (HookRow& row : kHookRows) {
        if (row.hook == hook && row.simulator == InSimulator::Simulator) {
            row.simulatorHandler = handler;
            return 1;
        }
    }
    return 0;
}

HookHandler GE_EditorHookHandler(HookId hook)
{
    for (const HookRow& row : kHookRows) {
        if (row.hook == hook)
            return row.editor;
    }
    return nullptr;
}

void GE_SetModeHooks(uint16_t mode)
{
    GE_SetMode(static_cast<int16_t>(mode));
    if (mode == kGEModeSimulator) {
        InstallSimulatorHooks();
    } else if (mode == kGEModeEditor) {
        GE_InstallEditorHooks();
        Hook_Set(kHookDeleteSecond, GE_EditorHookHandler(kHookDeleteFirst));
    }
}
