// The path of the file selector: parsing the field into levels, the home
// directory, matching and completing the typed name, replacing the last
// component, and the periodic check that re-reads changed directories.
#include <X11/StringDefs.h>
#include <X11/Xaw/Scrollbar.h>
#include <X11/Xaw/Text.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "xkv/platform/sfselect/SFinternal.h"

namespace {

constexpr unsigned long kCheckInterval = 1000;

bool IsDirectory(const std::string& path)
{
    struct stat status {};
    return !path.empty() && stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return !prefix.empty() && text.compare(0, prefix.size(), prefix) == 0;
}

void BuildHomeLevel()
{
    SelFileState& s = SelFile();
    if (s.homeBuilt) {
        return;
    }
    s.homeBuilt = true;
    s.homeLevel = SelFileLevel{};
    s.homeLevel.dir = "~";
    s.homeLevel.changed = true;
    if (IsDirectory(SelFile_HomeDirectory())) {
        SelFileEntry entry;
        entry.statDone = true;
        entry.real = "~/";
        entry.shown = entry.real;
        s.homeLevel.entries.push_back(entry);
    }
    s.homeLevel.nChars = 3;
}

void FreeLevel(SelFileLevel& level)
{
    level.entries.clear();
    level.dir.clear();
    level.beg = level.end = -1;
}

// Outlines the run of entries that begin with the name and scrolls to it.
void OutlineMatches(SelFileLevel& level, const std::string& typed)
{
    SelFileState& s = SelFile();
    const bool endsInSlash = !typed.empty() && typed.back() == '/';
    const std::string name = endsInSlash ? typed.substr(0, typed.size() - 1) : typed;
    const int n = static_cast<int>(level.entries.size());
    int i = 0;
    while (i < n && level.entries[static_cast<size_t>(i)].ShownName().compare(0, name.size(), name) < 0) {
        ++i;
    }
    auto matches = [&](int k) { return k < n && level.entries[static_cast<size_t>(k)].ShownName().compare(0, name.size(), name) == 0; };
    if (matches(i)) {
        level.beg = i;
        level.end = i;
        while (!endsInSlash && matches(level.end + 1)) {
            ++level.end;
        }
    } else {
        level.beg = level.end = -1;
    }
    if (s.keepScroll) {
        s.keepScroll = false;
    } else if (level.beg >= 0 && !(level.beg > level.vOrigin && level.end < level.vOrigin + kSelFileVisibleEntries)) {
        level.vOrigin = std::clamp(level.beg - 1, 0, std::max(0, n - kSelFileVisibleEntries));
    }
    level.changed = true;
}

std::string LongestCommonPrefix(const SelFileLevel& level)
{
    std::string prefix = level.entries[static_cast<size_t>(level.beg)].ShownName();
    for (int k = level.beg + 1; k <= level.end; ++k) {
        const std::string other = level.entries[static_cast<size_t>(k)].ShownName();
        size_t n = 0;
        while (n < prefix.size() && n < other.size() && prefix[n] == other[n]) {
            ++n;
        }
        prefix.resize(n);
    }
    return prefix;
}

void CheckTick(XtPointer, XtIntervalId*);

void CheckLevel(int pane, bool fileCheck)
{
    SelFileState& s = SelFile();
    const int li = s.dirOffset + pane;
    if (li >= s.nLevels) {
        return;
    }
    SelFileLevel& level = s.levels[static_cast<size_t>(li)];
    if (!SelFile_ChangeDir(s.path.substr(0, std::min(level.path, s.path.size())))) {
        level.dir.clear();
        return;
    }
    struct stat status {};
    if (stat(".", &status) != 0) {
        return;
    }
    if (status.st_mtime != level.mtime) {
        const bool wasFirstRead = s.firstRead;
        s.firstRead = false;
        SelFile_ReadDir(level, li == 0 && !s.homeMode);
        s.firstRead = wasFirstRead;
        const int n = static_cast<int>(level.entries.size());
        level.vOrigin = std::clamp(level.vOrigin, 0, std::max(0, n - kSelFileVisibleEntries));
        level.hOrigin = std::clamp(level.hOrigin, 0, std::max(0, level.nChars - kSelFileEntryChars));
        level.beg = level.end = -1;
        const std::string name = li + 1 < s.nLevels ? s.levels[static_cast<size_t>(li + 1)].dir
                                                   : s.path.substr(std::min(level.path, s.path.size()));
        if (!name.empty()) {
            SelFile_MatchName(li, name, false);
        }
        SelFile_DrawPane(pane);
        return;
    }
    if (!fileCheck) {
        return;
    }
    bool changed = false;
    const int last = std::min<int>(level.vOrigin + kSelFileVisibleEntries, static_cast<int>(level.entries.size()));
    for (int e = level.vOrigin; e < last; ++e) {
        const std::string before = level.entries[static_cast<size_t>(e)].real;
        level.entries[static_cast<size_t>(e)].statDone = false;
        if (!SelFile_StatEntry(li, e)) {
            changed = true;
            break;
        }
        changed = changed || level.entries[static_cast<size_t>(e)].real != before;
    }
    if (changed) {
        SelFile_DrawPane(pane);
    }
}

void CheckTick(XtPointer, XtIntervalId*)
{
    SelFileState& s = SelFile();
    s.checkTimer = XtAppAddTimeOut(s.app, kCheckInterval, CheckTick, nullptr);
    if (s.homeMode || s.dirOffset >= s.nLevels) {
        return;
    }
    const int shown = std::min(kSelFilePanes, s.nLevels - s.dirOffset);
    if (++s.paneCounter >= shown) {
        s.paneCounter = 0;
        if (++s.fileCheckCounter >= shown) {
            s.fileCheckCounter = 0;
        }
    }
    CheckLevel(s.paneCounter, s.paneCounter == s.fileCheckCounter);
}

// Examines the last entry not yet examined, from the last level backwards.
Boolean StatWork(XtPointer)
{
    SelFileState& s = SelFile();
    for (int li = s.nLevels - 1; li >= 0; --li) {
        auto& entries = s.levels[static_cast<size_t>(li)].entries;
        for (int e = static_cast<int>(entries.size()) - 1; e >= 0; --e) {
            if (!entries[static_cast<size_t>(e)].statDone) {
                SelFile_StatEntry(li, e);
                return False;
            }
        }
    }
    s.statProc = 0;
    return True;
}

}  // namespace

