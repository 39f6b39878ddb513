// Drawing the file selector's panes: font and metrics, graphics contexts,
// headers, entries with their marks, the outlined run, the entry under the
// pointer, scroll bars, clicks and auto-scrolling.
#include <X11/IntrinsicP.h>
#include <X11/StringDefs.h>
#include <X11/Xaw/Scrollbar.h>
#include <X11/Xaw/Text.h>
#include <X11/Xresource.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "xkv/platform/sfselect/SFinternal.h"

namespace {

const SelFileMetrics& M()
{
    return SelFile().m;
}

SelFileLevel* PaneLevel(int pane)
{
    SelFileState& s = SelFile();
    const int li = s.dirOffset + pane;
    if (pane < 0 || pane >= kSelFilePanes || li >= s.nLevels || li >= static_cast<int>(s.levels.size())) {
        return nullptr;
    }
    return &s.levels[static_cast<size_t>(li)];
}

int RowTop(int row)
{
    return M().entryHeight + 10 + row * M().entryHeight;
}

void InvertRow(int pane, int row)
{
    SelFileState& s = SelFile();
    Widget list = s.lists[static_cast<size_t>(pane)];
    if (row < 0 || list == nullptr || !XtIsRealized(list)) {
        return;
    }
    XFillRectangle(s.display, XtWindow(list), s.invertGC, 3, RowTop(row), static_cast<unsigned>(M().entryWidth),
                   static_cast<unsigned>(M().entryHeight));
}

void SetThumb(Widget bar, int origin, int total, int shown)
{
    if (bar == nullptr) {
        return;
    }
    if (total <= 0) {
        XawScrollbarSetThumb(bar, 0.0f, 1.0f);
        return;
    }
    XawScrollbarSetThumb(bar, static_cast<float>(origin) / static_cast<float>(total),
                         static_cast<float>(std::min(shown, total)) / static_cast<float>(total));
}

// The row of the entry under the pointer, -1 when there is none.
int RowAt(const SelFileLevel& level, int x, int y)
{
    if (x < 0 || x >= M().boxWidth || y < RowTop(0) || y >= RowTop(kSelFileVisibleEntries)) {
        return -1;
    }
    const int row = (y - RowTop(0)) / M().entryHeight;
    return level.vOrigin + row < static_cast<int>(level.entries.size()) ? row : -1;
}

void MoveInversion(int pane, int row)
{
    SelFileState& s = SelFile();
    int& inverted = s.inverted[static_cast<size_t>(pane)];
    if (inverted == row) {
        return;
    }
    InvertRow(pane, inverted);
    inverted = row;
    InvertRow(pane, inverted);
}

void ScrollVertically(int pane, int origin)
{
    SelFile_ScrollPane(pane, origin);
}

void AutoScrollTick(XtPointer, XtIntervalId*);

void ArmAutoScroll(int pane, int direction, int distance)
{
    SelFileState& s = SelFile();
    const unsigned long interval = static_cast<unsigned long>(std::clamp(200 - 4 * (distance - 50), 1, 200));
    s.scrollPane = pane;
    s.scrollDirection = direction;
    s.autoScrolling = true;
    s.scrollTimer = XtAppAddTimeOut(s.app, interval, AutoScrollTick, nullptr);
}

void AutoScrollTick(XtPointer, XtIntervalId*)
{
    SelFileState& s = SelFile();
    s.scrollTimer = 0;
    s.autoScrolling = false;
    SelFileLevel* level = PaneLevel(s.scrollPane);
    if (!s.buttonHeld || level == nullptr) {
        return;
    }
    ScrollVertically(s.scrollPane, level->vOrigin + s.scrollDirection);
    Window root = 0;
    Window child = 0;
    int rx = 0;
    int ry = 0;
    int x = 0;
    int y = 0;
    unsigned mask = 0;
    XQueryPointer(s.display, XtWindow(s.lists[static_cast<size_t>(s.scrollPane)]), &root, &child, &rx, &ry, &x, &y,
                  &mask);
    const int top = RowTop(0);
    const int bottom = RowTop(kSelFileVisibleEntries);
    if (y < top) {
        ArmAutoScroll(s.scrollPane, -1, top - y);
    } else if (y >= bottom) {
        ArmAutoScroll(s.scrollPane, 1, y - bottom + 1);
    }
}

void PointerAt(int pane, int x, int y)
{
    SelFileState& s = SelFile();
    SelFileLevel* level = PaneLevel(pane);
    if (level == nullptr) {
        MoveInversion(pane, -1);
        return;
    }
    MoveInversion(pane, RowAt(*level, x, y));
    if (!s.buttonHeld) {
        return;
    }
    const int top = RowTop(0);
    const int bottom = RowTop(kSelFileVisibleEntries);
    if ((y < top || y >= bottom) && !s.autoScrolling) {
        ArmAutoScroll(pane, y < top ? -1 : 1, y < top ? top - y : y - bottom + 1);
    } else if (y >= top && y < bottom) {
        SelFile_StopAutoScroll();
    }
}

void Released(int pane, int x, int y)
{
    SelFileState& s = SelFile();
    s.buttonHeld = false;
    SelFile_StopAutoScroll();
    SelFileLevel* level = PaneLevel(pane);
    if (level == nullptr) {
        return;
    }
    const int row = RowAt(*level, x, y);
    if (row < 0) {
        return;
    }
    const SelFileEntry entry = level->entries[static_cast<size_t>(level->vOrigin + row)];
    if (pane < 2) {
        s.keepPanes = true;
    }
    s.keepScroll = true;
    s.inverted[static_cast<size_t>(pane)] = -1;
    SelFile_ReplaceText(s.dirOffset + pane, entry.shown);
}

int PaneOf(XtPointer pane)
{
    return static_cast<int>(reinterpret_cast<intptr_t>(pane));
}

int StepOf(XtPointer call)
{
    const auto pixels = static_cast<int>(reinterpret_cast<intptr_t>(call));
    return pixels > 0 ? 1 : pixels < 0 ? -1 : 0;
}

}  // namespace

