// Test helper: registers an observer with the crash catcher, then raises a fatal signal.
#include "catchhelperinterface.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace {
class PrintingObserver : public CDumpCatchObserverBase
{
public:
    void onDumpCatch(int iSignal, const char *szReportPath) override
    {
        char line[4200] = "OBSERVED ";
        char number[8];
        int n = 0;
        do {
            number[n++] = static_cast<char>('0' + iSignal % 10);
            iSignal /= 10;
        } while (iSignal && n < 7);
        size_t len = std::strlen(line);
        while (n)
            line[len++] = number[--n];
        line[len++] = ' ';
        for (const char *p = szReportPath; *p && len < sizeof line - 2; ++p)
            line[len++] = *p;
        line[len++] = '\n';
        ssize_t w = ::write(STDOUT_FILENO, line, len);
        (void)w;
    }
};

PrintingObserver g_observer;

int signalFromName(const char *szName)
{
    const struct
    {
        const char *name;
        int sig;
    } table[] = {{"SIGSEGV", SIGSEGV},
                 {"SIGBUS", SIGBUS},
                 {"SIGILL", SIGILL},
                 {"SIGFPE", SIGFPE},
                 {"SIGABRT", SIGABRT}};
    for (const auto &row : table)
        if (std::strcmp(row.name, szName) == 0)
            return row.sig;
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    void *pLib = ::dlopen(argv[1], RTLD_NOW);
    if (!pLib)
        return 3;
    auto pfn = reinterpret_cast<GetBLLDumpCatchMgrExportInterfaceFn>(
        ::dlsym(pLib, VM_CATCHHELPER_EXPORT_NAME));
    if (!pfn)
        return 4;
    IBLLDumpCatchMgr *pMgr = pfn()->getDumpCatchMgr();
    pMgr->registerObserver(&g_observer);
    pMgr->registerObserver(&g_observer); // twice: still told once
    if (std::strcmp(argv[2], "abort") == 0)
        std::abort();
    const int iSignal = signalFromName(argv[2]);
    if (iSignal == 0)
        return 0;
    ::raise(iSignal);
    return 5;
}
