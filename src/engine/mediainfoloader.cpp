// SPDX-License-Identifier: GPL-3.0-or-later
// Loading libmediainfo.so.0 with dlopen and asking it for a music file's length.
#include "mediainfoloader.h"

#include <QFile>
#include <QFileInfo>

#include <cwchar>
#include <string>

#include <dlfcn.h>

namespace {
// MediaInfo's enumerations: Stream_Audio, Info_Text, Info_Name.
constexpr int kStreamAudio = 2;
constexpr int kInfoText = 1;
constexpr int kInfoName = 0;
} // namespace

const char *const MediaInfoLoader::kFunctionNames[kFunctionCount] = {
    "MediaInfo_New",
    "MediaInfoList_New",
    "MediaInfo_Delete",
    "MediaInfoList_Delete",
    "MediaInfo_Open",
    "MediaInfoList_Open",
    "MediaInfo_Open_Buffer_Init",
    "MediaInfo_Open_Buffer_Continue",
    "MediaInfo_Open_Buffer_Continue_GoTo_Get",
    "MediaInfo_Open_Buffer_Finalize",
    "MediaInfo_Open_NextPacket",
    "MediaInfo_Close",
    "MediaInfoList_Close",
    "MediaInfo_Inform",
    "MediaInfoList_Inform",
    "MediaInfo_GetI",
    "MediaInfoList_GetI",
    "MediaInfo_Get",
    "MediaInfoList_Get",
    "MediaInfo_Output_Buffer_Get",
    "MediaInfo_Output_Buffer_GetI",
    "MediaInfo_Option",
    "MediaInfoList_Option",
    "MediaInfo_State_Get",
    "MediaInfoList_State_Get",
    "MediaInfo_Count_Get",
    "MediaInfoList_Count_Get",
    "MediaInfoList_Count_Get_Files",
};

MediaInfoLoader &MediaInfoLoader::instance()
{
    static MediaInfoLoader loader;
    return loader;
}

bool MediaInfoLoader::load()
{
    std::lock_guard<std::mutex> lock(mutex);
    return loadLocked();
}

bool MediaInfoLoader::isLoaded()
{
    std::lock_guard<std::mutex> lock(mutex);
    return handle != nullptr;
}

QString MediaInfoLoader::libraryName()
{
    std::lock_guard<std::mutex> lock(mutex);
    return name;
}

void MediaInfoLoader::setLibraryName(const QString &szName)
{
    std::lock_guard<std::mutex> lock(mutex);
    name = szName;
    handle = nullptr;
    fnNew = nullptr;
    fnDelete = nullptr;
    fnOpen = nullptr;
    fnGet = nullptr;
}

bool MediaInfoLoader::loadLocked()
{
    if (handle)
        return true;
    void *lib = dlopen(QFile::encodeName(name).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        return false;
    for (const char *symbol : kFunctionNames) {
        if (!dlsym(lib, symbol)) {
            dlclose(lib);
            return false;
        }
    }
    fnNew = reinterpret_cast<NewFn>(dlsym(lib, "MediaInfo_New"));
    fnDelete = reinterpret_cast<DeleteFn>(dlsym(lib, "MediaInfo_Delete"));
    fnOpen = reinterpret_cast<OpenFn>(dlsym(lib, "MediaInfo_Open"));
    fnGet = reinterpret_cast<GetFn>(dlsym(lib, "MediaInfo_Get"));
    // Never unloaded: the library keeps static state that its own exit handlers use.
    handle = lib;
    return true;
}

QString MediaInfoLoader::audioDurationText(const QString &szFile)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!loadLocked())
        return QStringLiteral("Unable to load %1").arg(name);
    void *info = fnNew();
    if (!info)
        return QString();
    // wchar_t is 32-bit here: the path goes over as UTF-32, never as UTF-16 code units.
    const std::wstring path = QFileInfo(szFile).absoluteFilePath().toStdWString();
    QString text;
    if (fnOpen(info, path.c_str()) != 0) {
        const wchar_t *value = fnGet(info, kStreamAudio, 0, L"Duration", kInfoText, kInfoName);
        if (value)
            text = QString::fromWCharArray(value, int(std::wcslen(value)));
    }
    fnDelete(info);
    return text;
}

int64_t MediaInfoLoader::parseDecimal(const QString &szText)
{
    int i = 0;
    const int n = szText.size();
    while (i < n && szText.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < n && (szText.at(i) == QLatin1Char('+') || szText.at(i) == QLatin1Char('-'))) {
        negative = szText.at(i) == QLatin1Char('-');
        ++i;
    }
    int64_t value = 0;
    int digits = 0;
    for (; i < n; ++i) {
        const QChar c = szText.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        if (value > (INT64_MAX - 9) / 10)
            return -1;
        value = value * 10 + (c.unicode() - '0');
        ++digits;
    }
    if (digits == 0)
        return -1;
    return negative ? -value : value;
}
