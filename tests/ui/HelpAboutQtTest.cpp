// The Help and About windows: texts, control names, link targets, the
// keyboard, the one beep and the main window's state when they close, and
// the README the links open, in the build folder and in an install tree.
#include "ui/HyperLink.h"
#include "ui/Twips.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"

#include <QDesktopServices>
#include <QDirIterator>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

using sorvane::ui::HyperLink;

namespace {

const QString kVersion = QStringLiteral("1.01b");

const QStringList kHelpLines = {
    QStringLiteral("HELP: A description of each item can be seen by pointing the mouse at each option box."),
    QStringLiteral("To get started:"),
    QStringLiteral(
        "1) Press the start key 'F7' to start the timer. Listen for beeps at 10, 20, 30, ... seconds."),
    QStringLiteral("2) Press the restart key 'A' to reset the timer. Listen for beeps again."),
    QStringLiteral("3) Press the stop key 'F8' to stop the timer. Check that the beeps have stopped."),
    QStringLiteral(
        "4) Click the start/restart/stop key boxes and press desired keys to change the assignments."),
    QStringLiteral("5) Edit beep pitch and duration, or choose 'Midi Beeps'. Click 'Apply' to test."),
    QStringLiteral("6) Change the beep cycle parameters and see the effect on 'Current Beep Cycle'."),
    QStringLiteral("7) Click 'Custom Beep Cycle' and edit the beep times directly."),
    QStringLiteral("8) Click 'Apply' to save the current settings."),
    QStringLiteral("9) To restore defaults: delete the current 'SorvaneTimer.ini' file."),
    QStringLiteral("10) To make a new ini file, type a new name in the ini file box."),
    QStringLiteral("11) To switch to a different ini file, click the name in the file list."),
    QStringLiteral(
        "12) A specific ini filename can be entered on the command line when you run Sorvane Timer."),
};

// Ways a window can be closed.
enum class CloseBy { Button, CloseCall, CloseBox };

void closeWindow(QWidget* window, CloseBy how) {
    switch (how) {
    case CloseBy::Button: {
        auto* button = window->findChild<QPushButton*>(QStringLiteral("Command1"));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        break;
    }
    case CloseBy::CloseCall:
        window->close();
        break;
    case CloseBy::CloseBox: {
        // The window system's close request arrives at the native window.
        QVERIFY(window->windowHandle());
        QCloseEvent event;
        QCoreApplication::sendEvent(window->windowHandle(), &event);
        break;
    }
    }
}

void processDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

double logicalDpi() {
    return QGuiApplication::primaryScreen()->logicalDotsPerInch();
}

// Whether the label shows its text on unwrapped lines inside its own area
// and inside its window.
bool textFits(const QLabel* label) {
    const QRect room = label->contentsRect();
    const QRect needed =
        QFontMetrics(label->font()).boundingRect(room, int(label->alignment()), label->text());
    return !label->wordWrap() && room.contains(needed) &&
           label->window()->rect().contains(needed.translated(label->mapTo(label->window(), QPoint(0, 0))));
}

void checkLinkTargets(const QWidget* window) {
    auto* mailLink = window->findChild<HyperLink*>(QStringLiteral("HLink1"));
    auto* homeLink = window->findChild<HyperLink*>(QStringLiteral("HLink2"));
    QVERIFY(mailLink);
    QVERIFY(homeLink);
    QVERIFY(homeLink->target().isLocalFile());
    QVERIFY(homeLink->target().toLocalFile().endsWith(QStringLiteral("/README.md")));
    QVERIFY(QFileInfo(homeLink->target().toLocalFile()).isFile());
    QVERIFY(!homeLink->target().hasFragment());
    QCOMPARE(mailLink->target().fragment(), QStringLiteral("reporting-problems"));
    QCOMPARE(mailLink->target().adjusted(QUrl::RemoveFragment), homeLink->target());
    QCOMPARE(mailLink->caption(), QStringLiteral("Report a problem"));
    QVERIFY(!homeLink->caption().isEmpty());
    // Each caption looks like a link: underlined, in the palette's link colour.
    for (const HyperLink* link : {mailLink, homeLink}) {
        QVERIFY(link->font().underline());
        QCOMPARE(link->foregroundRole(), QPalette::Link);
        QVERIFY(textFits(link));
    }
}

// Receives what QDesktopServices would hand to the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    explicit UrlCatcher(const QString& scheme) : m_scheme(scheme) {
        QDesktopServices::setUrlHandler(m_scheme, this, "open");
    }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(m_scheme); }
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls << url; }

