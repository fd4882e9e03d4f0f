#include "testhelpers.h"
#include "tools/apppath.h"
#include "tools/filewriter.h"
#include "tools/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace zentrel;
using namespace zentrel::test;

namespace {

const QByteArray kOld = "the file before\r\n";

void writeRaw(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

QStringList filesIn(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

// The one file writer and where the settings file lives.
class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writerPieces_data()
    {
        QTest::addColumn<bool>("oldFile");
        QTest::addColumn<bool>("throughLink");
        QTest::addColumn<QList<int>>("cuts"); // where one piece ends and the next begins
        QList<int> everyByte;
        for (int n = 1; n < 258; ++n)
            everyByte.append(n);
        QTest::newRow("over an old file, byte by byte") << true << false << everyByte;
        QTest::newRow("new file in uneven pieces, empty ones among them")
            << false << false << QList<int>{0, 0, 3, 3, 200, 257};
        QTest::newRow("through a link, the file it names is replaced")
            << true << true << QList<int>{100};
    }

    void writerPieces()
    {
        QFETCH(bool, oldFile);
        QFETCH(bool, throughLink);
        QFETCH(QList<int>, cuts);
        QByteArray content;
        for (int n = 0; n < 256; ++n)
            content.append(char(n));
        content.append("\r\n");
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("session.log"));
        if (oldFile)
            writeRaw(target, kOld);
        QString path = target;
        if (throughLink) {
            path = dir.filePath(QStringLiteral("link.log"));
            QVERIFY(QFile::link(target, path));
        }
        const QStringList before = filesIn(dir);
        FileWriter file(path);
        QVERIFY(file.open());
        qsizetype from = 0;
        for (const qsizetype cut : cuts + QList<int>{int(content.size())}) {
            QVERIFY(file.write(QByteArrayView(content).sliced(from, cut - from)));
            from = cut;
        }
        // Nothing shows before the commit.
        QCOMPARE(fileContent(target), oldFile ? kOld : QByteArray("<missing>"));
        QVERIFY2(file.commit(), qPrintable(file.errorString()));
        QCOMPARE(fileContent(target), content);
        QCOMPARE(filesIn(dir), oldFile ? before : QStringList{QStringLiteral("session.log")});
        QCOMPARE(QFileInfo(path).isSymLink(), throughLink);
        if (!oldFile) {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            QCOMPARE(ownershipOf(target).mode, int(0666 & ~mask));
        }
    }

    void writerFailureKeepsOldFile_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("abandoned before the commit") << "abandoned";
        QTest::newRow("discarded before the commit") << "discarded";
        QTest::newRow("disk full in a later piece") << "full";
    }

    void writerFailureKeepsOldFile()
    {
        QFETCH(QString, failure);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("session.log"));
        writeRaw(target, kOld);
        {
            FileWriter file(target);
            QVERIFY(file.open());
            QVERIFY(file.write(QByteArray(200, 'a')));
            if (failure == QLatin1StringView("full")) {
                const FileSizeLimit full(300);
                QVERIFY(full.active());
                QVERIFY(!file.write(QByteArray(200, 'b')));
                QVERIFY(!file.errorString().isEmpty());
            } else if (failure == QLatin1StringView("discarded")) {
                file.discard();
            }
            if (failure != QLatin1StringView("abandoned"))
                QVERIFY(!file.commit());
        }
        QCOMPARE(fileContent(target), kOld);
        QCOMPARE(filesIn(dir), QStringList{QStringLiteral("session.log")});
    }

    void writeIntoMissingDirectoryFails()
    {
        overrideAppPath(QStringLiteral("/nonexistent-zentrel-directory"));
        QVERIFY(!settings::writeFile("new\r\n"));
        QVERIFY(!settings::readFile());
        overrideAppPath({});
    }

    // Paths relative to a scratch folder holding prefix/bin, the bin
    // directory the copy was built for.
    void homeDependsOnWhereTheCopyStands_data()
    {
        QTest::addColumn<QString>("programDirectory");
        QTest::addColumn<QString>("installedBinDirectory");
        QTest::addColumn<bool>("installed");
        QTest::newRow("build tree is portable") << "build"
                                                << "prefix/bin" << false;
        QTest::newRow("copy in the prefix's bin is installed") << "prefix/bin"
                                                               << "prefix/bin" << true;
        QTest::newRow("bin reached through a symbolic link is installed") << "bin-link"
                                                                          << "prefix/bin" << true;
        QTest::newRow("sibling whose name starts the same is portable") << "prefix/bin2"
                                                                        << "prefix/bin" << false;
        QTest::newRow("write-protected folder stays portable") << "locked"
                                                               << "prefix/bin" << false;
    }

    void homeDependsOnWhereTheCopyStands()
    {
        QFETCH(QString, programDirectory);
        QFETCH(QString, installedBinDirectory);
        QFETCH(bool, installed);
        QTemporaryDir scratch;
        const QDir root(scratch.path());
        for (const char *made : {"build", "prefix/bin", "prefix/bin2", "locked"})
            QVERIFY(root.mkpath(QLatin1String(made)));
        QVERIFY(QFile::link(root.filePath("prefix/bin"), root.filePath("bin-link")));
        QFile::setPermissions(root.filePath("locked"), QFile::ReadOwner | QFile::ExeOwner);
        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath("data")));
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        const QString program = root.filePath(programDirectory);

        const QString home = homeFor(program, root.filePath(installedBinDirectory));
        const bool dataMade = QFileInfo(data).isDir();
        qputenv("XDG_DATA_HOME", dataHome);
        QFile::setPermissions(root.filePath("locked"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(home, installed ? data : program);
        // The data folder is made for an installed copy, and only for one.
        QCOMPARE(dataMade, installed);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