void SelFile_InitFont()
{
    SelFileState& s = SelFile();
    String appName = nullptr;
    String appClass = nullptr;
    XtGetApplicationNameAndClass(s.display, &appName, &appClass);
    std::string fontName = "9x15";
    if (XrmDatabase database = XtDatabase(s.display); database != nullptr && appName != nullptr) {
        const std::string name = std::string(appName) + ".font";
        const std::string cls = std::string(appClass != nullptr ? appClass : "") + ".Font";
        char* type = nullptr;
        XrmValue value{};
        if (XrmGetResource(database, name.c_str(), cls.c_str(), &type, &value) && value.addr != nullptr) {
            fontName.assign(value.addr, strnlen(value.addr, value.size));
        }
    }
    for (const std::string& name : {fontName, std::string("9x15"), std::string("fixed")}) {
        s.font = XLoadQueryFont(s.display, name.c_str());
        if (s.font != nullptr) {
            break;
        }
    }
    if (s.font == nullptr) {
        String params[] = {const_cast<char*>("9x15"), const_cast<char*>("fixed")};
        Cardinal count = 2;
        XtAppErrorMsg(s.app, "badFont", "XsraSelFile", "XsraSelFile", "XsraSelFile: can't get font %s or %s", params,
                      &count);
        return;
    }
    SelFileMetrics& m = s.m;
    m.charWidth = (s.font->min_bounds.width + s.font->max_bounds.width) / 2;
    m.ascent = s.font->max_bounds.ascent;
    m.lineHeight = m.ascent + s.font->max_bounds.descent;
    m.entryWidth = kSelFileEntryChars * m.charWidth + 6;
    m.entryHeight = m.lineHeight + 4;
    m.boxWidth = m.entryWidth + 6;
    m.headerHeight = m.entryHeight + 6;
    m.paneWidth = m.boxWidth + 16;
    m.paneHeight = 11 * m.entryHeight + 29;
    m.formWidth = 3 * m.paneWidth + 2 * 10 + 4;
}

