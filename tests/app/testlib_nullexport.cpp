// A library whose crash-catcher export answers null.
#include "catchhelperinterface.h"

extern "C" __attribute__((visibility("default"))) IBLLDumpCatchExport *
getBLLDumpCatchMgrExportInterface()
{
    return nullptr;
}
