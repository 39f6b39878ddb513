// Dispatch of the net editor's menu picks (hook 21): one handler per menu,
// each with the condition it checks first and the commands it takes over from
// the kernel. Commands whose net-editor operation is not built say so in the
// status bar and change nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Hook-21 handler of the editor mode: (menu id u16, command id i16) -> 0 when
// the pick was consumed, 1 to let the kernel treat it.
uintptr_t EE_MenuPick(uintptr_t menu, uintptr_t command, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
// The same without the TOLQ menu, from start-up until the editor mode.
uintptr_t EE_StartMenuPick(uintptr_t menu, uintptr_t command, uintptr_t, uintptr_t, uintptr_t, uintptr_t);

// The menu handler of one pick: 1 done, -1 refused with a message, 0 not
// handled. withTolq is false for the start-up handler.
int GE_DispatchPick(uint16_t menu, int16_t command, bool withTolq);

// 0: the older code generator, 1 and up: the newer simulator.
uint32_t GE_GetSimulatorSelector();

// "Load XML..." and "Save XML...": the interchange's commands, 1 when the
// command ran, -1 when it failed; the program hands them in as it starts.
using GEXmlCommand = int (*)();
void GE_SetXmlCommands(GEXmlCommand load, GEXmlCommand save);

// The label of a net command whose operation is not built yet; empty when the
// command is not one of them in that menu.
std::string_view GE_PendingCommandLabel(uint16_t menu, int16_t command);

// The net side of "New": called with the page current before the command;
// the diagram life cycle hands its handler in at start-up.
using GENewDiagramHandler = void (*)(uint32_t previousPage);
void GE_SetNewDiagramHandler(GENewDiagramHandler handler);

// The net side of the TOLQ menu's creating commands (Place, Transition,
// Arc): called with the command id; the creating commands hand their handler
// in at start-up.
using GECreateCommandHandler = void (*)(int16_t command);
void GE_SetCreateCommandHandler(GECreateCommandHandler handler);
// True for the TOLQ menu commands that the creation handler takes.
bool GE_IsCreateCommand(int16_t command);
// The net editor's command handlers: (menu, command) -> true when one ran.
// Asked before a command counts as not available.
using GENetCommandRunner = bool (*)(uint16_t menu, int16_t command);
void GE_SetNetCommandRunner(GENetCommandRunner runner);