void SelFile_CreateGCs()
{
    SelFileState& s = SelFile();
    const Window window = XtWindow(s.lists[0]);
    XGCValues values{};
    values.foreground = s.foreground;
    s.lineGC = XtGetGC(s.lists[0], GCForeground, &values);
    values.graphics_exposures = True;
    s.copyGC = XCreateGC(s.display, window, GCGraphicsExposures, &values);
    values.function = GXinvert;
    values.plane_mask = s.foreground ^ s.background;
    s.invertGC = XCreateGC(s.display, window, GCFunction | GCPlaneMask, &values);
    values.foreground = s.foreground;
    values.background = s.background;
    values.font = s.font->fid;
    s.textGC = XCreateGC(s.display, window, GCForeground | GCBackground | GCFont, &values);
    XRectangle clip{6, 0, static_cast<unsigned short>(kSelFileEntryChars * s.m.charWidth),
                    static_cast<unsigned short>(11 * s.m.entryHeight + 10)};
    XSetClipRectangles(s.display, s.textGC, 0, 0, &clip, 1, Unsorted);
}

namespace {

// Examines every visible entry of the pane that has not been examined yet;
// false when the filter removed one, so that the rows below it moved.
bool ExamineVisible(int pane)
{
    SelFileState& s = SelFile();
    SelFileLevel* level = PaneLevel(pane);
    bool kept = true;
    for (int index = level->vOrigin;
         index < level->vOrigin + kSelFileVisibleEntries && index < static_cast<int>(level->entries.size());) {
        if (!level->entries[static_cast<size_t>(index)].statDone && !SelFile_StatEntry(s.dirOffset + pane, index)) {
            kept = false;
            continue;
        }
        ++index;
    }
    return kept;
}

// Draws entry rows first to last (inclusive) of the pane with the parts of the
// outline that fall on them; the rows must be clear and their entries examined.
void DrawRows(int pane, int first, int last)
{
    SelFileState& s = SelFile();
    const Window window = XtWindow(s.lists[static_cast<size_t>(pane)]);
    const SelFileMetrics& m = s.m;
    const SelFileLevel& level = *PaneLevel(pane);
    const int x = 6 - level.hOrigin * m.charWidth;
    const int count = static_cast<int>(level.entries.size());
    for (int row = first; row <= last; ++row) {
        const int index = level.vOrigin + row;
        if (index >= count) {
            break;
        }
        const std::string& shown = level.entries[static_cast<size_t>(index)].shown;
        XDrawImageString(s.display, window, s.textGC, x, m.ascent + m.entryHeight + 12 + row * m.entryHeight,
                         shown.c_str(), static_cast<int>(std::min<size_t>(shown.size(), 4096)));
    }
    if (level.beg < 0) {
        return;
    }
    const int left = 3;
    const int right = 3 + m.entryWidth - 1;
    for (int row = first; row <= last; ++row) {
        const int e = level.vOrigin + row;
        if (e < level.beg || e > std::max(level.beg, level.end)) {
            continue;
        }
        const int top = RowTop(row);
        if (e == level.beg) {
            XDrawLine(s.display, window, s.lineGC, left, top, right, top);
        }
        if (e <= level.end) {
            XDrawLine(s.display, window, s.lineGC, left, top, left, top + m.entryHeight - 1);
            XDrawLine(s.display, window, s.lineGC, right, top, right, top + m.entryHeight - 1);
        }
        if (e == level.end) {
            XDrawLine(s.display, window, s.lineGC, left, top + m.entryHeight - 1, right, top + m.entryHeight - 1);
        }
    }
}

void SetPaneThumbs(int pane, const SelFileLevel& level)
{
    SelFileState& s = SelFile();
    SetThumb(s.vScrolls[static_cast<size_t>(pane)], level.vOrigin, static_cast<int>(level.entries.size()),
             kSelFileVisibleEntries);
    SetThumb(s.hScrolls[static_cast<size_t>(pane)], level.hOrigin, level.nChars, kSelFileEntryChars);
}

}  // namespace

