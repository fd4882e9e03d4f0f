#include "simprocess.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using zentrel::test::ChildProcess;

// `cmake --install` into a prefix of the test's own: the programs, the
// desktop entry and the icons where a desktop looks for them.
class TestInstall : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void installsProgramsEntryAndIcons()
    {
        QTemporaryDir prefix;
        const auto installed = [&prefix](const QString &relative) {
            return prefix.filePath(relative);
        };
        ChildProcess install(
            QStringLiteral(ZENTREL_CMAKE),
            {"--install", QStringLiteral(ZENTREL_BUILD_DIR), "--prefix", prefix.path()});
        QVERIFY2(install.waitForExit(60000) == 0, qPrintable(install.output() + install.errors()));

        for (const char *program : {"bin/zentrel", "bin/zentrel-sim"}) {
            const QFileInfo info(installed(QLatin1String(program)));
            QVERIFY2(info.isFile() && info.isExecutable(), program);
        }
        for (const quint32 size : {48u, 64u, 128u, 256u}) {
            QFile icon(
                installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/zentrel.png").arg(size)));
            QVERIFY(icon.open(QIODevice::ReadOnly));
            const QByteArray png = icon.read(24);
            QCOMPARE(png.left(16), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
            QCOMPARE(qFromBigEndian<quint32>(png.constData() + 16), size);
            QCOMPARE(qFromBigEndian<quint32>(png.constData() + 20), size);
        }
        const QString entry = installed(QStringLiteral("share/applications/zentrel.desktop"));
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QVERIFY(lines.contains("Exec=zentrel") && lines.contains("Icon=zentrel"));
        // The validator reports errors, warnings and hints; a clean entry has none.
        ChildProcess validate(QStringLiteral("desktop-file-validate"), {entry});
        QCOMPARE(validate.waitForExit(), 0);
        QCOMPARE(validate.output().trimmed(), QString());
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
