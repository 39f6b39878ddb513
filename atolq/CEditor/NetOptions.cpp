// Parsing of the net layer's command-line options (hook 80).
#include "atolq/CEditor/NetOptions.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

NetOptions& Options()
{
    static NetOptions options;
    return options;
}

std::string Bounded(std::string_view text)
{
    return std::string(text.substr(0, kGEMaxOptionText));
}

// State of one walk over the arguments.
struct Walk {
    bool pathTaken = false;
    bool modeTaken = false;
};

// Applies the mode, quit and prompt rules to a word after the script path;
// true when the word was consumed.
bool TakeAfterPath(Walk& walk, std::string_view word)
{
    NetOptions& o = Options();
    if (!walk.modeTaken && (word == "simulator" || word == "perf" || word == "og")) {
        walk.modeTaken = true;
        o.enterSimulator = 1;
        o.performance |= word == "perf" ? 1u : 0u;
        o.occurrenceGraph |= word == "og" ? 1u : 0u;
        return true;
    }
    if (word == "quit") {
        o.quit = 1;
        return true;
    }
    if (word.empty() || word.front() != '-') {
        o.promptArgs = Bounded(word);
        return true;
    }
    return false;
}

// True when the argument is one of the net layer's and was consumed.
bool Consume(Walk& walk, std::string_view word)
{
    NetOptions& o = Options();
    if (word == "-dbg") {
        o.debug = 1;
        return true;
    }
    if (word == "-dumpML") {
        o.dumpML = 1;
        return true;
    }
    if (word == "-autoexec" && o.autoExec == 0) {
        o.autoExec = 1;
        return true;
    }
    if (o.autoExec != 0 && !walk.pathTaken && !word.empty() && word.front() == '/') {
        o.scriptPath = Bounded(word);
        walk.pathTaken = true;
        return true;
    }
    if (walk.pathTaken && TakeAfterPath(walk, word))
        return true;
    uint32_t* flag = word == "-newsim" ? &o.newSim : word == "-savecode" ? &o.saveCode
                   : word == "-mldebug" ? &o.mlDebug : nullptr;
    if (flag == nullptr)
        return false;
    *flag = 1;
    return true;
}

}  // namespace

const NetOptions& GE_Options()
{
    return Options();
}

void GE_SetScriptPath(const char* path)
{
    Options().scriptPath = path != nullptr ? Bounded(path) : std::string();
}

int GE_ParseArguments(int* argc, char** argv)
{
    Options().autoExec = 0;
    if (argc == nullptr || argv == nullptr || *argc < 1)
        return 1;
    Walk walk;
    int write = 1;
    for (int read = 1; read < *argc; ++read) {
        char* word = argv[read];
        if (word != nullptr && Consume(walk, word))
            continue;
        argv[write++] = word;
    }
    for (int rest = write; rest < *argc; ++rest)
        argv[rest] = nullptr;
    *argc = write;
    if (Options().autoExec != 0 && !walk.pathTaken) {
        std::fputs("Usage: ./tolq -autoexec [full-path-to-sml-file]\n", stdout);
        std::fflush(stdout);
        std::exit(1);
    }
    return 1;
}
