// Leak reports of sanitized builds leave out memory that the X libraries keep
// for the life of the process (for example after a display cannot be opened).
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libXt.so\nleak:libX11.so\nleak:libXaw7.so\nleak:libXmu.so\n";
}