private:
    QString m_scheme;
};

// One window opened the way the main window opens it, with its beeps and
// notices counted.
struct OpenWindow {
    QWidget mainWindow;
    QPointer<QWidget> window;
    int beeps = 0;
    QStringList notices;
};

using WindowMaker = std::function<QWidget*(OpenWindow&)>;

QWidget* makeHelp(OpenWindow& w) {
    w.mainWindow.show();
    auto* help = new frmHelp(
        kVersion, [&w] { ++w.beeps; }, &w.mainWindow, {}, [&w](const QString& m) { w.notices << m; });
    help->show();
    return help;
}

QWidget* makeAbout(OpenWindow& w) {
    w.mainWindow.show();
    w.mainWindow.hide(); // the About button hides the main window
    auto* about = new frmAbout(
        kVersion, [&w] { ++w.beeps; }, &w.mainWindow, {}, [&w](const QString& m) { w.notices << m; });
    about->show();
    return about;
}

// Presses a key on whatever has the focus in the window.
void press(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

QString focusName(const QWidget* window) {
    return window->focusWidget() ? window->focusWidget()->objectName() : QStringLiteral("<none>");
}

// The keyboard rules of the Help and About windows: Close holds the focus
// first; Tab walks the chain, Shift+Tab walks it back, each link one stop
// that shows it has the focus; Enter and Space open a link; Enter on Close
// and Esc anywhere close the window with its one beep.
void checkKeyboard(const WindowMaker& make, const QStringList& chain, bool mainComesBack) {
    {
        OpenWindow w;
        w.window = make(w);
        QVERIFY(QTest::qWaitForWindowActive(w.window));
        QCOMPARE(focusName(w.window), QStringLiteral("Command1"));

        QStringList forward;
        for (int i = 0; i < chain.size(); ++i) {
            press(w.window, Qt::Key_Tab);
            forward << focusName(w.window);
        }
        QCOMPARE(forward, chain.mid(1) + chain.mid(0, 1));
        QStringList backward;
        for (int i = 0; i < chain.size(); ++i) {
            press(w.window, Qt::Key_Backtab);
            backward << focusName(w.window);
        }
        QStringList reversed(chain.rbegin(), chain.rend());
        QCOMPARE(backward, reversed);
        QStringList shiftTab;
        for (int i = 0; i < chain.size(); ++i) {
            press(w.window, Qt::Key_Tab, Qt::ShiftModifier);
            shiftTab << focusName(w.window);
        }
        QCOMPARE(shiftTab, backward);

        // A link with the focus looks different from one without.
        for (const char* name : {"HLink1", "HLink2"}) {
            auto* link = w.window->findChild<HyperLink*>(QLatin1String(name));
            QVERIFY(link);
            w.window->findChild<QWidget*>(QStringLiteral("Command1"))->setFocus(Qt::TabFocusReason);
            const QImage plain = link->grab().toImage();
            link->setFocus(Qt::TabFocusReason);
            QVERIFY(link->hasFocus());
            QVERIFY2(link->grab().toImage() != plain, name);
        }

        // Enter, keypad Enter and Space open the link with the focus.
        auto catcher = std::make_unique<UrlCatcher>(QStringLiteral("file"));
        const struct {
            const char* link;
            int key;
            Qt::KeyboardModifiers modifiers;
        } opens[] = {{"HLink1", Qt::Key_Return, Qt::NoModifier},
                     {"HLink2", Qt::Key_Enter, Qt::KeypadModifier},
                     {"HLink2", Qt::Key_Space, Qt::NoModifier}};
        QList<QUrl> expected;
        for (const auto& open : opens) {
            auto* link = w.window->findChild<HyperLink*>(QLatin1String(open.link));
            link->setFocus(Qt::TabFocusReason);
            press(w.window, open.key, open.modifiers);
            expected << link->target().adjusted(QUrl::RemoveFragment);
        }
        QCOMPARE(catcher->urls, expected);
        QVERIFY(w.notices.isEmpty());

        // With no program to open it (the test platform has none), the
        // window says so through its notices.
        catcher.reset();
        auto* link = w.window->findChild<HyperLink*>(QStringLiteral("HLink1"));
        link->setFocus(Qt::TabFocusReason);
        press(w.window, Qt::Key_Return);
        QCOMPARE(w.notices, QStringList{QStringLiteral("Cannot open %1: no program to open it was found.")
                                            .arg(link->target().toLocalFile())});
        QVERIFY(w.window);
        QCOMPARE(w.beeps, 0);
    }

    const struct {
        const char* name;
        const char* focus;
        int key;
        Qt::KeyboardModifiers modifiers;
    } closers[] = {{"Enter on Close", "Command1", Qt::Key_Return, Qt::NoModifier},
                   {"keypad Enter on Close", "Command1", Qt::Key_Enter, Qt::KeypadModifier},
                   {"Esc on Close", "Command1", Qt::Key_Escape, Qt::NoModifier},
                   {"Esc on a link", "HLink2", Qt::Key_Escape, Qt::NoModifier}};
    for (const auto& closer : closers) {
        OpenWindow w;
        w.window = make(w);
        QVERIFY(QTest::qWaitForWindowActive(w.window));
        w.window->findChild<QWidget*>(QLatin1String(closer.focus))->setFocus(Qt::TabFocusReason);
        press(w.window, closer.key, closer.modifiers);
        QVERIFY2(!w.window->isVisible(), closer.name);
        QCOMPARE(w.beeps, 1);
        processDeferredDeletes();
        QVERIFY2(w.window.isNull(), closer.name);
        QCOMPARE(w.mainWindow.isVisible(), mainComesBack);
    }
}

// The files under a folder whose names end as given.
QStringList filesUnder(const QString& folder, const QString& name) {
    QStringList found;
    QDirIterator it(folder, {name}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

Q_DECLARE_METATYPE(CloseBy)

class HelpAboutQtTest : public QObject {
    Q_OBJECT
private slots:
    void helpTexts();
    void helpControls();
    void helpClose_data();
    void helpClose();
    void helpKeyboard();
    void helpLinks();
    void aboutTextsAndControls();
    void aboutClose_data();
    void aboutClose();
    void aboutKeyboard();
    void aboutLinks();
    void hotkeyInfo_data();
    void hotkeyInfo();
    void hyperLinkOpensItsTarget_data();
    void hyperLinkOpensItsTarget();
    void linkTargetsOfThisProgram();
    void readmeInInstallTree();
    void readmePlaces_data();
    void readmePlaces();
};

void HelpAboutQtTest::helpTexts() {
    frmHelp help(kVersion, [] {});
    QCOMPARE(help.windowTitle(), QStringLiteral("Help"));

    const QString title = help.label6Text();
    QVERIFY2(title.startsWith(QStringLiteral("Sorvane Timer 1.01b\r")), qPrintable(title));
    QCOMPARE(title.count(QChar(13)), 1);
    QVERIFY(!title.contains(QChar(10)));
    QVERIFY(title.section(QChar(13), 1).size() > 0); // a copyright line follows
    QCOMPARE(help.Label6->text().split(QChar(10)).size(), 2);
    QCOMPARE(help.Label6->text().split(QChar(10)).first(), QStringLiteral("Sorvane Timer 1.01b"));

    const QString text = help.label1Text();
    QCOMPARE(text, kHelpLines.join(QChar(13)));
    QVERIFY(!text.endsWith(QChar(13)));
    QVERIFY(!text.contains(QChar(10)));
    QCOMPARE(help.Label1->text().split(QChar(10)), kHelpLines);

    QVERIFY(textFits(help.Label6));
    // The help text is read at the window's own font size: it wraps and
    // scrolls rather than shrinking.
    QCOMPARE(help.Label1->font().pointSizeF(), help.font().pointSizeF());
    QVERIFY(help.Label1->wordWrap());
    QCOMPARE(help.textArea()->widget(), help.Label1->parentWidget());

    // The version comes from the caller.
    frmHelp other(QStringLiteral("9.9"), [] {});
    QVERIFY(other.label6Text().startsWith(QStringLiteral("Sorvane Timer 9.9\r")));
}

void HelpAboutQtTest::helpControls() {
    frmHelp help(kVersion, [] {});
    const QStringList names = {"Command1", "Label6", "Label1", "Label7", "HLink1", "Label8", "HLink2"};
    const QList<QWidget*> members = {help.Command1, help.Label6, help.Label1, help.Label7,
                                     help.HLink1,   help.Label8, help.HLink2};
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(help.findChild<QWidget*>(names[i]), members[i]);
    QCOMPARE(help.Command1->text(), QStringLiteral("Close"));
    QCOMPARE(help.Label7->text(), QStringLiteral("Email:"));
    QCOMPARE(help.Label8->text(), QStringLiteral("Homepage: "));
    QVERIFY(help.isWindow());
    QVERIFY(help.testAttribute(Qt::WA_DeleteOnClose));

    const double dpi = logicalDpi();
    const QSize client(sorvane::ui::twipsToPixels(6840, dpi), sorvane::ui::twipsToPixels(4065, dpi));
    QCOMPARE(help.minimumSize(), client);
    QCOMPARE(help.maximumSize(), client);
    for (QWidget* control : members) {
        const QRect inWindow(control->mapTo(&help, QPoint(0, 0)), control->size());
        QVERIFY2(help.rect().contains(inWindow), qPrintable(control->objectName()));
    }
    // The captions of one kind share one size.
    for (QWidget* control : QList<QWidget*>{help.Label7, help.Label8, help.HLink1, help.HLink2})
        QCOMPARE(control->font().pointSizeF(), help.Label6->font().pointSizeF());
}

void HelpAboutQtTest::helpClose_data() {
    QTest::addColumn<CloseBy>("how");
    QTest::addColumn<bool>("mainVisible");
    QTest::newRow("Close button") << CloseBy::Button << true;
    QTest::newRow("close()") << CloseBy::CloseCall << true;
    QTest::newRow("close box") << CloseBy::CloseBox << true;
    QTest::newRow("close box, main hidden") << CloseBy::CloseBox << false;
}

void HelpAboutQtTest::helpClose() {
    QFETCH(CloseBy, how);
    QFETCH(bool, mainVisible);

    QWidget mainWindow;
    mainWindow.setVisible(mainVisible);
    int beeps = 0;
    QPointer<frmHelp> help = new frmHelp(kVersion, [&beeps] { ++beeps; });
    help->show();
    QCOMPARE(beeps, 0);

    closeWindow(help, how);
    QCOMPARE(beeps, 1);
    processDeferredDeletes();
    QVERIFY(help.isNull());
    QCOMPARE(beeps, 1);
    QCOMPARE(mainWindow.isVisible(), mainVisible);
}

void HelpAboutQtTest::helpKeyboard() {
    checkKeyboard(makeHelp, {"Command1", "HLink1", "HLink2"}, true);

    // The scrolling keys move the help text whichever control has the focus;
    // the focus stays where it is.
    OpenWindow w;
    auto* help = static_cast<frmHelp*>(makeHelp(w));
    QVERIFY(QTest::qWaitForWindowActive(help));
    QScrollBar* bar = help->textArea()->verticalScrollBar();
    QVERIFY2(bar->maximum() > 0, "the help text is longer than its area");
    // Each key moves the text up (-1) or down (+1), Home and End to an end.
    const struct {
        const char* focus;
        int key;
        int direction;
    } steps[] = {{"Command1", Qt::Key_Down, +1},   {"HLink1", Qt::Key_End, +1},
                 {"HLink2", Qt::Key_Up, -1},       {"Command1", Qt::Key_Home, -1},
                 {"HLink2", Qt::Key_PageDown, +1}, {"HLink1", Qt::Key_PageUp, -1}};
    for (const auto& step : steps) {
        help->findChild<QWidget*>(QLatin1String(step.focus))->setFocus(Qt::TabFocusReason);
        const int before = bar->value();
        press(help, step.key);
        QCOMPARE(focusName(help), QLatin1String(step.focus));
        QVERIFY2((bar->value() - before) * step.direction > 0, qPrintable(QKeySequence(step.key).toString()));
    }
    QCOMPARE(bar->value(), bar->minimum());
    press(help, Qt::Key_End);
    QCOMPARE(bar->value(), bar->maximum());
}

void HelpAboutQtTest::helpLinks() {
    frmHelp help(kVersion, [] {});
    checkLinkTargets(&help);
}

void HelpAboutQtTest::aboutTextsAndControls() {
    QWidget mainWindow;
    frmAbout about(
        kVersion, [] {}, &mainWindow);
    QCOMPARE(about.windowTitle(), QStringLiteral("About"));
    QVERIFY(about.isWindow());
    QCOMPARE(about.parentWidget(), &mainWindow); // stays above the main window
    QVERIFY(about.label6Text().startsWith(QStringLiteral("Sorvane Timer 1.01b\r")));
    QCOMPARE(about.label6Text(), frmHelp::titleText(kVersion));
    QCOMPARE(about.Label6->text().split(QChar(10)).size(), 2);
    QVERIFY(textFits(about.Label6));

    const QStringList names = {"Command1", "Label6", "Label7", "HLink1", "Label8", "HLink2"};
    const QList<QWidget*> members = {about.Command1, about.Label6, about.Label7,
                                     about.HLink1,   about.Label8, about.HLink2};
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(about.findChild<QWidget*>(names[i]), members[i]);
    QVERIFY(!about.findChild<QWidget*>(QStringLiteral("Label1")));
    QCOMPARE(about.Command1->text(), QStringLiteral("Close"));
    QCOMPARE(about.Label7->text(), QStringLiteral("Email:"));
    QCOMPARE(about.Label8->text(), QStringLiteral("Homepage: "));
    QVERIFY(about.testAttribute(Qt::WA_DeleteOnClose));

    const double dpi = logicalDpi();
    const QSize client(sorvane::ui::twipsToPixels(4500, dpi), sorvane::ui::twipsToPixels(2010, dpi));
    QCOMPARE(about.minimumSize(), client);
    QCOMPARE(about.maximumSize(), client);
    for (QWidget* control : members)
        QVERIFY2(about.rect().contains(control->geometry()), qPrintable(control->objectName()));
}

void HelpAboutQtTest::aboutClose_data() {
    QTest::addColumn<CloseBy>("how");
    QTest::newRow("Close button") << CloseBy::Button;
    QTest::newRow("close()") << CloseBy::CloseCall;
    QTest::newRow("close box") << CloseBy::CloseBox;
}

void HelpAboutQtTest::aboutClose() {
    QFETCH(CloseBy, how);

    QWidget mainWindow;
    mainWindow.show();
    mainWindow.hide(); // the About button hides the main window
    int beeps = 0;
    bool mainVisibleAtBeep = true;
    QPointer<frmAbout> about = new frmAbout(
        kVersion,
        [&] {
            ++beeps;
            mainVisibleAtBeep = mainWindow.isVisible();
        },
        &mainWindow);
    about->show();
    QVERIFY(!mainWindow.isVisible());

    closeWindow(about, how);
    QCOMPARE(beeps, 1);
    QVERIFY(!mainVisibleAtBeep); // the beep comes first, then the main window
    QVERIFY(mainWindow.isVisible());
    processDeferredDeletes();
    QVERIFY(about.isNull());
    QCOMPARE(beeps, 1);
    QVERIFY(mainWindow.isVisible());
}

void HelpAboutQtTest::aboutKeyboard() {
    checkKeyboard(makeAbout, {"Command1", "HLink1", "HLink2"}, true);
}

void HelpAboutQtTest::aboutLinks() {
    QWidget mainWindow;
    frmAbout about(
        kVersion, [] {}, &mainWindow);
    checkLinkTargets(&about);
}

void HelpAboutQtTest::hotkeyInfo_data() {
    QTest::addColumn<QString>("info");
    QTest::newRow("X11") << QStringLiteral("X11 (XInput2 raw keys)");
    QTest::newRow("portal") << QStringLiteral(
        "Desktop portal (Start: Ctrl+Alt+F7, Restart: Ctrl+Alt+A, Stop: "
        "Ctrl+Alt+F8)");
}

// How global hotkeys are watched is the About window's tool tip and a line
// below the help text; neither window changes its size or its controls'
// places for it.
void HelpAboutQtTest::hotkeyInfo() {
    QFETCH(QString, info);
    const QString line = QStringLiteral("Global hotkeys: ") + info;
    QWidget mainWindow;

    frmAbout plainAbout(
        kVersion, [] {}, &mainWindow);
    frmAbout about(
        kVersion, [] {}, &mainWindow, info);
    QVERIFY(plainAbout.toolTip().isEmpty());
    QCOMPARE(about.toolTip(), line);
    QCOMPARE(about.size(), plainAbout.size());
    QCOMPARE(about.findChildren<QWidget*>().size(), plainAbout.findChildren<QWidget*>().size());
    // The parts without a tip of their own show the window's.
    for (QLabel* label : {about.Label6, about.Label7, about.Label8})
        QVERIFY(label->toolTip().isEmpty());

    frmHelp plainHelp(kVersion, [] {});
    frmHelp help(
        kVersion, [] {}, nullptr, info);
    QVERIFY(plainHelp.hotkeyLabel()->isHidden());
    QVERIFY(!help.hotkeyLabel()->isHidden());
    QCOMPARE(help.hotkeyLabel()->text(), line);
    QVERIFY(help.hotkeyLabel()->wordWrap());
    QCOMPARE(help.hotkeyLabel()->parentWidget(), help.Label1->parentWidget()); // scrolled with the text
    QCOMPARE(help.label1Text(), plainHelp.label1Text());
    QCOMPARE(help.size(), plainHelp.size());
    const QList<QWidget*> before = {plainHelp.Command1, plainHelp.Label6, plainHelp.Label7,
                                    plainHelp.HLink1,   plainHelp.Label8, plainHelp.HLink2};
    const QList<QWidget*> after = {help.Command1, help.Label6, help.Label7,
                                   help.HLink1,   help.Label8, help.HLink2};
    for (int i = 0; i < before.size(); ++i)
        QCOMPARE(after[i]->geometry(), before[i]->geometry());
}

void HelpAboutQtTest::hyperLinkOpensItsTarget_data() {
    QTest::addColumn<QUrl>("target");
    QTest::addColumn<bool>("openerWorks");
    QTest::addColumn<QList<QUrl>>("opened");
    QTest::addColumn<QString>("notice");

    const QUrl web(QStringLiteral("https://example.org/sorvane-timer"));
    const QUrl here = QUrl::fromLocalFile(QCoreApplication::applicationFilePath());
    QUrl hereSection = here;
    hereSection.setFragment(QStringLiteral("reporting-problems"));
    const QUrl missing = QUrl::fromLocalFile(QStringLiteral("/nonexistent/sorvane-timer/README.md"));

    QTest::newRow("web page") << web << true << QList<QUrl>{web} << QString();
    QTest::newRow("local file") << here << true << QList<QUrl>{here} << QString();
    // A local file is opened as a file: its section mark stays behind.
    QTest::newRow("section of a local file") << hereSection << true << QList<QUrl>{here} << QString();
    QTest::newRow("no opener for a web page")
        << web << false << QList<QUrl>{web}
        << QStringLiteral("Cannot open https://example.org/sorvane-timer: no program to open it was found.");
    QTest::newRow("no opener for a file")
        << here << false << QList<QUrl>{here}
        << QStringLiteral("Cannot open %1: no program to open it was found.").arg(here.toLocalFile());
    QTest::newRow("missing file")
        << missing << true << QList<QUrl>{}
        << QStringLiteral("Cannot open /nonexistent/sorvane-timer/README.md: the file is missing.");
}

// A click, activate() and the keys all go through the opener; whatever
// cannot be opened is said in a sentence.
void HelpAboutQtTest::hyperLinkOpensItsTarget() {
    QFETCH(QUrl, target);
    QFETCH(bool, openerWorks);
    QFETCH(QList<QUrl>, opened);
    QFETCH(QString, notice);

    QList<QUrl> seen;
    HyperLink link(QStringLiteral("Report a problem"), target, nullptr, [&](const QUrl& url) {
        seen << url;
        return openerWorks;
    });
    QStringList notices;
    connect(&link, &HyperLink::openFailed, this, [&notices](const QString& m) { notices << m; });
    QCOMPARE(link.target(), target);

    const bool expectOpen = !opened.isEmpty() && openerWorks;
    QCOMPARE(link.activate(), expectOpen);
    QTest::mouseClick(&link, Qt::LeftButton, Qt::NoModifier, link.rect().center());
    QCOMPARE(seen, opened + opened);
    const QStringList expectedNotices = notice.isEmpty() ? QStringList() : QStringList{notice, notice};
    QCOMPARE(notices, expectedNotices);
}

// The links of this very program: run from the build folder they open the
// source tree's README; run from an install tree (see readmeInInstallTree)
// the README installed there.  Prints what it found.
void HelpAboutQtTest::linkTargetsOfThisProgram() {
    QWidget mainWindow;
    frmHelp help(kVersion, [] {});
    frmAbout about(
        kVersion, [] {}, &mainWindow);
    for (const QWidget* window : {static_cast<QWidget*>(&help), static_cast<QWidget*>(&about)}) {
        for (const char* name : {"HLink1", "HLink2"}) {
            const auto* link = window->findChild<HyperLink*>(QLatin1String(name));
            QVERIFY(link->target().isLocalFile());
            QVERIFY2(QFileInfo(link->target().toLocalFile()).isFile(), qPrintable(link->target().toString()));
            qInfo().noquote() << "link" << window->objectName() + QLatin1Char('.') + QLatin1String(name)
                              << "->" << link->target().toString();
        }
    }
}

// Installs this build into a folder of its own, puts a copy of this test
// program beside the installed timer and has it report its links: they open
// the README installed there, not the source tree's.
void HelpAboutQtTest::readmeInInstallTree() {
#if !defined(SORVANE_CMAKE_COMMAND) || !defined(SORVANE_BUILD_DIR) || !defined(SORVANE_SOURCE_DIR)
    QSKIP("built without the build folder's install step");
#else
    QTemporaryDir prefix;
    QVERIFY(prefix.isValid());
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(SORVANE_CMAKE_COMMAND),
                  {QStringLiteral("--install"), QStringLiteral(SORVANE_BUILD_DIR), QStringLiteral("--prefix"),
                   prefix.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());

    // What the install put there: the timer and its README.
    const QStringList timers = filesUnder(prefix.path(), QStringLiteral("sorvane-timer"));
    const QStringList readmes = filesUnder(prefix.path(), QStringLiteral("README.md"));
    QCOMPARE(timers.size(), 1);
    QCOMPARE(readmes.size(), 1);
    const QString installedReadme = readmes.first();
    QCOMPARE(contentsOf(installedReadme), contentsOf(QStringLiteral(SORVANE_SOURCE_DIR "/README.md")));
    qInfo().noquote() << "installed timer:" << timers.first();
    qInfo().noquote() << "installed README:" << installedReadme;

    const QString copy = QFileInfo(timers.first()).absolutePath() + QStringLiteral("/links-check");
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    check.setProcessEnvironment(env);
    check.start(copy, {QStringLiteral("linkTargetsOfThisProgram")});
    QVERIFY(check.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(check.readAll());
    QVERIFY2(check.exitCode() == 0, qPrintable(output));
    int links = 0;
    for (const QString& line : output.split(QLatin1Char('\n'))) {
        const int at = line.indexOf(QStringLiteral("link frm"));
        if (at < 0)
            continue;
        qInfo().noquote() << "installed copy:" << line.mid(at);
        const QUrl target(line.section(QStringLiteral("-> "), 1).trimmed());
        QCOMPARE(QFileInfo(target.toLocalFile()).canonicalFilePath(),
                 QFileInfo(installedReadme).canonicalFilePath());
        ++links;
    }
    QCOMPARE(links, 4);
#endif
}

void HelpAboutQtTest::readmePlaces_data() {
    QTest::addColumn<QString>("programFolder");
    QTest::addColumn<bool>("prefixHasReadme");
    QTest::addColumn<QString>("expected");
    // Folders: "build" is the build folder, "installed/bin" and "elsewhere"
    // are outside it; the source README and the prefix's README are found by
    // the program only where the rules allow.
    QTest::newRow("beside the program") << "installed/bin" << true << "installed";
    QTest::newRow("beside the program, no prefix copy") << "installed/bin" << false << "installed";
    QTest::newRow("build folder") << "build" << true << "source";
    QTest::newRow("below the build folder") << "build/tests" << false << "source";
    QTest::newRow("copied elsewhere") << "elsewhere" << true << "prefix";
    QTest::newRow("copied elsewhere, nothing installed") << "elsewhere" << false << "missing";
}

// Which README a program finds from its folder, with every place made up in
// a temporary folder.
void HelpAboutQtTest::readmePlaces() {
    QFETCH(QString, programFolder);
    QFETCH(bool, prefixHasReadme);
    QFETCH(QString, expected);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    auto write = [&root](const QString& path) {
        QVERIFY(QDir(root.path()).mkpath(QFileInfo(root.filePath(path)).path()));
        QFile file(root.filePath(path));
        QVERIFY(file.open(QIODevice::WriteOnly));
    };
    write(QStringLiteral("installed/share/doc/sorvane-timer/README.md"));
    write(QStringLiteral("source/README.md"));
    if (prefixHasReadme)
        write(QStringLiteral("prefix/share/doc/sorvane-timer/README.md"));
    for (const char* folder : {"installed/bin", "build/tests", "elsewhere"})
        QVERIFY(QDir(root.path()).mkpath(QLatin1String(folder)));

    const sorvane::ui::ReadmePlaces places{
        QStringLiteral("../share/doc/sorvane-timer/README.md"),
        root.filePath(QStringLiteral("prefix/share/doc/sorvane-timer/README.md")),
        root.filePath(QStringLiteral("build")), root.filePath(QStringLiteral("source/README.md"))};
    const QHash<QString, QString> paths = {
        {"installed", root.filePath(QStringLiteral("installed/share/doc/sorvane-timer/README.md"))},
        {"source", root.filePath(QStringLiteral("source/README.md"))},
        {"prefix", root.filePath(QStringLiteral("prefix/share/doc/sorvane-timer/README.md"))},
        // Nothing found: the place a copy beside the program would be.
        {"missing", root.filePath(QStringLiteral("share/doc/sorvane-timer/README.md"))}};

    const QString found = sorvane::ui::findReadme(root.filePath(programFolder), places);
    QCOMPARE(found, paths.value(expected));
    QCOMPARE(QFileInfo(found).isFile(), expected != QStringLiteral("missing"));
}

QTEST_MAIN(HelpAboutQtTest)
#include "HelpAboutQtTest.moc"