void SelFile_DrawPane(int pane)
{
    SelFileState& s = SelFile();
    Widget list = s.lists[static_cast<size_t>(pane)];
    if (list == nullptr || !XtIsRealized(list) || s.textGC == nullptr) {
        return;
    }
    const Window window = XtWindow(list);
    const SelFileMetrics& m = s.m;
    XClearWindow(s.display, window);
    s.inverted[static_cast<size_t>(pane)] = -1;
    XDrawLine(s.display, window, s.lineGC, 0, m.headerHeight, m.boxWidth, m.headerHeight);
    XDrawLine(s.display, window, s.lineGC, m.boxWidth, 0, m.boxWidth, m.paneHeight);
    SelFileLevel* level = PaneLevel(pane);
    if (level == nullptr) {
        SetThumb(s.vScrolls[static_cast<size_t>(pane)], 0, 0, 0);
        SetThumb(s.hScrolls[static_cast<size_t>(pane)], 0, 0, 0);
        return;
    }
    level->changed = false;
    const int x = 6 - level->hOrigin * m.charWidth;
    XDrawImageString(s.display, window, s.textGC, x, m.ascent + 5, level->dir.c_str(),
                     static_cast<int>(std::min<size_t>(level->dir.size(), 4096)));
    ExamineVisible(pane);
    DrawRows(pane, 0, kSelFileVisibleEntries - 1);
    SetPaneThumbs(pane, *level);
}

// Moves the pane's first visible entry. A move by fewer than a page copies the
// rows that stay visible to their new place and draws only the uncovered strip;
// parts of the copy whose source was hidden come back as GraphicsExpose events,
// which redraw the pane.
void SelFile_ScrollPane(int pane, int origin)
{
    SelFileState& s = SelFile();
    SelFileLevel* level = PaneLevel(pane);
    if (level == nullptr) {
        return;
    }
    const int n = static_cast<int>(level->entries.size());
    const int old = level->vOrigin;
    level->vOrigin = std::clamp(origin, 0, std::max(0, n - kSelFileVisibleEntries));
    const int delta = level->vOrigin - old;
    Widget list = s.lists[static_cast<size_t>(pane)];
    if (list == nullptr || !XtIsRealized(list) || s.textGC == nullptr) {
        return;
    }
    if (delta == 0) {
        SetPaneThumbs(pane, *level);
        return;
    }
    const int shift = std::abs(delta);
    if (shift >= kSelFileVisibleEntries || !ExamineVisible(pane)) {
        SelFile_DrawPane(pane);
        return;
    }
    // The inverted entry would travel with the copy; put it back first.
    MoveInversion(pane, -1);
    const Window window = XtWindow(list);
    const SelFileMetrics& m = s.m;
    const int kept = kSelFileVisibleEntries - shift;
    const int from = delta > 0 ? RowTop(shift) : RowTop(0);
    const int to = delta > 0 ? RowTop(0) : RowTop(shift);
    XCopyArea(s.display, window, window, s.copyGC, 0, from, static_cast<unsigned>(m.boxWidth),
              static_cast<unsigned>(kept * m.entryHeight), 0, to);
    const int first = delta > 0 ? kept : 0;
    const int last = delta > 0 ? kSelFileVisibleEntries - 1 : shift - 1;
    XClearArea(s.display, window, 0, RowTop(first), static_cast<unsigned>(m.boxWidth),
               static_cast<unsigned>((last - first + 1) * m.entryHeight), False);
    DrawRows(pane, first, last);
    SetPaneThumbs(pane, *level);
}

void SelFile_DrawAllPanes()
{
    for (int pane = 0; pane < kSelFilePanes; ++pane) {
        SelFile_DrawPane(pane);
    }
}

void SelFile_SetLevelThumb()
{
    SelFileState& s = SelFile();
    SetThumb(s.levelScroll, s.dirOffset, s.nLevels, kSelFilePanes);
}