bool SelFile_ChangeDir(const std::string& dir)
{
    SelFileState& s = SelFile();
    if (dir.empty()) {
        return false;
    }
    if (dir == s.currentDir) {
        return true;
    }
    if (chdir(dir.c_str()) != 0) {
        return false;
    }
    s.currentDir = dir;
    return true;
}

std::string SelFile_HomeDirectory()
{
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    const char* home = std::getenv("HOME");
    return home != nullptr ? home : "";
}

void SelFile_AppendBounded(std::string& path, std::string_view text)
{
    const size_t room = path.size() < kSelFilePathMax ? kSelFilePathMax - path.size() : 0;
    path.append(text.substr(0, std::min(room, text.size())));
}

std::string SelFile_FieldText()
{
    SelFileState& s = SelFile();
    String text = nullptr;
    if (s.field != nullptr) {
        XtVaGetValues(s.field, XtNstring, &text, nullptr);
    }
    return text != nullptr ? std::string(text, strnlen(text, kSelFilePathMax)) : std::string();
}

void SelFile_SetField(const std::string& text)
{
    SelFileState& s = SelFile();
    const size_t n = std::min(text.size(), kSelFilePathMax);
    std::memcpy(s.fieldBuffer.data(), text.data(), n);
    s.fieldBuffer[n] = '\0';
    if (s.field != nullptr) {
        XtVaSetValues(s.field, XtNstring, s.fieldBuffer.data(), nullptr);
        XawTextSetInsertionPoint(s.field, static_cast<XawTextPosition>(n));
    }
}

