// Compiled into a program built on an installed VARNOK (the CMake package
// adds it to the targets that link VARNOK::VARNOK): the folder of the
// installation's data files, which the library's data-file resolver searches
// (platform/DataFiles.cpp).  Weak, so that a program whose targets compile it
// more than once links.
extern "C" __attribute__((weak)) const char* varnok_installation_data_dir() { return VARNOK_INSTALLATION_DATA_DIR; }