void SelFile_PaneEvent(Widget, XtPointer paneTag, XEvent* event, Boolean*)
{
    SelFileState& s = SelFile();
    const int pane = PaneOf(paneTag);
    switch (event->type) {
    case Expose:
        if (event->xexpose.count == 0) {
            SelFile_DrawPane(pane);
        }
        break;
    case GraphicsExpose:
        // A scrolling copy met a hidden part of its source: the pane is
        // redrawn from its present state, which also covers later copies
        // that moved the stale part further.
        if (event->xgraphicsexpose.count == 0) {
            SelFile_DrawPane(pane);
        }
        break;
    case NoExpose:
        break;
    case EnterNotify:
    case MotionNotify:
        PointerAt(pane, event->type == EnterNotify ? event->xcrossing.x : event->xmotion.x,
                  event->type == EnterNotify ? event->xcrossing.y : event->xmotion.y);
        break;
    case LeaveNotify:
        MoveInversion(pane, -1);
        break;
    case ButtonPress:
        s.buttonHeld = true;
        break;
    case ButtonRelease:
        Released(pane, event->xbutton.x, event->xbutton.y);
        break;
    default:
        break;
    }
}

void SelFile_StopAutoScroll()
{
    SelFileState& s = SelFile();
    if (s.scrollTimer != 0) {
        XtRemoveTimeOut(s.scrollTimer);
        s.scrollTimer = 0;
    }
    s.autoScrolling = false;
}

void SelFile_PaneVScroll(Widget, XtPointer paneTag, XtPointer call)
{
    const int pane = PaneOf(paneTag);
    SelFileLevel* level = PaneLevel(pane);
    if (level == nullptr) {
        return;
    }
    const auto pixels = static_cast<double>(reinterpret_cast<intptr_t>(call));
    const int step = static_cast<int>(pixels / (10 * M().entryHeight + 6) * static_cast<double>(level->entries.size()));
    ScrollVertically(pane, level->vOrigin + step);
}

void SelFile_PaneVJump(Widget, XtPointer paneTag, XtPointer call)
{
    const int pane = PaneOf(paneTag);
    SelFileLevel* level = PaneLevel(pane);
    if (level == nullptr || call == nullptr) {
        return;
    }
    ScrollVertically(pane, static_cast<int>(static_cast<float>(level->entries.size()) * *static_cast<float*>(call)));
}

void SelFile_PaneHScroll(Widget, XtPointer paneTag, XtPointer call)
{
    const int pane = PaneOf(paneTag);
    SelFileLevel* level = PaneLevel(pane);
    if (level == nullptr) {
        return;
    }
    level->hOrigin = std::clamp(level->hOrigin + StepOf(call), 0, std::max(0, level->nChars - kSelFileEntryChars));
    SelFile_DrawPane(pane);
}

void SelFile_PaneHJump(Widget, XtPointer paneTag, XtPointer call)
{
    const int pane = PaneOf(paneTag);
    SelFileLevel* level = PaneLevel(pane);
    if (level == nullptr || call == nullptr) {
        return;
    }
    level->hOrigin = std::clamp(static_cast<int>(static_cast<float>(level->nChars) * *static_cast<float*>(call)), 0,
                                std::max(0, level->nChars - kSelFileEntryChars));
    SelFile_DrawPane(pane);
}

namespace {

void LevelMoved(int offset)
{
    SelFileState& s = SelFile();
    s.dirOffset = std::clamp(offset, 0, std::max(0, s.nLevels - kSelFilePanes));
    SelFile_SetLevelThumb();
    SelFile_DrawAllPanes();
    const int last = std::min(s.dirOffset + kSelFilePanes - 1, s.nLevels - 1);
    if (last >= 0 && s.field != nullptr) {
        const size_t position = SelFile_FieldDisplayOffset(s.levels[static_cast<size_t>(last)].path);
        XawTextSetInsertionPoint(s.field, static_cast<XawTextPosition>(std::min(position, SelFile_FieldText().size())));
    }
}

}  // namespace

void SelFile_LevelScroll(Widget, XtPointer, XtPointer call)
{
    LevelMoved(SelFile().dirOffset + StepOf(call));
}

void SelFile_LevelJump(Widget, XtPointer, XtPointer call)
{
    if (call != nullptr) {
        LevelMoved(static_cast<int>(static_cast<float>(SelFile().nLevels) * *static_cast<float*>(call)));
    }
}
