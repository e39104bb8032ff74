// Leak checking of the Qt tests: the application object lives until the
// process ends (see QtTestApp.h), and with it the font configuration cache that
// fontconfig allocates and frees only when the application is torn down.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }
