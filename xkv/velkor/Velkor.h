// Start-up, shutdown and the main loop of the kernel: the program's settings
// record (name, directories, X handles, the kernel's X resources), the start-up
// stages and the X event switch.
#pragma once

#include "xkv/velkor/XTypes.h"

#include <cstdint>
#include <string_view>

#include "xkv/types/Types.h"

// A kernel memory block (the same alias as the memory module's).
using MemHandle = uint32_t;

// Longest program name and string resource value kept (characters).
inline constexpr size_t kVelkorNameMax = 83;
// Longest program directory (characters, with its final "/").
inline constexpr size_t kVelkorPathMax = 1023;
// Longest resource directory (characters).
inline constexpr size_t kVelkorResourceDirMax = 255;

inline constexpr const char* kVelkorApplicationClass = "Tolq";
inline constexpr const char* kVelkorVersion = "Velkor/TOLQ v4.0.4";

// Status of Velkor_InitX when the toolkit gives no shell.
inline constexpr KernelStatus kVelkorNoShell = 52;

// The kernel-wide settings, written once during start-up and read everywhere.
struct VelkorSettings {
    char programName[kVelkorNameMax + 1] = {};
    char programDirectory[kVelkorPathMax + 1] = {};
    char resourceDirectory[kVelkorResourceDirMax + 1] = "./resources";

    Widget toplevel = nullptr;
    XtAppContext appContext = nullptr;
    Display* display = nullptr;
    int screen = 0;
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;

    bool printFiles = false;
    Pixel foreground = 0;
    Pixel background = 0;
    Pixel menuForeground = 0;
    Pixel menuBackground = 0;
    Widget mainForm = nullptr;

    int32_t delayTime = 100;

    // The kernel's X resources.
    bool clickSet = false;
    char pageStructureFont[kVelkorNameMax + 1] = "*helvetica-*-r-*-120-*";
    bool dragWithRegions = true;
    bool eraseBeforeDrag = false;
    bool useSubtreeRectangle = true;
    bool allowColor = true;
    char enabledMenuFont[kVelkorNameMax + 1] = "*-helvetica-bold-r*-14-*";
    char disabledMenuFont[kVelkorNameMax + 1] = "*-helvetica-medium-o*-14-*";
    char statusbarFont[kVelkorNameMax + 1] = "*-helvetica-*-r-*-120-*";
    char pageTitleFont[kVelkorNameMax + 1] = "*-helvetica-*-r-*-120-*";
    char messageBoxFont[kVelkorNameMax + 1] = "*-helvetica-bold-r*-14-*";
    char pageGeometry[kVelkorNameMax + 1] = "";
    MemHandle shortCuts = 0;
    int32_t tabSize = 4;
    int32_t maxPageWindows = 15;
    bool attachMenuBar = false;
    bool limitWorkspace = false;
    bool allowPointerWarp = true;
    int32_t maxTextInObject = 2147483647;
    bool allowUnmakeRegionOnNode = true;
    char title[kVelkorNameMax + 1] = "";
    bool debug = false;
};

// The one settings record.
VelkorSettings& Velkor_Settings();

// Copies text into a fixed buffer, cut to fit and always terminated.
template <size_t N>
void Velkor_CopyBounded(char (&buffer)[N], std::string_view text)
{
    size_t n = text.size() < N - 1 ? text.size() : N - 1;
    text.copy(buffer, n);
    buffer[n] = '\0';
}

// Start-up stages.
int Velkor_SetProgramPath(char** argv);
KernelStatus Velkor_Startup(int* argc, char** argv);
KernelStatus Velkor_InitX(int* argc, char** argv, uint32_t unused);
uint32_t Velkor_GetResource(const char* name, const char* resourceClass, uint32_t kind, void* result);
KernelStatus Velkor_GetResourceCopy(const char* name, const char* resourceClass, MemHandle* out);
uint32_t Velkor_SelectInterface(const char* name);
uint32_t Velkor_MotifAvailable();
void Velkor_LowerCase(char* text);
KernelStatus Velkor_ReadConfiguration();
KernelStatus Velkor_InitModules();
KernelStatus Velkor_ShutdownModules();
KernelStatus Velkor_CloseWindows();
KernelStatus Velkor_Run(int* argc, char** argv);
KernelStatus Velkor_OpenWindows();
KernelStatus Velkor_InitWindows();
Widget Velkor_CreateMenuForm(Widget parent);
KernelStatus Velkor_InitAuxilliary();
KernelStatus Velkor_PassArguments(int* argc, char** argv);
KernelStatus Velkor_PrintFiles(int* argc, char** argv);
void Velkor_SetShellSizeHints(int width, Widget shell);
void Velkor_SetWindowGroupHint(Window window);

// Kinds of Velkor_GetResource.
inline constexpr uint32_t kResourceBoolean = 0;
inline constexpr uint32_t kResourceInteger = 1;
inline constexpr uint32_t kResourceString = 2;

// The main loop and the X event switch.
int32_t Velkor_MainLoop();
void Velkor_DispatchNextEvent(uint32_t wait);
void Velkor_DispatchEvent(XEvent* event);
uint32_t Velkor_HandleKey(Widget unused, XtPointer unusedData, XEvent* keyEvent);
void Velkor_UpdateModifiers(unsigned int state);
void Velkor_GetModifierState(int32_t* modifiers);
void Velkor_NoteDialogGeometry(XEvent* event);
uint32_t Velkor_IconifyWithMain(Window window, uint32_t dialogUp);
// Makes the shell answer the window manager's close button (WM_DELETE_WINDOW).
void Velkor_WatchWindowClose(Widget shell);
// Handles a window manager's close request; false for any other event.
bool Velkor_HandleWindowClose(const XEvent& event);
void Velkor_SetRunning(int32_t running);
int32_t Velkor_IsRunning();
void Velkor_RequestMenuUpdate(int32_t flag);
// The flag of the last menu update request (1 asked, 0 none or cancelled).
int32_t Velkor_MenuUpdateRequested();
