// Reading a directory into a level's entries, and examining one entry with
// stat to give it its mark: "/" directory, "*" executable file, "=" socket.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "xkv/platform/sfselect/SFinternal.h"

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

SelFileEntry ExaminedEntry(std::string real)
{
    SelFileEntry entry;
    entry.statDone = true;
    entry.shown = real;
    entry.real = std::move(real);
    return entry;
}

void UpdateWidth(SelFileLevel& level)
{
    size_t longest = 0;
    for (const auto& entry : level.entries) {
        longest = std::max(longest, entry.ShownName().size());
    }
    const size_t name = level.dir.empty() ? 0 : level.dir.size() - (level.dir.back() == '/' ? 1 : 0);
    level.nChars = static_cast<int>(1 + std::min<size_t>(std::max(longest, name), 4096));
}

}  // namespace

char SelFile_MarkOf(const struct stat& status)
{
    if (S_ISDIR(status.st_mode)) {
        return '/';
    }
    if (S_ISREG(status.st_mode) && (status.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0) {
        return '*';
    }
    if (S_ISSOCK(status.st_mode)) {
        return '=';
    }
    return ' ';
}

// Reads the current directory. The root in first-read mode is not read: it
// shows "." alone; other levels read in that mode get their first name only.
bool SelFile_ReadDir(SelFileLevel& level, bool isRoot)
{
    SelFileState& s = SelFile();
    level.entries.clear();
    if (isRoot && s.firstRead) {
        level.entries.push_back(ExaminedEntry("./"));
        level.mtime = 0;
        UpdateWidth(level);
        return true;
    }
    std::unique_ptr<DIR, DirCloser> dir(opendir("."));
    if (!dir) {
        return false;
    }
    struct stat status {};
    level.mtime = !s.firstRead && stat(".", &status) == 0 ? status.st_mtime : 0;
    while (const dirent* d = readdir(dir.get())) {
        const std::string name(d->d_name, strnlen(d->d_name, sizeof d->d_name));
        if (name == ".") {
            continue;
        }
        SelFileEntry entry;
        entry.real = name + " ";
        entry.shown = entry.real;
        level.entries.push_back(std::move(entry));
        if (s.firstRead) {
            break;
        }
    }
    std::sort(level.entries.begin(), level.entries.end(),
              [](const SelFileEntry& a, const SelFileEntry& b) { return std::strcmp(a.real.c_str(), b.real.c_str()) < 0; });
    UpdateWidth(level);
    return true;
}

bool SelFile_StatEntry(int levelIndex, int entryIndex)
{
    SelFileState& s = SelFile();
    if (levelIndex < 0 || levelIndex >= static_cast<int>(s.levels.size())) {
        return true;
    }
    SelFileLevel& level = s.levels[static_cast<size_t>(levelIndex)];
    if (entryIndex < 0 || entryIndex >= static_cast<int>(level.entries.size())) {
        return true;
    }
    SelFile_ChangeDir(s.path.substr(0, std::min(level.path, s.path.size())));
    SelFileEntry& entry = level.entries[static_cast<size_t>(entryIndex)];
    const std::string name = entry.real.empty() ? entry.real : entry.real.substr(0, entry.real.size() - 1);
    entry.statDone = true;
    struct stat status {};
    const bool known = stat(name.c_str(), &status) == 0;
    std::string shownName = name;
    if (s.filter != nullptr) {
        char* text = nullptr;
        if (s.filter(name.c_str(), &text, &status) == 0) {
            level.entries.erase(level.entries.begin() + entryIndex);
            return false;
        }
        if (text != nullptr) {
            shownName = text;
        }
    }
    const char mark = known ? SelFile_MarkOf(status) : ' ';
    entry.real = name + mark;
    entry.shown = shownName + mark;
    return true;
}
