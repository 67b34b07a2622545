// Linked into the test binaries that open a GL window. Mesa leaves a few
// allocations behind in modules it has already unloaded, which
// LeakSanitizer reports without a usable stack, so leak checking is off for
// these binaries; the unit tests and the game runs keep it.
extern "C" const char* __lsan_default_options()
{
    return "detect_leaks=0";
}
