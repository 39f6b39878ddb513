// The file selector's entry point, its widgets (made once and kept), the key
// handler of the path field, the nested event loop and the pop-down.
#include <X11/IntrinsicP.h>
#include <X11/CompositeP.h>
#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/Xaw/AsciiText.h>
#include <X11/Xaw/Command.h>
#include <X11/Xaw/Form.h>
#include <X11/Xaw/Label.h>
#include <X11/Xaw/Scrollbar.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "xkv/dialog/DialogHost.h"
#include "xkv/platform/sfselect/SFinternal.h"

void Dialog_SetFileSelectorShown(uint32_t shown);

namespace {

const char kFieldTranslations[] = "\t<Key>Return:\t\tredraw-display()\n\tCtrl<Key>M:\t\tredraw-display()\n";

void Fail(const char* message)
{
    XtAppError(SelFile().app, message);
}

XtGeometryResult AcceptAsDone(Widget, XtWidgetGeometry*, XtWidgetGeometry*)
{
    return XtGeometryDone;
}

void EnsureGeometryManager(Widget container)
{
    auto* cls = reinterpret_cast<CompositeWidgetClass>(XtClass(container));
    if (cls->composite_class.geometry_manager == nullptr) {
        cls->composite_class.geometry_manager = AcceptAsDone;
    }
}

void OkPressed(Widget, XtPointer, XtPointer)
{
    SelFile().status = 0;
}

void CancelPressed(Widget, XtPointer, XtPointer)
{
    SelFile().status = -1;
}

// Runs before the field's own key handling: Return means OK, any other key a
// change; a character typed over a selection records the selection so that
// the loop deletes it after the key has been inserted.
void FieldKey(Widget, XtPointer, XEvent* event, Boolean*)
{
    SelFileState& s = SelFile();
    if (event->type != KeyPress) {
        return;
    }
    char buffer[2] = {};
    KeySym keysym = 0;
    const int n = XLookupString(&event->xkey, buffer, sizeof buffer, &keysym, nullptr);
    // A modifier key pressed in the same millisecond as the key it modifies
    // must not make that key look like a repeated event.
    if (IsModifierKey(keysym)) {
        return;
    }
    if (event->xkey.time == s.lastKeyTime) {
        event->type = 0;
        return;
    }
    s.lastKeyTime = event->xkey.time;
    if (n == 1 && buffer[0] == 13) {
        s.status = 0;
    } else {
        s.status = 2;
    }
    if (n <= 0) {
        return;
    }
    XawTextPosition begin = 0;
    XawTextPosition end = 0;
    XawTextGetSelectionPos(s.field, &begin, &end);
    if (end > begin) {
        XawTextSetInsertionPoint(s.field, end);
        const bool erasing = buffer[0] == 8 || buffer[0] == 127;
        s.haveDeletion = true;
        s.deleteBegin = begin;
        s.deleteEnd = erasing ? end - 1 : end;
    }
}

Widget MakeListPane(int pane, Widget fromHoriz)
{
    SelFileState& s = SelFile();
    const SelFileMetrics& m = s.m;
    Arg args[8];
    Cardinal n = 0;
    XtSetArg(args[n], XtNwidth, m.paneWidth); ++n;
    XtSetArg(args[n], XtNheight, m.paneHeight); ++n;
    XtSetArg(args[n], XtNfromVert, s.levelScroll); ++n;
    XtSetArg(args[n], XtNvertDistance, 10); ++n;
    XtSetArg(args[n], XtNborderColor, s.foreground); ++n;
    if (fromHoriz != nullptr) {
        XtSetArg(args[n], XtNfromHoriz, fromHoriz); ++n;
        XtSetArg(args[n], XtNhorizDistance, 10); ++n;
    }
    static const char* const kNames[] = {"selFileList1", "selFileList2", "selFileList3"};
    Widget list = XtCreateManagedWidget(kNames[pane], compositeWidgetClass, s.form, args, n);
    s.vScrolls[static_cast<size_t>(pane)] = XtVaCreateManagedWidget(
        "selFileVScroll", scrollbarWidgetClass, list, XtNx, m.boxWidth, XtNy, m.headerHeight, XtNwidth, 15, XtNheight,
        10 * m.entryHeight + 6, XtNborderColor, s.foreground, nullptr);
    s.hScrolls[static_cast<size_t>(pane)] = XtVaCreateManagedWidget(
        "selFileHScroll", scrollbarWidgetClass, list, XtNorientation, XtorientHorizontal, XtNx, -1, XtNy,
        11 * m.entryHeight + 13, XtNwidth, m.boxWidth, XtNheight, 15, XtNborderColor, s.foreground, nullptr);
    EnsureGeometryManager(list);
    const XtPointer tag = reinterpret_cast<XtPointer>(static_cast<intptr_t>(pane));
    XtAddCallback(s.vScrolls[static_cast<size_t>(pane)], XtNscrollProc, SelFile_PaneVScroll, tag);
    XtAddCallback(s.vScrolls[static_cast<size_t>(pane)], XtNjumpProc, SelFile_PaneVJump, tag);
    XtAddCallback(s.hScrolls[static_cast<size_t>(pane)], XtNscrollProc, SelFile_PaneHScroll, tag);
    XtAddCallback(s.hScrolls[static_cast<size_t>(pane)], XtNjumpProc, SelFile_PaneHJump, tag);
    XtAddEventHandler(list,
                      ExposureMask | EnterWindowMask | LeaveWindowMask | PointerMotionMask | ButtonPressMask |
                          ButtonReleaseMask,
                      True, SelFile_PaneEvent, tag);
    return list;
}

void CreateWidgets(const char* prompt, const char* ok, const char* cancel)
{
    SelFileState& s = SelFile();
    s.shell = XtVaAppCreateShell("selFile", "SelFile", applicationShellWidgetClass, s.display, XtNallowShellResize,
                                 True, XtNtitle, DialogHost_Title(), nullptr);
    SelFile_InitFont();
    const SelFileMetrics& m = s.m;
    s.form = XtVaCreateManagedWidget("selFileForm", formWidgetClass, s.shell, XtNdefaultDistance, 30, nullptr);
    s.prompt = XtVaCreateManagedWidget("selFilePrompt", labelWidgetClass, s.form, XtNlabel, prompt, XtNborderWidth, 0,
                                       XtNwidth, 400, XtNjustify, XtJustifyLeft, nullptr);
    XtVaGetValues(s.prompt, XtNforeground, &s.foreground, XtNbackground, &s.background, nullptr);
    XtVaSetValues(s.form, XtNborderColor, s.foreground, nullptr);
    s.field = XtVaCreateManagedWidget(
        "selFileField", asciiTextWidgetClass, s.form, XtNwidth, m.formWidth, XtNborderColor, s.foreground, XtNfromVert,
        s.prompt, XtNvertDistance, 10, XtNresizable, True, XtNlength, static_cast<int>(kSelFilePathMax), XtNstring,
        s.fieldBuffer.data(), XtNuseStringInPlace, True, XtNeditType, XawtextEdit, XtNresize, XawtextResizeHeight,
        XtNwrap, XawtextWrapWord, nullptr);
    XtOverrideTranslations(s.field, XtParseTranslationTable(kFieldTranslations));
    XtInsertEventHandler(s.field, KeyPressMask, False, FieldKey, nullptr, XtListHead);
    s.levelScroll = XtVaCreateManagedWidget("selFileHScroll", scrollbarWidgetClass, s.form, XtNorientation,
                                            XtorientHorizontal, XtNwidth, m.formWidth, XtNheight, 15, XtNfromVert,
                                            s.field, XtNvertDistance, 30, XtNborderColor, s.foreground, nullptr);
    XtAddCallback(s.levelScroll, XtNscrollProc, SelFile_LevelScroll, nullptr);
    XtAddCallback(s.levelScroll, XtNjumpProc, SelFile_LevelJump, nullptr);
    Widget previous = nullptr;
    for (int pane = 0; pane < kSelFilePanes; ++pane) {
        s.lists[static_cast<size_t>(pane)] = MakeListPane(pane, previous);
        previous = s.lists[static_cast<size_t>(pane)];
    }
    s.ok = XtVaCreateManagedWidget("selFileOK", commandWidgetClass, s.form, XtNlabel, ok, XtNfromVert, s.lists[0],
                                   XtNvertDistance, 30, XtNborderColor, s.foreground, nullptr);
    XtAddCallback(s.ok, XtNcallback, OkPressed, nullptr);
    s.cancel = XtVaCreateManagedWidget("selFileCancel", commandWidgetClass, s.form, XtNlabel, cancel, XtNfromHoriz,
                                       s.ok, XtNfromVert, s.lists[0], XtNhorizDistance, 30, XtNvertDistance, 30,
                                       XtNborderColor, s.foreground, nullptr);
    XtAddCallback(s.cancel, XtNcallback, CancelPressed, nullptr);
    XtSetKeyboardFocus(s.form, s.field);
    XtSetKeyboardFocus(s.shell, s.field);
    XtRealizeWidget(s.shell);
    // The window manager's close button cancels instead of ending the program.
    Atom deleteWindow = XInternAtom(s.display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(s.display, XtWindow(s.shell), &deleteWindow, 1);
    const Cursor xterm = XCreateFontCursor(s.display, XC_xterm);
    const Cursor arrow = XCreateFontCursor(s.display, XC_sb_right_arrow);
    const Cursor dot = XCreateFontCursor(s.display, XC_dot);
    XDefineCursor(s.display, XtWindow(s.form), xterm);
    XDefineCursor(s.display, XtWindow(s.field), xterm);
    for (Widget list : s.lists) {
        XDefineCursor(s.display, XtWindow(list), arrow);
    }
    XDefineCursor(s.display, XtWindow(s.ok), dot);
    XDefineCursor(s.display, XtWindow(s.cancel), dot);
    Velkor_SetWindowGroupHint(XtWindow(s.shell));
    SelFile_CreateGCs();
    s.created = true;
}

// The start directory: the remembered one, else the working directory; a
// directory that has vanished gives way to the home directory, then "/".
void ChooseStartDirectory()
{
    SelFileState& s = SelFile();
    if (!s.startDir.empty() && chdir(s.startDir.c_str()) != 0) {
        s.startDir.clear();
    }
    if (s.startDir.empty()) {
        char buffer[kSelFilePathMax + 1] = {};
        if (getcwd(buffer, kSelFilePathMax) != nullptr) {
            s.startDir = buffer;
        } else if (const std::string home = SelFile_HomeDirectory(); !home.empty() && chdir(home.c_str()) == 0) {
            s.startDir = home;
        } else if (chdir("/") == 0) {
            s.startDir = "/";
        } else {
            Fail("XsraSelFile: can't get current directory");
            return;
        }
    }
    if (s.startDir.empty() || s.startDir.back() != '/') {
        SelFile_AppendBounded(s.startDir, "/");
    }
    s.currentDir = s.startDir;
}

void ReturnToStartDirectory()
{
    SelFileState& s = SelFile();
    for (const std::string& dir : {s.startDir, SelFile_HomeDirectory(), std::string("/")}) {
        if (!dir.empty() && chdir(dir.c_str()) == 0) {
            s.currentDir = dir;
            if (dir != s.startDir) {
                s.startDir = dir.back() == '/' ? dir : dir + "/";
            }
            return;
        }
    }
    Fail("XsraSelFile: can't return to current directory");
}

void PopDown()
{
    SelFileState& s = SelFile();
    s.status = 1;
    XtRemoveGrab(s.shell);
    Window_SetNormalHints(s.shell);
    XtUnmapWidget(s.shell);
    Dialog_SetFileSelectorShown(0);
    SelFile_StopCheckTimer();
    SelFile_StopAutoScroll();
    s.buttonHeld = false;
    ReturnToStartDirectory();
}

void SetInitialPath(const char* initialPath)
{
    SelFileState& s = SelFile();
    if (initialPath == nullptr) {
        s.path = s.startDir;
        return;
    }
    s.path.clear();
    if (initialPath[0] != '/') {
        SelFile_AppendBounded(s.path, s.startDir);
    }
    SelFile_AppendBounded(s.path, std::string_view(initialPath, strnlen(initialPath, kSelFilePathMax)));
    const bool relative = s.path.compare(0, s.startDir.size(), s.startDir) == 0;
    SelFile_SetField(relative ? s.path.substr(s.startDir.size()) : s.path);
}

void ForgetLevelsForFilter()
{
    SelFileState& s = SelFile();
    for (size_t i = 1; i < s.levels.size(); ++i) {
        s.levels[i].dir.clear();
        s.levels[i].entries.clear();
        s.levels[i].beg = s.levels[i].end = -1;
    }
}

void HandleTextChange()
{
    SelFileState& s = SelFile();
    s.status = 1;
    if (s.haveDeletion) {
        s.haveDeletion = false;
        XawTextBlock empty{0, 0, nullptr, FMT8BIT};
        if (s.deleteEnd > s.deleteBegin) {
            XawTextReplace(s.field, s.deleteBegin, s.deleteEnd, &empty);
        }
    }
    SelFile_FieldChanged(static_cast<size_t>(std::max<long>(XawTextGetInsertionPoint(s.field), 0)));
}

}  // namespace

SelFileState& SelFile()
{
    static SelFileState state;
    return state;
}

Window SelFile_ShellWindow()
{
    const SelFileState& s = SelFile();
    return s.shell != nullptr && XtIsRealized(s.shell) ? XtWindow(s.shell) : 0;
}

void SelFile_Cancel()
{
    SelFile().status = -1;
}

int XsraSelFile(Display* display, const char* prompt, const char* okLabel, const char* cancelLabel,
                const char* initialPath, SelFileFilter filter, char** result)
{
    SelFileState& s = SelFile();
    prompt = prompt != nullptr ? prompt : "Pathname:";
    okLabel = okLabel != nullptr ? okLabel : "OK";
    cancelLabel = cancelLabel != nullptr ? cancelLabel : "Cancel";
    if (!s.created) {
        if (display == nullptr) {
            static char name[] = "xfoo";
            static char* argv[] = {name, nullptr};
            int argc = 1;
            Widget top = XtOpenApplication(&s.app, "XFoo", nullptr, 0, &argc, argv, nullptr,
                                           applicationShellWidgetClass, nullptr, 0);
            display = XtDisplay(top);
        }
        s.display = display;
        s.app = XtDisplayToApplicationContext(display);
        CreateWidgets(prompt, okLabel, cancelLabel);
        XtMapWidget(s.shell);
    } else {
        if (display != nullptr && display != s.display) {
            Fail("XsraSelFile: display different");
            return -1;
        }
        XtVaSetValues(s.prompt, XtNlabel, prompt, nullptr);
        XtVaSetValues(s.ok, XtNlabel, okLabel, nullptr);
        XtVaSetValues(s.cancel, XtNlabel, cancelLabel, nullptr);
        XtMapWidget(s.shell);
    }
    Dialog_SetFileSelectorShown(1);
    ChooseStartDirectory();
    SetInitialPath(initialPath);
    s.filter = filter;
    if (filter != nullptr && !s.levels.empty()) {
        ForgetLevelsForFilter();
    }
    s.status = 1;
    s.haveDeletion = false;
    SelFile_FieldChanged(SelFile_FieldText().size());
    XtAddGrab(s.shell, True, True);
    SelFile_StartCheckTimer();
    while (true) {
        Velkor_DispatchNextEvent(1);
        if (s.status == 0) {
            break;
        }
        if (s.status == -1) {
            PopDown();
            return -1;
        }
        if (s.status == 2) {
            HandleTextChange();
        }
    }
    PopDown();
    if (result != nullptr) {
        *result = strdup(s.path.c_str());
    }
    const size_t slash = s.path.rfind('/');
    if (slash != std::string::npos) {
        s.startDir = s.path.substr(0, slash + 1);
    }
    return 0;
}
