// The sanitizers' options for every program and test of the sanitizer build
// (SP_SANITIZE, linked into each of them). The sanitizers ask for these as
// the program starts; options in ASAN_OPTIONS, LSAN_OPTIONS or UBSAN_OPTIONS
// come after them and win.

#define SP_SANITIZER_HOOK extern "C" __attribute__((visibility("default"), used)) const char*

// Leaks that third-party libraries make and keep until the process ends are
// not reported; lsan.supp names each library, and nothing of ours.
SP_SANITIZER_HOOK __lsan_default_options()
{
    return "suppressions=" SP_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

// The stack of an undefined behaviour, not only its line.
SP_SANITIZER_HOOK __ubsan_default_options()
{
    return "print_stacktrace=1";
}