// Where a path position lies in the field, which omits the start directory.
size_t SelFile_FieldDisplayOffset(size_t pathPosition)
{
    SelFileState& s = SelFile();
    if (StartsWith(s.path, s.startDir) && pathPosition >= s.startDir.size()) {
        return pathPosition - s.startDir.size();
    }
    return StartsWith(s.path, s.startDir) ? 0 : pathPosition;
}

void SelFile_FieldChanged(size_t textPosition)
{
    SelFileState& s = SelFile();
    const std::string text = SelFile_FieldText();
    if (!text.empty() && (text[0] == '/' || text[0] == '~')) {
        s.path.clear();
        SelFile_AppendBounded(s.path, text);
    } else {
        s.path.clear();
        SelFile_AppendBounded(s.path, s.startDir);
        SelFile_AppendBounded(s.path, text);
        textPosition += s.startDir.size();
    }
    SelFile_InstallStatProc();
    SelFile_UpdatePath(textPosition);
}

void SelFile_InstallStatProc()
{
    SelFileState& s = SelFile();
    if (s.statProc == 0 && s.app != nullptr) {
        s.statProc = XtAppAddWorkProc(s.app, StatWork, nullptr);
    }
}

void SelFile_UpdatePath(size_t textPosition)
{
    SelFileState& s = SelFile();
    if (s.levels.empty()) {
        s.levels.resize(40);
        SelFileLevel& root = s.levels[0];
        root.dir = "/";
        root.path = 1;
        root.changed = true;
        SelFile_ChangeDir("/");
        SelFile_ReadDir(root, true);
        s.rootCopy = root;
    }
    const int oldLevels = s.nLevels;
    const int oldOffset = s.dirOffset;
    s.nLevels = 1;
    s.dirOffset = 0;
    size_t pos = 0;
    if (!s.path.empty() && s.path[0] == '~') {
        if (!s.homeMode) {
            s.rootCopy = s.levels[0];
        }
        BuildHomeLevel();
        s.homeMode = true;
        s.levels[0] = s.homeLevel;
        s.levels[0].path = 0;
    } else {
        if (s.homeMode) {
            s.levels[0] = s.rootCopy;
        }
        s.homeMode = false;
        pos = 1;
    }
    bool allKept = true;
    int complete = 0;
    while (true) {
        while (pos < s.path.size() && s.path[pos] == '/') {
            ++pos;
        }
        if (pos >= s.path.size()) {
            break;
        }
        const size_t slash = s.path.find('/', pos);
        const bool hasSlash = slash != std::string::npos;
        const size_t componentEnd = hasSlash ? slash + 1 : s.path.size();
        const std::string component = s.path.substr(pos, componentEnd - pos);
        if (hasSlash && componentEnd <= textPosition) {
            s.dirOffset = std::max(0, complete - 1);
        }
        if (!hasSlash) {
            if (SelFile_MatchName(s.nLevels - 1, component, true)) {
                return;
            }
            break;
        }
        if (s.homeMode && component == "~/") {
            const std::string rest = s.path.substr(componentEnd);
            s.path.clear();
            SelFile_AppendBounded(s.path, SelFile_HomeDirectory());
            SelFile_AppendBounded(s.path, "/");
            SelFile_AppendBounded(s.path, rest);
            s.homeEntered = true;
            SelFile_SetField(s.path);
            SelFile_UpdatePath(s.path.size());
            return;
        }
        const int li = s.nLevels;
        if (li >= static_cast<int>(s.levels.size())) {
            s.levels.resize(s.levels.size() * 2);
        }
        SelFileLevel& level = s.levels[static_cast<size_t>(li)];
        const bool kept = allKept && li < oldLevels && level.dir == component && level.path == componentEnd;
        if (!kept) {
            allKept = false;
            FreeLevel(level);
            level.dir = component;
            level.path = componentEnd;
            level.vOrigin = level.hOrigin = 0;
            level.changed = true;
            const bool read = SelFile_ChangeDir(s.path.substr(0, componentEnd)) && SelFile_ReadDir(level, false);
            SelFile_MatchName(li - 1, component, false);
            if (!read) {
                level.entries.clear();
                SelFileEntry entry;
                entry.statDone = true;
                entry.real = "<cannot open> ";
                entry.shown = entry.real;
                level.entries.push_back(entry);
                level.nChars = static_cast<int>(entry.real.size());
                s.nLevels = li + 1;
                break;
            }
        }
        s.nLevels = li + 1;
        ++complete;
        pos = componentEnd;
    }
    for (int li = s.nLevels; li < oldLevels && li < static_cast<int>(s.levels.size()); ++li) {
        FreeLevel(s.levels[static_cast<size_t>(li)]);
    }
    if (s.keepPanes) {
        s.dirOffset = oldOffset;
        s.keepPanes = false;
    }
    if (s.homeMode) {
        s.dirOffset = std::max(0, s.nLevels - 2);
    }
    s.dirOffset = std::clamp(s.dirOffset, 0, std::max(0, s.nLevels - 1));
    s.firstRead = false;
    if (s.dirOffset != oldOffset || s.nLevels != oldLevels) {
        SelFile_SetLevelThumb();
    }
    if (s.dirOffset != oldOffset) {
        SelFile_DrawAllPanes();
        return;
    }
    for (int pane = 0; pane < kSelFilePanes; ++pane) {
        const int li = s.dirOffset + pane;
        if (li < s.nLevels && s.levels[static_cast<size_t>(li)].changed) {
            SelFile_DrawPane(pane);
        }
    }
}

