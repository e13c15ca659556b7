// A library by the crash catcher's name that lacks its export.
extern "C" __attribute__((visibility("default"))) int vmTestSomethingElse()
{
    return 0;
}
