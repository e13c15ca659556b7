// SPDX-License-Identifier: GPL-3.0-or-later
// The crash catcher: on a fatal signal writes a text report and tells the registered observers.
#include "catchhelperinterface.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxObservers = 16;
constexpr int kMaxFrames = 64;
// Big enough for a deep backtrace; a stack overflow leaves no stack of its own to run on.
constexpr size_t kAltStackBytes = 64 * 1024;

const int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

// Everything the handler touches is prepared beforehand: it may not allocate.
std::atomic<CDumpCatchObserverBase *> g_observers[kMaxObservers];
char g_reportDir[4096];
std::atomic_flag g_inHandler = ATOMIC_FLAG_INIT;

const char *signalName(int iSignal)
{
    switch (iSignal) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGILL:
        return "SIGILL";
    case SIGFPE:
        return "SIGFPE";
    case SIGABRT:
        return "SIGABRT";
    default:
        return "signal";
    }
}

// Async-signal-safe text building.
struct Buf
{
    char data[4200];
    size_t len = 0;
    void add(const char *s)
    {
        while (*s && len + 1 < sizeof data)
            data[len++] = *s++;
        data[len] = 0;
    }
    void addNum(long long v, int iWidth = 0)
    {
        char tmp[24];
        int n = 0;
        bool neg = v < 0;
        unsigned long long u = neg ? 0ULL - static_cast<unsigned long long>(v) : v;
        do {
            tmp[n++] = static_cast<char>('0' + u % 10);
            u /= 10;
        } while (u && n < 23);
        while (n < iWidth && n < 23)
            tmp[n++] = '0';
        if (neg)
            add("-");
        while (n)
            if (len + 1 < sizeof data)
                data[len++] = tmp[--n], data[len] = 0;
            else
                --n;
    }
};

void writeAll(int fd, const char *p, size_t n)
{
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return;
        p += w;
        n -= static_cast<size_t>(w);
    }
}

// Civil date from a day count (Howard Hinnant's algorithm): gmtime_r is not signal-safe.
void addUtcTime(Buf &b, time_t t)
{
    long long days = t / 86400, secs = t % 86400;
    if (secs < 0)
        secs += 86400, --days;
    days += 719468;
    long long era = (days >= 0 ? days : days - 146096) / 146097;
    long long doe = days - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    long long d = doy - (153 * mp + 2) / 5 + 1;
    long long m = mp < 10 ? mp + 3 : mp - 9;
    long long y = yoe + era * 400 + (m <= 2);
    b.addNum(y, 4), b.add("-"), b.addNum(m, 2), b.add("-"), b.addNum(d, 2), b.add(" ");
    b.addNum(secs / 3600, 2), b.add(":"), b.addNum(secs / 60 % 60, 2), b.add(":");
    b.addNum(secs % 60, 2), b.add(" UTC");
}

void fatalSignalHandler(int iSignal, siginfo_t *pInfo, void *)
{
    // A crash inside the handler (or in a second thread) goes straight to the default action.
    if (g_inHandler.test_and_set()) {
        ::signal(iSignal, SIG_DFL);
        ::raise(iSignal);
        return;
    }
    const time_t now = ::time(nullptr);

    Buf path;
    path.add(g_reportDir);
    path.add("/crash-");
    path.addNum(now);
    path.add("-");
    path.addNum(::getpid());
    path.add(".txt");

    int fd = ::open(path.data, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
        Buf head;
        head.add("VelmoraAlbum crash report\nsignal: ");
        head.add(signalName(iSignal));
        head.add(" (");
        head.addNum(iSignal);
        head.add(")\ncode: ");
        head.addNum(pInfo ? pInfo->si_code : 0);
        head.add("\npid: ");
        head.addNum(::getpid());
        head.add("\ntime: ");
        addUtcTime(head, now);
        head.add("\nbacktrace:\n");
        writeAll(fd, head.data, head.len);
        void *frames[kMaxFrames];
        int n = ::backtrace(frames, kMaxFrames);
        ::backtrace_symbols_fd(frames, n, fd);
        ::close(fd);
    }

    for (auto &slot : g_observers) {
        CDumpCatchObserverBase *pObserver = slot.load();
        if (pObserver)
            pObserver->onDumpCatch(iSignal, fd >= 0 ? path.data : "");
    }

    // Let the default action end the process (and leave a core file where the system wants one).
    ::signal(iSignal, SIG_DFL);
    ::raise(iSignal);
}

bool makeDirs(const std::string &szPath)
{
    for (size_t pos = 1; pos <= szPath.size(); ++pos) {
        if (pos == szPath.size() || szPath[pos] == '/') {
            const std::string part = szPath.substr(0, pos);
            if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
                return false;
        }
    }
    return true;
}

void prepareReportDir()
{
    std::string dir;
    const char *state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') {
        dir = state;
    } else {
        const char *home = std::getenv("HOME");
        dir = std::string(home && *home ? home : "/tmp") + "/.local/state";
    }
    dir += "/VelmoraAlbum/crashes";
    if (!makeDirs(dir) || dir.size() >= sizeof g_reportDir)
        dir = "/tmp";
    std::memcpy(g_reportDir, dir.c_str(), dir.size() + 1);
}

void installHandlers()
{
    prepareReportDir();
    // backtrace() loads libgcc on its first use, which allocates: do it now, not in the handler.
    void *warm[2];
    ::backtrace(warm, 2);

    static std::array<char, kAltStackBytes> altStack;
    stack_t ss{};
    ss.ss_sp = altStack.data();
    ss.ss_size = altStack.size();
    ::sigaltstack(&ss, nullptr);

    struct sigaction sa
    {
    };
    sa.sa_sigaction = fatalSignalHandler;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&sa.sa_mask);
    for (int sig : kFatalSignals)
        ::sigaction(sig, &sa, nullptr);
}

class DumpCatchMgr final : public IBLLDumpCatchMgr
{
public:
    void registerObserver(CDumpCatchObserverBase *pObserver) override
    {
        if (!pObserver)
            return;
        for (auto &slot : g_observers) {
            CDumpCatchObserverBase *expected = nullptr;
            if (slot.load() == pObserver)
                return;
            if (slot.compare_exchange_strong(expected, pObserver))
                return;
        }
    }
};

class DumpCatchExport final : public IBLLDumpCatchExport
{
public:
    IBLLDumpCatchMgr *getDumpCatchMgr() override { return &m_mgr; }

private:
    DumpCatchMgr m_mgr;
};

} // namespace

extern "C" __attribute__((visibility("default"))) IBLLDumpCatchExport *
getBLLDumpCatchMgrExportInterface()
{
    static DumpCatchExport s_export;
    static bool s_installed = [] {
        installHandlers();
        return true;
    }();
    (void)s_installed;
    return &s_export;
}