bool SelFile_MatchName(int levelIndex, const std::string& name, bool mayComplete)
{
    SelFileState& s = SelFile();
    if (levelIndex < 0 || levelIndex >= s.nLevels) {
        return false;
    }
    if (mayComplete && !name.empty() && (name.back() == ' ' || name.back() == '\t')) {
        SelFile_Complete(levelIndex, name.substr(0, name.size() - 1));
        return true;
    }
    OutlineMatches(s.levels[static_cast<size_t>(levelIndex)], name);
    return false;
}

void SelFile_Complete(int levelIndex, const std::string& typed)
{
    SelFileState& s = SelFile();
    SelFileLevel& level = s.levels[static_cast<size_t>(levelIndex)];
    OutlineMatches(level, typed);
    std::string name;
    if (level.beg >= 0 && level.end > level.beg) {
        name = LongestCommonPrefix(level) + " ";
    } else if (level.beg >= 0) {
        name = level.entries[static_cast<size_t>(level.beg)].shown;
    } else {
        name = typed + " ";
    }
    SelFile_ReplaceText(levelIndex, name);
}

// Cuts the path behind the level and appends the name: whole when it ends in
// "/", else without its last character (the mark).
void SelFile_ReplaceText(int levelIndex, const std::string& text)
{
    SelFileState& s = SelFile();
    if (levelIndex < 0 || levelIndex >= static_cast<int>(s.levels.size())) {
        return;
    }
    s.path.resize(std::min(s.levels[static_cast<size_t>(levelIndex)].path, s.path.size()));
    const bool directory = !text.empty() && text.back() == '/';
    SelFile_AppendBounded(s.path, directory || text.empty() ? text : text.substr(0, text.size() - 1));
    const bool relative = StartsWith(s.path, s.startDir);
    SelFile_SetField(relative ? s.path.substr(s.startDir.size()) : s.path);
    SelFile_FieldChanged(SelFile_FieldText().size());
}

void SelFile_StartCheckTimer()
{
    SelFileState& s = SelFile();
    SelFile_StopCheckTimer();
    s.checkTimer = XtAppAddTimeOut(s.app, kCheckInterval, CheckTick, nullptr);
}

void SelFile_StopCheckTimer()
{
    SelFileState& s = SelFile();
    if (s.checkTimer != 0) {
        XtRemoveTimeOut(s.checkTimer);
        s.checkTimer = 0;
    }
}
