// The crash-catcher loader: failure messages, fields and the load / reset operations.
#include "catchhelperdll.h"

#include "messagebox.h"

#include <QtTest>

namespace {
class RecordingMessageBox : public platform::MessageBoxSink
{
public:
    QStringList shown;
    void show(const QString &szCaption, const QString &szText) override
    {
        shown << szCaption + QLatin1Char('|') + szText;
    }
};
} // namespace

class TstCatchHelperDll : public QObject
{
    Q_OBJECT
private slots:
    void construct_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("module");
        QTest::addColumn<bool>("function");
        QTest::addColumn<bool>("interface");
        const QString libs = QStringLiteral(VM_TESTLIBS_DIR);
        QTest::newRow("present") << QCoreApplication::applicationDirPath() << QString() << true
                                 << true << true;
        QTest::newRow("missing") << libs + "/none"
                                 << "提示|无法加载DLL,catchhelper.dll" << false << false << false;
        QTest::newRow("no export")
            << libs + "/noexport"
            << "提示|无法获取导出函数,getBLLDumpCatchMgrExportInterface" << true << false << false;
        QTest::newRow("null interface")
            << libs + "/nullexport"
            << "提示|函数返回空,getBLLDumpCatchMgrExportInterface" << true << true << false;
    }
    void construct()
    {
        QFETCH(QString, folder);
        QFETCH(QString, message);
        QFETCH(bool, module);
        QFETCH(bool, function);
        QFETCH(bool, interface);
        RecordingMessageBox box;
        CCatchHelperDll loader(&box, folder);
        QCOMPARE(box.shown, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(loader.moduleHandle() != nullptr, module);
        QCOMPARE(loader.exportFunction() != nullptr, function);
        QCOMPARE(loader.exportInterface() != nullptr, interface);
        if (interface)
            QVERIFY(loader.exportInterface()->getDumpCatchMgr());

        // load() starts over and reports whether an interface came out; reset() forgets all.
        QCOMPARE(loader.load(), interface);
        QCOMPARE(box.shown.size(), message.isEmpty() ? 0 : 2);
        loader.reset();
        QVERIFY(!loader.moduleHandle() && !loader.exportFunction() && !loader.exportInterface());
        QVERIFY(loader.unload()); // nothing held
    }
};

QTEST_GUILESS_MAIN(TstCatchHelperDll)
#include "tst_catchhelperdll.moc"
