// Start-up and shutdown: the toolkit with the command-line option table, the
// kernel's X resources, the environment, the module initialisers in their
// order, the main window, the programming interface and the application, the
// file arguments, and the main loop.
#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/Xaw/Form.h>
#include <X11/Xutil.h>

#include <array>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "xkv/colour/Colour.h"
#include "xkv/comm/Comm.h"
#include "xkv/cursor/Cursor.h"
#include "xkv/default/Default.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/cache/Cache.h"
#include "xkv/core/Core.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/Model.h"
#include "xkv/pending/Pending.h"
#include "xkv/print/Print.h"
#include "xkv/text/TextKernel.h"
#include "xkv/window/Window.h"
#include "xkv/platform/xwindows/Events.h"
#include "xkv/platform/xwindows/Platform.h"
#include "xkv/text/TextEdit.h"
#include "xkv/statusbar/StatusBar.h"
#include "xkv/timer/Timer.h"
#include "xkv/velkor/Velkor.h"

// Every X protocol error is ignored.
int Velkor_XErrorHandler(Display* display, XErrorEvent* event);

namespace {

// The toolkit's option table: 51 rows.
XrmOptionDescRec kOptions[] = {
    {const_cast<char*>("-display"), const_cast<char*>(".display"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-name"), const_cast<char*>(".name"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-syn"), const_cast<char*>(".synchronous"), XrmoptionNoArg, const_cast<char*>("on")},
    {const_cast<char*>("+syn"), const_cast<char*>(".synchronous"), XrmoptionNoArg, const_cast<char*>("off")},
    {const_cast<char*>("-title"), const_cast<char*>(".title"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-debug"), const_cast<char*>(".debug"), XrmoptionNoArg, const_cast<char*>("on")},
    {const_cast<char*>("-background"), const_cast<char*>("*background"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-bg"), const_cast<char*>("*background"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-foreground"), const_cast<char*>("*foreground"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-fg"), const_cast<char*>("*foreground"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-bordercolor"), const_cast<char*>("*borderColor"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-bc"), const_cast<char*>("*borderColor"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-borderwidth"), const_cast<char*>("*borderWidth"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-bw"), const_cast<char*>("*borderWidth"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-reverse"), const_cast<char*>("*reverseVideo"), XrmoptionNoArg, const_cast<char*>("on")},
    {const_cast<char*>("+reverse"), const_cast<char*>("*reverseVideo"), XrmoptionNoArg, const_cast<char*>("off")},
    {const_cast<char*>("-rv"), const_cast<char*>("*reverseVideo"), XrmoptionNoArg, const_cast<char*>("on")},
    {const_cast<char*>("+rv"), const_cast<char*>("*reverseVideo"), XrmoptionNoArg, const_cast<char*>("off")},
    {const_cast<char*>("-barminwidth"), const_cast<char*>("*statusbar.min_width"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-bmw"), const_cast<char*>("*statusbar.min_width"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-geometry"), const_cast<char*>("*page.geometry"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-pgg"), const_cast<char*>("*page.geometry"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-dialogx"), const_cast<char*>("*dialog.x"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-dx"), const_cast<char*>("*dialog.x"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-dialogy"), const_cast<char*>("*dialog.y"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-dy"), const_cast<char*>("*dialog.y"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-dialogfont"), const_cast<char*>("*dialog*font"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-dfn"), const_cast<char*>("*dialog*font"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-statusfont"), const_cast<char*>("*statusbarFont"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-sfn"), const_cast<char*>("*statusbarFont"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-inside"), const_cast<char*>("*positionInsideBorder"), XrmoptionNoArg, const_cast<char*>("on")},
    {const_cast<char*>("+inside"), const_cast<char*>("*positionInsideBorder"), XrmoptionNoArg, const_cast<char*>("off")},
    {const_cast<char*>("-pageStructureFont"), const_cast<char*>("*pageStructureFont"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-psfn"), const_cast<char*>("*pageStructureFont"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-menuenabledfont"), const_cast<char*>("*enabledMenuFont"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-menudisabledfont"), const_cast<char*>("*disabledMenuFont"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-pageTitleFont"), const_cast<char*>("*pageTitleFont"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-statusbarFont"), const_cast<char*>("*statusbarFont"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-messageBoxFont"), const_cast<char*>("*messageBoxFont"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-shortCuts"), const_cast<char*>("*shortCuts"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-tab"), const_cast<char*>("*tabSize"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-clickSet"), const_cast<char*>("*clickSet"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-maxWins"), const_cast<char*>("*maxPageWindows"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-attachMenuBar"), const_cast<char*>(".attachMenuBar"), XrmoptionNoArg, const_cast<char*>("on")},
    {const_cast<char*>("-limitWorkspace"), const_cast<char*>(".limitWorkspace"), XrmoptionNoArg, const_cast<char*>("on")},
    {const_cast<char*>("-maxText"), const_cast<char*>("*maxTextInObject"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-nodeUnmakeRegion"), const_cast<char*>(".allowUnmakeRegionOnNode"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-version"), const_cast<char*>(".versionNumber"), XrmoptionNoArg, const_cast<char*>("on")},
    {const_cast<char*>("-print"), const_cast<char*>(".printFiles"), XrmoptionNoArg, const_cast<char*>("on")},
    {const_cast<char*>("-gui"), const_cast<char*>("*gui"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-xrm"), nullptr, XrmoptionResArg, nullptr},
};
static_assert(std::size(kOptions) == 51);

// Application resources read from the toplevel shell.
struct ApplicationResources {
    Boolean reverseVideo;
    Pixel foreground;
    Pixel background;
};

XtResource kApplicationResources[] = {
    {const_cast<char*>("reverseVideo"), const_cast<char*>("ReverseVideo"), const_cast<char*>(XtRBool),
     sizeof(Boolean), XtOffsetOf(ApplicationResources, reverseVideo), const_cast<char*>(XtRImmediate),
     reinterpret_cast<XtPointer>(False)},
    {const_cast<char*>("foreground"), const_cast<char*>("Foreground"), const_cast<char*>(XtRPixel), sizeof(Pixel),
     XtOffsetOf(ApplicationResources, foreground), const_cast<char*>(XtRString),
     const_cast<char*>(XtDefaultForeground)},
    {const_cast<char*>("background"), const_cast<char*>("Background"), const_cast<char*>(XtRPixel), sizeof(Pixel),
     XtOffsetOf(ApplicationResources, background), const_cast<char*>(XtRString),
     const_cast<char*>(XtDefaultBackground)},
};

constexpr int32_t kMaxPageWindows = 15;

bool ReadBoolean(const char* name, const char* resourceClass, bool fallback)
{
    uint32_t value = 0;
    return Velkor_GetResource(name, resourceClass, kResourceBoolean, &value) != 0 ? value != 0 : fallback;
}

void ReadString(const char* name, const char* resourceClass, char (&out)[kVelkorNameMax + 1])
{
    Velkor_GetResource(name, resourceClass, kResourceString, out);
}

int32_t ReadInteger(const char* name, const char* resourceClass, int32_t fallback)
{
    int32_t value = fallback;
    Velkor_GetResource(name, resourceClass, kResourceInteger, &value);
    return value;
}

void ReadKernelResources(VelkorSettings& s)
{
    s.clickSet = ReadBoolean("clickSet", "ClickSet", false);
    ReadString("pageStructureFont", "PageStructureFont", s.pageStructureFont);
    s.dragWithRegions = ReadBoolean("dragWithRegions", "DragWithRegions", true);
    s.eraseBeforeDrag = ReadBoolean("eraseBeforeDrag", "EraseBeforeDrag", false);
    s.useSubtreeRectangle = ReadBoolean("useSubtreeRectangle", "UseSubtreeRectangle", true);
    s.allowColor = ReadBoolean("allowColor", "AllowColor", true);
    ReadString("enabledMenuFont", "EnabledMenuFont", s.enabledMenuFont);
    ReadString("disabledMenuFont", "DisabledMenuFont", s.disabledMenuFont);
    ReadString("statusbarFont", "StatusbarFont", s.statusbarFont);
    ReadString("pageTitleFont", "PageTitleFont", s.pageTitleFont);
    ReadString("messageBoxFont", "MessageBoxFont", s.messageBoxFont);
    ReadString("page.geometry", "page.Geometry", s.pageGeometry);
    MemHandle shortCuts = 0;
    if (Velkor_GetResourceCopy("shortCuts", "ShortCuts", &shortCuts) == 0) {
        s.shortCuts = shortCuts;
    }
    s.tabSize = ReadInteger("tabSize", "TabSize", 4);
    if (s.tabSize < 1) {
        s.tabSize = 4;
    }
    s.maxPageWindows = ReadInteger("maxPageWindows", "MaxPageWindows", kMaxPageWindows);
    if (s.maxPageWindows < 1 || s.maxPageWindows > kMaxPageWindows) {
        s.maxPageWindows = kMaxPageWindows;
    }
    // The menu bar is never attached with the Athena widgets.
    ReadBoolean("attachMenuBar", "AttachMenuBar", false);
    s.attachMenuBar = false;
    s.limitWorkspace = ReadBoolean("limitWorkspace", "LimitWorkspace", false);
    s.allowPointerWarp = ReadBoolean("allowPointerWarp", "AllowPointerWarp", true);
    s.maxTextInObject = ReadInteger("maxTextInObject", "MaxTextInObject", INT32_MAX);
    if (s.maxTextInObject < 1) {
        s.maxTextInObject = INT32_MAX;
    }
    s.allowUnmakeRegionOnNode = ReadBoolean("allowUnmakeRegionOnNode", "AllowUnmakeRegionOnNode", true);
    Velkor_CopyBounded(s.title, s.programName);
    ReadString("title", "Title", s.title);
    s.debug = ReadBoolean("debug", "debug", false);
}

void ReadApplicationResources(VelkorSettings& s)
{
    ApplicationResources values{};
    XtGetApplicationResources(s.toplevel, &values, kApplicationResources, XtNumber(kApplicationResources), nullptr,
                              0);
    s.foreground = values.reverseVideo ? values.background : values.foreground;
    s.background = values.reverseVideo ? values.foreground : values.background;
}

// Decimal conversion that saturates instead of overflowing.
int32_t ParseInteger(const char* text)
{
    errno = 0;
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

void EndToolkit(VelkorSettings& s)
{
    if (s.appContext != nullptr) {
        XtDestroyApplicationContext(s.appContext);
    }
    s.appContext = nullptr;
    s.display = nullptr;
    s.toplevel = nullptr;
}

// Splits argv[1] into a directory (with its "/", "./" when it has none) and a
// name, and takes it off the vector.
std::string TakeFileArgument(int* argc, char** argv)
{
    std::string path = argv[1];
    if (path.find('/') == std::string::npos) {
        path = "./" + path;
    }
    for (int i = 1; i < *argc; ++i) {
        argv[i] = argv[i + 1];
    }
    --*argc;
    return path;
}

}  // namespace

uint32_t Velkor_GetResource(const char* name, const char* resourceClass, uint32_t kind, void* result)
{
    const VelkorSettings& s = Velkor_Settings();
    if (s.display == nullptr || name == nullptr || resourceClass == nullptr || result == nullptr) {
        return 0;
    }
    const std::string fullName = std::string(s.programName) + "." + name;
    const std::string fullClass = std::string(kVelkorApplicationClass) + "." + resourceClass;
    char* type = nullptr;
    XrmValue value{};
    XrmDatabase database = XrmGetDatabase(s.display);
    if (database == nullptr || !XrmGetResource(database, fullName.c_str(), fullClass.c_str(), &type, &value) ||
        value.addr == nullptr) {
        return 0;
    }
    const std::string text(value.addr, strnlen(value.addr, value.size));
    switch (kind) {
    case kResourceBoolean: {
        std::string lower = text;
        for (char& c : lower) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        *static_cast<uint32_t*>(result) = lower == "on" ? 1 : 0;
        return 1;
    }
    case kResourceInteger:
        *static_cast<int32_t*>(result) = ParseInteger(text.c_str());
        return 1;
    case kResourceString: {
        // Every string setting holds at most kVelkorNameMax characters.
        auto* out = static_cast<char*>(result);
        const size_t n = std::min(text.size(), kVelkorNameMax);
        std::memcpy(out, text.data(), n);
        out[n] = '\0';
        return 1;
    }
    default:
        return 0;
    }
}

KernelStatus Velkor_GetResourceCopy(const char* name, const char* resourceClass, MemHandle* out)
{
    char value[kVelkorNameMax + 1] = {};
    if (Velkor_GetResource(name, resourceClass, kResourceString, value) == 0) {
        return 51;
    }
    return Mem_AllocCopy(out, value, std::strlen(value) + 1);
}

void Velkor_LowerCase(char* text)
{
    for (; text != nullptr && *text != '\0'; ++text) {
        *text = static_cast<char>(std::tolower(static_cast<unsigned char>(*text)));
    }
}

uint32_t Velkor_MotifAvailable()
{
    return 0;
}

uint32_t Velkor_SelectInterface(const char* name)
{
    const std::string_view gui(name);
    if (gui == "athena" || gui == "mitathena") {
        return 0;
    }
    if (gui == "motif" || gui == "osf/motif") {
        std::fprintf(stderr, "%s is not available, using athena.\n", name);
        return 0;
    }
    if (gui == "openlook" || gui == "at&topenlook") {
        std::fprintf(stderr, "%s is not yet available, using athena.\n", name);
        return 0;
    }
    std::fprintf(stderr, "%s is an invalid graphical user interface.\n", name);
    return 1;
}

int Velkor_XErrorHandler(Display*, XErrorEvent*)
{
    return 0;
}

KernelStatus Velkor_InitX(int* argc, char** argv, uint32_t)
{
    VelkorSettings& s = Velkor_Settings();
    XtToolkitInitialize();
    s.appContext = XtCreateApplicationContext();
    s.display = XtOpenDisplay(s.appContext, nullptr, nullptr, kVelkorApplicationClass, kOptions,
                              XtNumber(kOptions), argc, argv);
    if (s.display != nullptr) {
        Arg args[1];
        XtSetArg(args[0], XtNallowShellResize, True);
        s.toplevel = XtAppCreateShell(nullptr, kVelkorApplicationClass, applicationShellWidgetClass, s.display,
                                      args, 1);
    }
    if (s.toplevel == nullptr) {
        std::fputs("Fatal Error: XtAppCreateShell returned NULL", stderr);
        EndToolkit(s);
        return kVelkorNoShell;
    }
    s.screen = DefaultScreen(s.display);
    s.screenWidth = DisplayWidth(s.display, s.screen);
    s.screenHeight = DisplayHeight(s.display, s.screen);
    Platform_Attach(s.appContext, s.display);
    Platform_SetProgramName(s.programName);
    Events_SetEventSwitch(Velkor_DispatchEvent);
    Timer_UseToolkit(s.appContext);
    Window_InitImageContext();

    if (ReadBoolean("versionNumber", "VersionNumber", false)) {
        std::printf("%s version: %s\n", s.programName, kVelkorVersion);
        std::fflush(stdout);
        return 1;
    }
    s.printFiles = ReadBoolean("printFiles", "PrintFiles", false);
    char gui[kVelkorNameMax + 1] = "athena";
    Velkor_GetResource("gui", "GUI", kResourceString, gui);
    Velkor_LowerCase(gui);
    if (Velkor_SelectInterface(gui) != 0) {
        return 1;
    }
    ReadApplicationResources(s);
    ReadKernelResources(s);
    XSetErrorHandler(Velkor_XErrorHandler);
    Color_Initialize();
    return 0;
}

KernelStatus Velkor_ReadConfiguration()
{
    VelkorSettings& s = Velkor_Settings();
    const char* delay = std::getenv("DelayTime");
    s.delayTime = delay != nullptr ? ParseInteger(delay) : 100;
    const char* resources = std::getenv("VelkorResourceDir");
    Velkor_CopyBounded(s.resourceDirectory, resources != nullptr ? resources : "./resources");
    Platform_SetResourceDirectory(s.resourceDirectory);
    return 0;
}

KernelStatus Velkor_InitModules()
{
    KernelStatus status = Mem_Init(nullptr, nullptr);
    if (status != 0) {
        return status;
    }
    if ((status = Group_CreateTable(kGroupTableInitialSize)) != 0) {
        return status;
    }
    Timer_Initialize();
    if ((status = Trans_Initialize()) != 0) {
        return status;
    }
    Default_Init();
    Window_Init();
    if ((status = Cache_Initialize()) != 0) {
        return status;
    }
    if ((status = Comm_Initialize()) != 0) {
        return status;
    }
    if ((status = Core_Initialize()) != 0) {
        return status;
    }
    Dialog_Initialize();
    return 0;
}

// Gives back what the modules hold for the whole run.
KernelStatus Velkor_ShutdownModules()
{
    Text_Shutdown();
    Default_Shutdown();
    return 0;
}

KernelStatus Velkor_CloseWindows()
{
    return 0;
}

Widget Velkor_CreateMenuForm(Widget parent)
{
    Arg args[4];
    Cardinal n = 0;
    XtSetArg(args[n], XtNwidth, 600); ++n;
    XtSetArg(args[n], XtNheight, 600); ++n;
    XtSetArg(args[n], XtNdefaultDistance, 6); ++n;
    XtSetArg(args[n], XtNresizable, True); ++n;
    return XtCreateManagedWidget("menu", formWidgetClass, parent, args, n);
}

KernelStatus Velkor_InitWindows()
{
    VelkorSettings& s = Velkor_Settings();
    s.mainForm = Velkor_CreateMenuForm(s.toplevel);
    if (s.mainForm == nullptr) {
        return 1;
    }
    XtVaGetValues(s.mainForm, XtNforeground, &s.menuForeground, XtNbackground, &s.menuBackground, nullptr);
    Widget menuBar = nullptr;
    if (Menu_Initialize(s.mainForm, 0, &menuBar) != 0) {
        std::fputs("Error exit from Menu_Initialize.\n", stderr);
        return 1;
    }
    StatusBar_Create(1, menuBar, s.mainForm);
    XtVaSetValues(s.mainForm, XtNbackground, s.menuBackground, nullptr);
    return 0;
}

KernelStatus Velkor_InitAuxilliary()
{
    if (Cursor_LoadFile(nullptr) != 0) {
        Cursor_SetMainWindow(4);
    }
    return Trans_Begin(4, nullptr, 1);
}

void Velkor_SetWindowGroupHint(Window window)
{
    const VelkorSettings& s = Velkor_Settings();
    XWMHints hints{};
    hints.flags = InputHint | WindowGroupHint;
    hints.input = True;
    hints.window_group = window;
    XSetWMHints(s.display, window, &hints);
}

void Velkor_SetShellSizeHints(int width, Widget shell)
{
    Dimension presentWidth = 0;
    Dimension presentHeight = 0;
    XtVaGetValues(shell, XtNwidth, &presentWidth, XtNheight, &presentHeight, nullptr);
    const int w = width != 0 ? width : presentWidth;
    XSizeHints hints{};
    hints.flags = PSize | PMinSize | PMaxSize;
    hints.width = hints.min_width = hints.max_width = w;
    hints.height = hints.min_height = hints.max_height = presentHeight;
    if (XtIsRealized(shell)) {
        XSetWMNormalHints(XtDisplay(shell), XtWindow(shell), &hints);
    }
    if (width != 0) {
        XtVaSetValues(shell, XtNwidth, static_cast<Dimension>(width), XtNheight, presentHeight, XtNborderWidth, 1, nullptr);
    }
}

KernelStatus Velkor_OpenWindows()
{
    VelkorSettings& s = Velkor_Settings();
    KernelStatus status = Velkor_InitWindows();
    if (status != 0) {
        std::fprintf(stderr, "%s: Error exit from Velkor_InitWindows.\n", s.programName);
        std::fprintf(stderr, "%s: Cannot open windows.\n", s.programName);
        return status;
    }
    if (!s.printFiles) {
        XtRealizeWidget(s.toplevel);
        Velkor_WatchWindowClose(s.toplevel);
        Velkor_SetWindowGroupHint(XtWindow(s.toplevel));
        XSelectInput(s.display, XtWindow(s.toplevel), KeyPressMask | StructureNotifyMask | FocusChangeMask);
    }
    status = Velkor_InitAuxilliary();
    if (status != 0) {
        std::fprintf(stderr, "%s: Error exit from Velkor_InitAuxilliary.\n", s.programName);
    }
    Velkor_SetShellSizeHints(0, s.toplevel);
    if (status != 0) {
        std::fprintf(stderr, "%s: Cannot open windows.\n", s.programName);
    }
    return status;
}

KernelStatus Velkor_PassArguments(int* argc, char** argv)
{
    if (Hook_IsRegistered(kHookArgv) == 0) {
        return 0;
    }
    const uintptr_t result =
        Hook_GetHandler(kHookArgv)(reinterpret_cast<uintptr_t>(argc), reinterpret_cast<uintptr_t>(argv), 0, 0, 0, 0);
    return result == 0 ? 1 : 0;
}

KernelStatus Velkor_PrintFiles(int* argc, char** argv)
{
    const VelkorSettings& s = Velkor_Settings();
    KernelStatus status = 0;
    while (*argc > 1) {
        const std::string path = TakeFileArgument(argc, argv);
        Comm_SetFilePath(1, path.c_str());
        const KernelStatus loaded = Comm_LoadDiagram();
        if (!s.printFiles) {
            if (*argc > 1) {
                std::fprintf(stderr, "Usage: %s [diagram-file] \n", s.programName);
                status = 1;
            } else {
                // The user is told why the file given did not open.
                Comm_ReportLoadFailure(loaded);
            }
            break;
        }
        const char* directory = Comm_GetFileDirectoryText(1);
        const char* name = Comm_GetFileNameText(1);
        if (loaded != 0) {
            std::fprintf(stderr, "%s: File %s%s could not be opened.\n", s.programName, directory, name);
            status = loaded;
            continue;
        }
        status = Comm_PrintDiagram();
        if (status != 0) {
            std::fprintf(stderr, "%s: File %s%s could not be printed.\n", s.programName, directory, name);
            if (const std::string failure = Print_TakeSpoolFailure(); !failure.empty()) {
                std::fprintf(stderr, "%s: %s\n", s.programName, failure.c_str());
            }
        } else {
            std::fprintf(stderr, "%s: File %s%s was printed.\n", s.programName, directory, name);
        }
    }
    // A print run ends here: the last diagram it loaded is closed and freed.
    if (s.printFiles && Model_GetRoot() != 0) {
        Core_CloseModel();
    }
    return status;
}

KernelStatus Velkor_Run(int* argc, char** argv)
{
    const VelkorSettings& s = Velkor_Settings();
    KernelStatus status = Velkor_OpenWindows();
    if (status != 0) {
        return status;
    }
    Text_InitWindows(Trans_PostIdleText);
    if (KV_Initialize() != 0) {
        std::fprintf(stderr, "%s: Cannot start external application.\n", s.programName);
        return 1;
    }
    if (Velkor_PassArguments(argc, argv) != 0) {
        return 1;
    }
    KV_StartApplication();
    status = Velkor_PrintFiles(argc, argv);
    if (status == 0 && !s.printFiles) {
        if (Velkor_MainLoop() != 0) {
            std::fprintf(stderr, "%s: Error exit from Velkor_MainLoop.\n", s.programName);
            status = 1;
        }
    }
    if (KV_EndApplication() != 0) {
        status = 1;
    }
    Velkor_CloseWindows();
    return status;
}

KernelStatus Velkor_Startup(int* argc, char** argv)
{
    VelkorSettings& s = Velkor_Settings();
    KernelStatus status = Velkor_InitX(argc, argv, 0);
    if (status == 1) {
        return 0;  // the version line or an unknown interface: a quiet end
    }
    if (status != 0) {
        std::fprintf(stderr, "%s: Could not initialize X libraries.\n", s.programName);
        return status;
    }
    if (Velkor_ReadConfiguration() != 0) {
        std::fprintf(stderr, "%s: Error when reading configuration file.\n", s.programName);
        return 1;
    }
    if (Velkor_InitModules() != 0) {
        std::fprintf(stderr, "%s: Could not initialize modules.\n", s.programName);
        return 1;
    }
    status = Velkor_Run(argc, argv);
    Velkor_ShutdownModules();
    return status;
}
