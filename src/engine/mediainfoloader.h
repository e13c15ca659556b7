// SPDX-License-Identifier: GPL-3.0-or-later
// The MediaInfo library, loaded at run time, as the music decoder's second source of a length.
#pragma once

#include <QString>

#include <cstdint>
#include <mutex>

// Thread contract: every member function may be called from any thread; one mutex serialises
// loading and the library calls. The library, once loaded, stays loaded until exit.
class MediaInfoLoader
{
public:
    static MediaInfoLoader &instance();

    // The exported functions that must all resolve for the library to count as present.
    static constexpr int kFunctionCount = 28;
    static const char *const kFunctionNames[kFunctionCount];

    // Loads the library unless it is loaded; a failed load is tried again at the next call.
    bool load();
    bool isLoaded();
    QString libraryName();
    // For tests: the library file to load from now on (one already loaded stays mapped).
    void setLibraryName(const QString &szName);

    // "Duration" of audio stream 0 as the library writes it (milliseconds as text), an empty
    // text when it does not know, or "Unable to load <library>" when the library is absent.
    QString audioDurationText(const QString &szFile);

    // The text read as a decimal integer: leading white space and a sign allowed, conversion
    // stops at the first non-digit. -1 when there are no digits or the value is out of range.
    static int64_t parseDecimal(const QString &szText);

private:
    MediaInfoLoader() = default;
    bool loadLocked();

    using NewFn = void *(*)();
    using DeleteFn = void (*)(void *);
    using OpenFn = size_t (*)(void *, const wchar_t *);
    using GetFn = const wchar_t *(*)(void *, int streamKind, size_t streamNumber,
                                     const wchar_t *parameter, int infoKind, int searchKind);

    std::mutex mutex;
    QString name = QStringLiteral("libmediainfo.so.0");
    void *handle = nullptr;
    NewFn fnNew = nullptr;
    DeleteFn fnDelete = nullptr;
    OpenFn fnOpen = nullptr;
    GetFn fnGet = nullptr;
};
