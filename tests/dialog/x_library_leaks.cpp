// Leak reports of this sanitized test program leave out memory that the X
// libraries keep for the life of the process (the toolkit after a context ends).
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libXt.so\nleak:libX11.so\nleak:libXaw7.so\nleak:libXmu.so\n";
}
