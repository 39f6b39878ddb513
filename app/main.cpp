// tolq: the program's entry. Stores the program's name and directory, then
// starts the kernel, which runs until the user quits.
#include <csignal>

#include "xkv/velkor/Velkor.h"

int main(int argc, char** argv)
{
    // A closed pipe (the evaluator, a print spooler) must not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    if (Velkor_SetProgramPath(argv) != 0) {
        return 1;
    }
    const KernelStatus status = Velkor_Startup(&argc, argv);
    return status == 0 ? 0 : 1;
}
