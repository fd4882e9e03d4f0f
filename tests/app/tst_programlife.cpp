#include "app/programlife.h"
#include "simprocess.h"
#include "terminalharness.h"
#include "tools/stringsfrm.h"

#include <csignal>

using namespace zentrel::test;

namespace {

// Where the real program's controls stand in their windows, read off the
// same windows built here: the Exit button, Configure Strings, and the quick
// strings dialog's OK, as xdotool's window-relative coordinates.
QHash<QString, QStringList> controlSpots()
{
    const TerminalHarness here;
    here.window->CfgStrCmd_Click();
    QHash<QString, QStringList> spots;
    for (QWidget *control : {static_cast<QWidget *>(here.find<QPushButton>("ExitCmd")),
                             static_cast<QWidget *>(here.find<QPushButton>("CfgStrCmd")),
                             here.window->stringsDialog()->findChild<QWidget *>("cmdOK")}) {
        const QPoint at = control->mapTo(control->window(), control->rect().center());
        spots.insert(control->objectName(), {QString::number(at.x()), QString::number(at.y())});
    }
    return spots;
}

} // namespace

// Where the program ends, its real boxes answered as an operator would: by keys
// and clicks on X11, from within the process offscreen, where nothing else can;
// and what an operator's keys reach on the way.
class TestProgramLife : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void life_data()
    {
        QTest::addColumn<QByteArray>("platform");
        QTest::addColumn<QString>("port");      // a pseudo-terminal, the simulator, or none
        QTest::addColumn<QString>("play");      // at the main window, before it is closed
        QTest::addColumn<QStringList>("boxes"); // each box's parent, in turn
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QByteArray>("saved");
        const QByteArray good = iniWith("1", "Hex", {"a"}), lf = QByteArray(good).replace("\r", "");
        const QByteArray bad = QByteArray(good).replace("Port", "port").replace("View", "view");
        const QStringList splash{"frmSplash"};
        for (const QByteArray p : {"x11", "openbox", "offscreen"}) {
            QTest::newRow(p + ": no port, its message ends it") << p << "none"
                                                                << "" << splash << lf << lf;
            QTest::newRow(p + ": bad settings told, the main window runs until closed")
                << p << "pty"
                << "" << splash + splash << bad << iniWith("", "Standard", {"a"});
        }
        QTest::newRow("offscreen: the quick strings box is the dialog's")
            << QByteArray("offscreen") << "pty"
            << "" << QStringList{"StringsFrm"} << good << good;
        QTest::newRow("openbox: enlarged, held at its smallest, maximised; Exit where it went")
            << QByteArray("openbox") << "pty"
            << "enlarge" << QStringList() << good << good;
        QTest::newRow("openbox: the quick strings dialog takes the keys at once")
            << QByteArray("openbox") << "pty"
            << "strings" << QStringList() << good << iniWith("1", "Hex", {"a\"XY\""});
        const QByteArray strings = iniWith("1", "Standard", {"\"PL\" h0d", "\"?V\" h0d"});
        QTest::newRow("x11: F1 and F2 reach the simulator, its answers come back, Ctrl+C saves")
            << QByteArray("x11") << "sim"
            << "keys" << QStringList() << strings << strings;
        // Read with bare LFs, saved with CR LF.
        QTest::newRow("wayland: the main window holds its port, SIGTERM saves")
            << QByteArray("wayland") << "pty"
            << "" << QStringList() << lf << good;
    }

    void life()
    {
        QFETCH(QByteArray, platform);
        QFETCH(QString, port);
        QFETCH(QString, play);
        QFETCH(QStringList, boxes);
        QFETCH(QByteArray, ini);
        QFETCH(QByteArray, saved);
        const QString tools = "which Xvfb xdotool wmctrl openbox weston >/dev/null";
        if (platform != "offscreen" && QProcess::execute("sh", {"-c", tools})) {
            QVERIFY2(qgetenv("CI") != "true", "a display tool is missing (scripts/deps.sh)");
            QSKIP("a display server or xdotool is missing (scripts/deps.sh installs them)");
        }
        AppDirectory dir;
        PseudoTerminal device;
        const bool pinned = port != "none";
        if (port == "pty")
            dir.pin(1, device);
        std::unique_ptr<ChildProcess> sim;
        if (port == "sim") { // its own link, made afresh
            QFile::remove(dir.filePath("ports/COM1"));
            sim = std::make_unique<ChildProcess>(ZENTREL_SIM_PATH,
                                                 QStringList{"--port", "1", "--dir", dir.path()});
            QVERIFY2(sim->waitForLine("on port 1"), qPrintable(sim->errors()));
        }
        dir.writeIni(ini);
        if (platform == "offscreen") {
            // One hand answers each box; the other, at the main window, has
            // the quick strings dialog refuse a character, then closes it.
            QStringList parents;
            QTimer boxHand, mainHand;
            connect(&boxHand, &QTimer::timeout, [&parents] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    parents << box->parentWidget()->objectName();
                    QTest::keyClick(box, Qt::Key_Return);
                }
            });
            connect(&mainHand, &QTimer::timeout, [strings = boxes.contains("StringsFrm")] {
                auto *main = qobject_cast<zentrel::Terminal *>(QApplication::activeWindow());
                if (main && strings) {
                    main->CfgStrCmd_Click();
                    main->stringsDialog()->findChild<QLineEdit *>("Str1Txt")->setText("\u20ac");
                    main->stringsDialog()->cmdApply_Click();
                }
                if (main)
                    main->close();
            });
            boxHand.start(50);
            mainHand.start(50);
            QTimer::singleShot(15000, &boxHand, [] { QCoreApplication::exit(1); });
            QCOMPARE(zentrel::runProgram(), 0);
            QCOMPARE(parents, boxes);
            QCOMPARE(dir.readIni(), saved);
            return;
        }
        std::vector<std::unique_ptr<ChildProcess>> children;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // A tool's output once it ended well, or a server's once it said `ready`.
        const auto run = [&](const QString &program, const QStringList &arguments,
                             const QString &ready = {}) {
            auto &child = *children.emplace_back(new ChildProcess(program, arguments, environment));
            if (!ready.isEmpty())
                return child.waitForLine(ready, 5000) ? child.output() : QString();
            return child.waitForExit(5000) == 0 ? child.output().trimmed() : QString();
        };
        environment.insert("QT_QPA_PLATFORM", platform == "wayland" ? "wayland" : "xcb");
        environment.insert("XDG_RUNTIME_DIR", dir.path()); // private, as weston wants
        environment.insert("WAYLAND_DISPLAY", "zentrel-test");
        if (platform == "wayland") {
            const QStringList weston{"--backend=headless-backend.so", "--socket=zentrel-test"};
            QVERIFY(!run("weston", weston + QStringList{"--log=/dev/stdout"}, "shell").isEmpty());
            environment.insert("WAYLAND_DEBUG", "client");
            // Under the sanitizers: a plugin unloaded at exit leaks where no
            // module can be named, so nothing could be suppressed by name.
            if (environment.contains("ASAN_OPTIONS"))
                environment.insert("ASAN_OPTIONS",
                                   environment.value("ASAN_OPTIONS") + ":detect_leaks=0");
        } else { // Xvfb picks a free display and writes its number to the descriptor given.
            const QStringList xvfb{"-displayfd",   "1",         "-screen", "0",
                                   "1920x1080x24", "-nolisten", "tcp"};
            const QString display = run("Xvfb", xvfb, "\n");
            environment.insert("DISPLAY", ':' + display.trimmed());
            if (platform == "openbox")
                QVERIFY(!run("openbox", {"--startup", "echo managing"}, "managing").isEmpty());
        }
        const auto spots = controlSpots();
        const auto click = [&](const QString &window, const QString &control) {
            run("xdotool", QStringList{"mousemove", "--window", window} + spots.value(control) +
                               QStringList{"click", "1"});
        };
        QVERIFY(QFile::copy(ZENTREL_PROGRAM_PATH, dir.filePath("zentrel")));
        ChildProcess zentrel(dir.filePath("zentrel"), {}, environment);
        if (platform == "wayland") {
            QTRY_VERIFY_WITH_TIMEOUT(zentrel.errors().contains("set_title(\"Zentrel Vorlinker\")"),
                                     10000);
            const QString fds = QStringLiteral("/proc/%1/fd").arg(zentrel.processId());
            QVERIFY(!run("find", {fds, "-lname", device.slavePath()}).isEmpty());
            zentrel.sendSignal(SIGTERM);
        }
        // Each box, then the main window, maps as a new window of the program's title.
        const QStringList search{"search", "--onlyvisible", "--name", "^Zentrel Vorlinker$"};
        const qsizetype windows = platform == "wayland" ? 0 : boxes.size() + pinned;
        QStringList seen;
        for (int k = 0; k < windows; ++k) {
            for (int tries = 0; seen.size() == k && tries < 80; ++tries, QTest::qWait(100))
                for (const QString &id : run("xdotool", search).split(u'\n', Qt::SkipEmptyParts))
                    seen << (seen.contains(id) ? QStringList() : QStringList{id});
            QVERIFY2(seen.size() == k + 1 && zentrel.isRunning(), qPrintable(zentrel.errors()));
            if (k < boxes.size()) {
                run("xdotool", {"windowfocus", "--sync", seen.last(), "key", "Return"});
                continue;
            }
            if (play == "keys") { // quick strings 1 and 2, then Ctrl+C where it was started
                int replies = 0;
                for (const auto &[key, line] : {std::pair{"F1", "PL<0D>: PL play -> R<0D>"},
                                                {"F2", "?V<0D>: ?V firmware version"}}) {
                    run("xdotool", {"windowfocus", "--sync", seen.last(), "key", key});
                    QVERIFY2(sim->waitForLine(line), qPrintable(sim->output()));
                    ++replies;
                    QTRY_COMPARE_WITH_TIMEOUT(sim->output().count("the program has read the reply"),
                                              replies, 10000);
                }
                zentrel.sendSignal(SIGINT);
                break;
            }
            if (play == "strings") { // Configure Strings clicked; the keys go where the focus is
                click(seen.last(), "CfgStrCmd");
                const QStringList dialog{"search", "--onlyvisible", "--name", "^Quick String"};
                QString id;
                for (int tries = 0; id.isEmpty() && tries < 80; ++tries, QTest::qWait(100))
                    id = run("xdotool", dialog).section(u'\n', 0, 0);
                run("xdotool", {"type", "\"XY\""});
                click(id, "cmdOK");
            }
            if (play == "enlarge") { // by the window manager; the size it leaves the window at
                const QString id = seen.last();
                const auto size = [&] {
                    const QString geometry =
                        run("xdotool", {"getwindowgeometry", id}).section("Geometry: ", 1);
                    return QSize(geometry.section('x', 0, 0).toInt(),
                                 geometry.section('x', 1).toInt());
                };
                const auto after = [&](const QString &tool, const QStringList &arguments) {
                    const QSize was = size();
                    run(tool, arguments);
                    QSize is = was;
                    for (int tries = 0; is == was && tries < 80; ++tries, QTest::qWait(100))
                        is = size();
                    return is;
                };
                QCOMPARE(size(), QSize(521, 448));
                QCOMPARE(after("xdotool", {"windowsize", id, "1280", "800"}), QSize(1280, 800));
                QCOMPARE(after("xdotool", {"windowsize", id, "300", "200"}), QSize(521, 448));
                const QSize full =
                    after("wmctrl", {"-i", "-r", id, "-b", "add,maximized_vert,maximized_horz"});
                QVERIFY2(full.width() == 1920 && full.height() > 1000 && full.height() < 1080,
                         qPrintable(QString("%1x%2").arg(full.width()).arg(full.height())));
                // Exit, as far from the corner as at the smallest.
                run("xdotool", {"mousemove", "--window", id, QString::number(full.width() - 33),
                                QString::number(full.height() - 24), "click", "1"});
                break;
            }
            if (platform == "openbox")
                run("xdotool", {"windowactivate", "--sync", seen.last(), "key", "alt+F4"});
            else // no window manager, no close box: the Exit button
                click(seen.last(), "ExitCmd");
        }
        QVERIFY2(zentrel.waitForExit(5000) == 0, qPrintable(zentrel.errors().right(3000)));
        QCOMPARE(dir.readIni(), saved);
    }
};

QTEST_MAIN(TestProgramLife)
#include "tst_programlife.moc"
