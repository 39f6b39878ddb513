// The settings record and the program's own name and directory.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "xkv/velkor/Velkor.h"

namespace {

// The directory part of a path, with its final "/"; empty when it has none.
std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string CurrentDirectory()
{
    std::vector<char> buffer(1024);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

// The running executable, as the kernel reports it.
std::string RunningExecutable()
{
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) {
        return {};
    }
    return std::string(buffer.data(), static_cast<size_t>(n));
}

// The first executable of that name on the search path.
std::string SearchPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        return {};
    }
    std::string_view rest(path);
    while (true) {
        const size_t colon = rest.find(':');
        std::string dir(rest.substr(0, colon));
        if (dir.empty()) {
            dir.push_back('.');
        }
        std::string candidate = dir;
        candidate += '/';
        candidate += name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        if (colon == std::string_view::npos) {
            return {};
        }
        rest.remove_prefix(colon + 1);
    }
}

}  // namespace

VelkorSettings& Velkor_Settings()
{
    static VelkorSettings settings;
    return settings;
}

// The program name is argv[0] after its last "/". The directory is that of
// argv[0]: an absolute path as it stands, a relative one joined to the
// current directory, and a bare name found as the running executable (or on
// the search path, or else in the current directory).
int Velkor_SetProgramPath(char** argv)
{
    VelkorSettings& settings = Velkor_Settings();
    const std::string arg0 = argv != nullptr && argv[0] != nullptr ? argv[0] : "tolq";
    const size_t slash = arg0.rfind('/');
    Velkor_CopyBounded(settings.programName, slash == std::string::npos ? arg0 : arg0.substr(slash + 1));

    std::string directory;
    if (!arg0.empty() && arg0[0] == '/') {
        directory = DirectoryOf(arg0);
    } else if (slash != std::string::npos) {
        const std::string cwd = CurrentDirectory();
        if (cwd.empty()) {
            std::fprintf(stderr, "%s: 'getcwd' failed to provide path\n", arg0.c_str());
            return 1;
        }
        directory = DirectoryOf(cwd + "/" + arg0);
    } else {
        std::string found = RunningExecutable();
        if (found.empty()) {
            found = SearchPath(arg0);
        }
        if (!found.empty() && found[0] != '/') {
            found = CurrentDirectory() + "/" + found;
        }
        directory = DirectoryOf(found);
        if (directory.empty()) {
            const std::string cwd = CurrentDirectory();
            if (cwd.empty()) {
                std::fprintf(stderr, "%s: 'getcwd' failed to provide path\n", arg0.c_str());
                return 1;
            }
            directory = cwd + "/";
        }
    }
    if (directory.size() > kVelkorPathMax) {
        std::fprintf(stderr, "%s: 'getcwd' failed to provide path\n", arg0.c_str());
        return 1;
    }
    Velkor_CopyBounded(settings.programDirectory, directory);
    return 0;
}
