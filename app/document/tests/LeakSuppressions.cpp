// fontconfig keeps a few allocations to the end of the process on purpose
// (its configuration cache, reached from Qt's font database); they are not
// leaks of ours, so the leak checker is told to pass over them.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
