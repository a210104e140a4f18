// ThreadSanitizer's options for every program and test of the thread
// sanitizer build (SP_SANITIZE=thread, linked into each of them), asked for
// as the program starts; options in TSAN_OPTIONS come after them and win.

// Races inside third-party libraries that ThreadSanitizer cannot see the
// locks of are named in tsan.supp, each with why, and nothing of ours.
// second_deadlock_stack: both stacks of a lock taken in two orders.
// ignore_noninstrumented_modules: what a library that is not built for the
// sanitizer (Qt, GLib, OpenCV) does through the C library (memcpy, memmove,
// opening descriptors) is not checked, as the rest of its memory accesses
// cannot be: half of them would be judged without the other half.
// history_size: the earlier access's stack is kept longer, so that it can be
// shown, and matched against those suppressions, rather than lost.
extern "C" __attribute__((visibility("default"), used)) const char* __tsan_default_options()
{
    return "suppressions=" SP_TSAN_SUPPRESSIONS ":print_suppressions=0:second_deadlock_stack=1"
           ":ignore_noninstrumented_modules=1:history_size=7";
}
