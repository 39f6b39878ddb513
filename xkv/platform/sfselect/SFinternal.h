// State shared by the file selector's modules: widgets, metrics, the path
// buffer, the levels of the path with their directory entries, and flags.
#pragma once

#include <X11/Intrinsic.h>

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "xkv/platform/sfselect/SelFile.h"

inline constexpr size_t kSelFilePathMax = 4095;
inline constexpr int kSelFileEntryChars = 15;
inline constexpr int kSelFileVisibleEntries = 10;
inline constexpr int kSelFilePanes = 3;

struct SelFileEntry {
    bool statDone = false;
    std::string real;   // the name followed by one mark character
    std::string shown;  // what is drawn: real, or the filter's text and the mark
    std::string ShownName() const { return shown.empty() ? shown : shown.substr(0, shown.size() - 1); }
};

struct SelFileLevel {
    std::string dir;  // the component with its "/" as shown in the header; empty: not read
    size_t path = 0;  // position in the path just behind this level's component
    std::vector<SelFileEntry> entries;
    int vOrigin = 0;
    int nChars = 0;
    int hOrigin = 0;
    bool changed = false;
    int beg = -1;
    int end = -1;
    time_t mtime = 0;
};

struct SelFileMetrics {
    int charWidth = 0;
    int ascent = 0;
    int lineHeight = 0;
    int entryWidth = 0;   // EW
    int entryHeight = 0;  // E
    int boxWidth = 0;     // B
    int headerHeight = 0; // T
    int paneWidth = 0;    // L
    int paneHeight = 0;   // H
    int formWidth = 0;    // W
};

struct SelFileState {
    bool created = false;
    Display* display = nullptr;
    XtAppContext app = nullptr;
    Widget shell = nullptr;
    Widget form = nullptr;
    Widget prompt = nullptr;
    Widget field = nullptr;
    Widget levelScroll = nullptr;
    std::array<Widget, kSelFilePanes> lists{};
    std::array<Widget, kSelFilePanes> vScrolls{};
    std::array<Widget, kSelFilePanes> hScrolls{};
    Widget ok = nullptr;
    Widget cancel = nullptr;
    Pixel foreground = 0;
    Pixel background = 0;

    XFontStruct* font = nullptr;
    GC lineGC = nullptr;
    GC invertGC = nullptr;
    GC textGC = nullptr;
    GC copyGC = nullptr;  // scrolling copies; reports hidden source parts
    SelFileMetrics m;

    std::string path;
    std::array<char, kSelFilePathMax + 1> fieldBuffer{};
    std::string startDir;
    std::string currentDir;

    std::vector<SelFileLevel> levels;
    SelFileLevel rootCopy;
    SelFileLevel homeLevel;
    bool homeBuilt = false;
    std::string homeDir;
    int nLevels = 0;
    int dirOffset = 0;
    bool firstRead = true;

    int status = 1;
    SelFileFilter filter = nullptr;
    std::array<int, kSelFilePanes> inverted{-1, -1, -1};

    bool homeMode = false;
    bool buttonHeld = false;
    bool autoScrolling = false;
    bool keepPanes = false;
    bool keepScroll = false;
    bool homeEntered = false;

    Time lastKeyTime = 0;
    bool haveDeletion = false;
    long deleteBegin = 0;
    long deleteEnd = 0;

    XtIntervalId checkTimer = 0;
    XtIntervalId scrollTimer = 0;
    int scrollPane = 0;
    int scrollDirection = 0;
    XtWorkProcId statProc = 0;
    int paneCounter = 0;
    int fileCheckCounter = 0;
};

SelFileState& SelFile();

// SFpath
bool SelFile_ChangeDir(const std::string& dir);
std::string SelFile_HomeDirectory();
void SelFile_AppendBounded(std::string& path, std::string_view text);
void SelFile_FieldChanged(size_t textPosition);
void SelFile_UpdatePath(size_t textPosition);
bool SelFile_MatchName(int levelIndex, const std::string& name, bool mayComplete);
void SelFile_Complete(int levelIndex, const std::string& typed);
void SelFile_ReplaceText(int levelIndex, const std::string& text);
void SelFile_SetField(const std::string& text);
std::string SelFile_FieldText();
size_t SelFile_FieldDisplayOffset(size_t pathPosition);
void SelFile_StartCheckTimer();
void SelFile_StopCheckTimer();
void SelFile_InstallStatProc();

// SFdir
bool SelFile_ReadDir(SelFileLevel& level, bool isRoot);
// Examines one entry; false when the filter removed it.
bool SelFile_StatEntry(int levelIndex, int entryIndex);
char SelFile_MarkOf(const struct stat& status);

// SFdraw
void SelFile_InitFont();
void SelFile_CreateGCs();
void SelFile_DrawPane(int pane);
void SelFile_DrawAllPanes();
// Sets the pane's first visible entry, clamped to 0 ... entries - 10, and
// scrolls the pane's window to match.
void SelFile_ScrollPane(int pane, int origin);
void SelFile_SetLevelThumb();
void SelFile_PaneEvent(Widget w, XtPointer pane, XEvent* event, Boolean* more);
void SelFile_PaneVScroll(Widget w, XtPointer pane, XtPointer call);
void SelFile_PaneVJump(Widget w, XtPointer pane, XtPointer call);
void SelFile_PaneHScroll(Widget w, XtPointer pane, XtPointer call);
void SelFile_PaneHJump(Widget w, XtPointer pane, XtPointer call);
void SelFile_LevelScroll(Widget w, XtPointer, XtPointer call);
void SelFile_LevelJump(Widget w, XtPointer, XtPointer call);
void SelFile_StopAutoScroll();
