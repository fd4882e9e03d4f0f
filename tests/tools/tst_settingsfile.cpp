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

class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<bool>>("prefixOk");
        QTest::addColumn<QStringList>("values");

        const QByteArray good = "Port: 3\r\nView: Hex\r\nString 1: a\r\nString 2: \r\n"
                                "String 3: \"PL\" h0d\r\nString 4: x\r\nString 5: y\r\n";
        QTest::newRow("seven CR LF lines")
            << good << QList<bool>(7, true)
            << QStringList{"3", "Hex", "a", "", "\"PL\" h0d", "x", "y"};
        QTest::newRow("LF alone accepted")
            << QByteArray(good).replace("\r\n", "\n") << QList<bool>(7, true)
            << QStringList{"3", "Hex", "a", "", "\"PL\" h0d", "x", "y"};
        QTest::newRow("empty file") << QByteArray() << QList<bool>() << QStringList();
        QTest::newRow("ends early, last line unterminated")
            << QByteArray("Port: 1\r\nView: Mix") << QList<bool>{true, true}
            << QStringList{"1", "Mix"};
        QTest::newRow("lines after the seventh ignored")
            << good + "String 6: z\r\nmore\r\n"
            << QList<bool>(7, true) << QStringList{"3", "Hex", "a", "", "\"PL\" h0d", "x", "y"};
        QTest::newRow("prefix is case-sensitive")
            << QByteArray("port: 1\nView: Hex\n") << QList<bool>{false, true}
            << QStringList{"", "Hex"};
        QTest::newRow("no blank after the colon is corrupt")
            << QByteArray("Port: 1\nView: Hex\nString 1: a\nString 2: b\nString 3:c\n")
            << QList<bool>{true, true, true, true, false} << QStringList{"1", "Hex", "a", "b", ""};
        QTest::newRow("only the prefix blank is removed")
            << QByteArray("Port: \nView: Hex\nString 1:    abc  \n")
            << QList<bool>{true, true, true} << QStringList{"", "Hex", "   abc  "};
        QTest::newRow("a value holding another prefix stays whole")
            << QByteArray("Port: 1\nView: Hex\nString 1: String 2: q\n")
            << QList<bool>{true, true, true} << QStringList{"1", "Hex", "String 2: q"};
        QTest::newRow("NUL bytes and high bytes are kept")
            << QByteArray("Port: 1\nView: Hex\nString 1: a\0b\xe9\n", 33)
            << QList<bool>{true, true, true}
            << QStringList{"1", "Hex", QString::fromLatin1("a\0b\xe9", 4)};
        QTest::newRow("binary garbage") << QByteArray("\x00\xff\xfe\r\r\n\x01\x02", 8)
                                        << QList<bool>{false, false} << QStringList{"", ""};
    }

    void parse()
    {
        QFETCH(QByteArray, content);
        QFETCH(QList<bool>, prefixOk);
        QFETCH(QStringList, values);
        const auto lines = settings::parse(content);
        QCOMPARE(lines.size(), prefixOk.size());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QCOMPARE(lines.at(i).prefixOk, prefixOk.at(i));
            QCOMPARE(lines.at(i).value, values.at(i));
        }
    }

    void megabyteLine()
    {
        QByteArray content = "Port: 1\nView: Hex\nString 1: ";
        content.append(QByteArray(1 << 20, 'x'));
        content.append("\nString 2: b\n");
        const auto lines = settings::parse(content);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(2).value.size(), 1 << 20);
        QCOMPARE(lines.at(3).value, QStringLiteral("b"));
    }

    void corruptMessages_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("port") << 0 << "Corrupt \"Port:\"line in ini file!";
        QTest::newRow("view") << 1 << "Corrupt \"View:\"line in ini file!";
        QTest::newRow("string 3") << 4 << "Corrupt \"String 3:\"line in ini file!";
    }

    void corruptMessages()
    {
        QFETCH(int, line);
        QFETCH(QString, message);
        QCOMPARE(settings::corruptLineMessage(line), message);
    }

    void composeWritesSevenCrLfLines()
    {
        const auto content =
            settings::compose({"3", "Mixed", {"a", "", QString::fromLatin1("\xe9"), "d", "e"}});
        QVERIFY(content);
        QCOMPARE(*content, QByteArray("Port: 3\r\nView: Mixed\r\nString 1: a\r\nString 2: \r\n"
                                      "String 3: \xe9\r\nString 4: d\r\nString 5: e\r\n"));
        const auto lines = settings::parse(*content);
        QCOMPARE(lines.at(4).value, QString::fromLatin1("\xe9"));
    }

    void composeRefusesWhatEightBitsCannotHold()
    {
        QVERIFY(
            !settings::compose({"1", "Hex", {QString::fromUtf8("\xe2\x82\xac"), "", "", "", ""}}));
    }

    void writeReplacesWholeFile()
    {
        QTemporaryDir dir;
        overrideAppPath(dir.path());
        QVERIFY(!settings::readFile());
        QVERIFY(settings::writeFile("first\r\n"));
        QVERIFY(settings::writeFile("second\r\n"));
        QCOMPARE(*settings::readFile(), QByteArray("second\r\n"));
        overrideAppPath({});
    }

    void failedWriteKeepsOldFile()
    {
        QTemporaryDir dir;
        overrideAppPath(dir.path());
        QVERIFY(settings::writeFile("old\r\n"));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        const bool directoryLocked = !QFile(dir.filePath("probe")).open(QIODevice::WriteOnly);
        if (directoryLocked)
            QVERIFY(!settings::writeFile("new\r\n"));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(*settings::readFile(), QByteArray("old\r\n"));
        overrideAppPath({});
        if (!directoryLocked)
            QSKIP("running as root: a read-only directory does not stop this user");
    }

    void writerPieces_data()
    {
        QTest::addColumn<bool>("oldFile");
        QTest::addColumn<bool>("throughLink");
        QTest::addColumn<QList<int>>("cuts"); // where one piece ends and the next begins
        QList<int> everyByte;
        for (int n = 1; n < 258; ++n)
            everyByte.append(n);
        QTest::newRow("new file, one piece") << false << false << QList<int>{};
        QTest::newRow("over an old file, byte by byte") << true << false << everyByte;
        QTest::newRow("uneven pieces, empty ones among them")
            << true << false << QList<int>{0, 0, 3, 3, 200, 257};
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

    void writerKeepsModeOwnerAndGroup_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("owner"); // -1: this process's
        QTest::addColumn<int>("group");
        QTest::newRow("read-only 0444 stays read-only") << 0444 << -1 << -1;
        QTest::newRow("0640 of another group") << 0640 << -1 << kOtherGroup;
        QTest::newRow("0600 of another owner and group") << 0600 << kOtherOwner << kOtherGroup;
    }

    void writerKeepsModeOwnerAndGroup()
    {
        ZENTREL_REQUIRE_ROOT();
        QFETCH(int, mode);
        QFETCH(int, owner);
        QFETCH(int, group);
        QTemporaryDir dir;
        overrideAppPath(dir.path());
        const QString target = settings::filePath();
        writeRaw(target, kOld);
        const Ownership before{mode, owner < 0 ? int(::geteuid()) : owner,
                               group < 0 ? int(::getegid()) : group};
        QVERIFY(setOwnership(target, before));
        const bool written = settings::writeFile("new\r\n");
        overrideAppPath({});
        QVERIFY(written);
        QCOMPARE(fileContent(target), QByteArray("new\r\n"));
        const Ownership after = ownershipOf(target);
        QCOMPARE(after.mode, before.mode);
        QCOMPARE(after.owner, before.owner);
        QCOMPARE(after.group, before.group);
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
        QTest::newRow("spelled with a trailing separator, still installed")
            << "prefix/bin/"
            << "prefix//bin" << true;
        QTest::newRow("sibling whose name starts the same is portable") << "prefix/bin2"
                                                                        << "prefix/bin" << false;
        QTest::newRow("write-protected folder stays portable") << "locked"
                                                               << "prefix/bin" << false;
        QTest::newRow("bin directory not there compares by name") << "missing/bin"
                                                                  << "missing/bin" << true;
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

    void appPathEndsInOneSeparator()
    {
        overrideAppPath(QStringLiteral("/tmp/x/"));
        QCOMPARE(AppPath(), QStringLiteral("/tmp/x/"));
        overrideAppPath(QStringLiteral("/tmp/x"));
        QCOMPARE(AppPath(), QStringLiteral("/tmp/x/"));
        overrideAppPath({});
        QVERIFY(AppPath().endsWith(u'/'));
        QVERIFY(!AppPath().endsWith(QStringLiteral("//")));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
