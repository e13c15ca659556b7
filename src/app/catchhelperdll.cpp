// SPDX-License-Identifier: GPL-3.0-or-later
// Crash-catcher loader.
#include "catchhelperdll.h"

#include "library.h"
#include "messagebox.h"

#include <QCoreApplication>

CCatchHelperDll::CCatchHelperDll(platform::MessageBoxSink *pMessageBox, const QString &szFolder)
    : m_pMessageBox(pMessageBox ? pMessageBox : platform::systemMessageBox()),
      m_szFolder(szFolder.isEmpty() ? QCoreApplication::applicationDirPath() : szFolder)
{
    clear();
    loadModule();
}

CCatchHelperDll::~CCatchHelperDll() = default;

QString CCatchHelperDll::libraryPath() const
{
    return m_szFolder + QStringLiteral("/" VM_CATCHHELPER_FILE_NAME);
}

void CCatchHelperDll::loadModule()
{
    const QString szCaption = QCoreApplication::translate("CCatchHelperDll", "提示");
    m_hModule = platform::openLibrary(libraryPath());
    if (!m_hModule) {
        m_pMessageBox->show(szCaption, QCoreApplication::translate("CCatchHelperDll",
                                                                   "无法加载DLL,catchhelper.dll"));
        return;
    }
    m_pfnExport = reinterpret_cast<GetBLLDumpCatchMgrExportInterfaceFn>(
        platform::librarySymbol(m_hModule, VM_CATCHHELPER_EXPORT_NAME));
    if (!m_pfnExport) {
        m_pMessageBox->show(szCaption, QCoreApplication::translate(
                                           "CCatchHelperDll",
                                           "无法获取导出函数,getBLLDumpCatchMgrExportInterface"));
        return;
    }
    m_pInterface = m_pfnExport();
    if (!m_pInterface)
        m_pMessageBox->show(
            szCaption, QCoreApplication::translate("CCatchHelperDll",
                                                   "函数返回空,getBLLDumpCatchMgrExportInterface"));
}

bool CCatchHelperDll::prepare()
{
    reset();
    return true;
}

bool CCatchHelperDll::load()
{
    prepare();
    loadModule();
    return m_pInterface != nullptr;
}

bool CCatchHelperDll::unload()
{
    bool bOk = true;
    if (m_hModule)
        bOk = platform::closeLibrary(m_hModule);
    m_hModule = nullptr;
    return bOk;
}

void CCatchHelperDll::clear()
{
    m_hModule = nullptr;
    m_pfnExport = nullptr;
    m_pInterface = nullptr;
}

void CCatchHelperDll::reset()
{
    unload();
    clear();
}
