// The Help and About windows: texts, control names, link targets, and the
// one beep and the main window's state when they close.
#include "ui/HyperLink.h"
#include "ui/Twips.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
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

// Whether the label shows its text on unwrapped lines inside its own area.
bool textFits(const QLabel* label) {
    const QRect room = label->contentsRect();
    const QRect needed =
        QFontMetrics(label->font()).boundingRect(room, Qt::AlignLeft | Qt::AlignTop, label->text());
    return !label->wordWrap() && needed.width() <= room.width() && needed.height() <= room.height();
}

void checkLinkTargets(const QWidget* window) {
    auto* mailLink = window->findChild<HyperLink*>(QStringLiteral("HLink1"));
    auto* homeLink = window->findChild<HyperLink*>(QStringLiteral("HLink2"));
    QVERIFY(mailLink);
    QVERIFY(homeLink);
    QVERIFY(homeLink->target().isLocalFile());
    QVERIFY(homeLink->target().toLocalFile().endsWith(QStringLiteral("/README.md")));
    QVERIFY(!homeLink->target().hasFragment());
    QCOMPARE(mailLink->target().fragment(), QStringLiteral("reporting-problems"));
    QCOMPARE(mailLink->target().adjusted(QUrl::RemoveFragment), homeLink->target());
    QCOMPARE(mailLink->caption(), QStringLiteral("Report a problem"));
    QVERIFY(!homeLink->caption().isEmpty());
    // The caption is shown as a link.
    QVERIFY(mailLink->text().contains(QStringLiteral("<a href=")));
    QVERIFY(mailLink->text().contains(mailLink->caption()));
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
    void helpLinks();
    void aboutTextsAndControls();
    void aboutClose_data();
    void aboutClose();
    void aboutLinks();
    void aboutHotkeyInfo_data();
    void aboutHotkeyInfo();
    void hyperLinkOpensItsTarget();
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
    QVERIFY(textFits(help.Label1));

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
    for (QWidget* control : members)
        QVERIFY2(help.rect().contains(control->geometry()), qPrintable(control->objectName()));
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

void HelpAboutQtTest::helpLinks() {
    frmHelp help(kVersion, [] {});
    checkLinkTargets(&help);
}

void HelpAboutQtTest::aboutTextsAndControls() {
    QWidget mainWindow;
    frmAbout about(
        kVersion, [] {}, &mainWindow);
    QCOMPARE(about.windowTitle(), QStringLiteral("About"));
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

void HelpAboutQtTest::aboutLinks() {
    QWidget mainWindow;
    frmAbout about(
        kVersion, [] {}, &mainWindow);
    checkLinkTargets(&about);
}

void HelpAboutQtTest::aboutHotkeyInfo_data() {
    QTest::addColumn<QString>("info");
    QTest::newRow("X11") << QStringLiteral("X11 (XInput2 raw keys)");
    QTest::newRow("portal") << QStringLiteral(
        "Desktop portal (Start: Ctrl+Alt+F7, Restart: Ctrl+Alt+A, Stop: "
        "Ctrl+Alt+F8)");
}

// The backend's name is shown in a line of its own below the other
// controls, which stay where they are; closing works as before.
void HelpAboutQtTest::aboutHotkeyInfo() {
    QFETCH(QString, info);
    QWidget mainWindow;
    frmAbout plain(
        kVersion, [] {}, &mainWindow);
    QVERIFY(plain.hotkeyLabel());
    QVERIFY(plain.hotkeyLabel()->isHidden());

    int beeps = 0;
    QPointer<frmAbout> about = new frmAbout(
        kVersion, [&] { ++beeps; }, &mainWindow, info);
    QCOMPARE(about->findChild<QLabel*>(QStringLiteral("hotkeyInfo")), about->hotkeyLabel());
    QCOMPARE(about->hotkeyLabel()->text(), QStringLiteral("Global hotkeys: ") + info);
    QVERIFY(!about->hotkeyLabel()->isHidden());
    // Wrapped where the name is long, the whole text is inside the label.
    QLabel* line = about->hotkeyLabel();
    const QRect needed = QFontMetrics(line->font())
                             .boundingRect(line->contentsRect(),
                                           Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, line->text());
    QVERIFY(line->contentsRect().contains(needed));
    QVERIFY(line->font().pointSizeF() >= 6.0);
    QVERIFY(about->rect().contains(about->hotkeyLabel()->geometry()));
    QCOMPARE(about->width(), plain.width());
    QVERIFY(about->height() > plain.height());

    const QList<QWidget*> before = {plain.Command1, plain.Label6, plain.Label7,
                                    plain.HLink1,   plain.Label8, plain.HLink2};
    const QList<QWidget*> after = {about->Command1, about->Label6, about->Label7,
                                   about->HLink1,   about->Label8, about->HLink2};
    for (int i = 0; i < before.size(); ++i) {
        QCOMPARE(after[i]->geometry(), before[i]->geometry());
        QVERIFY2(!after[i]->geometry().intersects(about->hotkeyLabel()->geometry()),
                 qPrintable(after[i]->objectName()));
    }
    QCOMPARE(about->label6Text(), plain.label6Text());

    about->show();
    closeWindow(about, CloseBy::Button);
    QCOMPARE(beeps, 1);
    QVERIFY(mainWindow.isVisible());
    processDeferredDeletes();
    QVERIFY(about.isNull());
}

void HelpAboutQtTest::hyperLinkOpensItsTarget() {
    const QUrl target(QStringLiteral("file:///tmp/some%20place/README.md#reporting-problems"));
    QList<QUrl> opened;
    HyperLink link(QStringLiteral("Report a problem"), target, nullptr, [&opened](const QUrl& url) {
        opened << url;
        return true;
    });
    QCOMPARE(link.target(), target);
    QVERIFY(link.activate());
    QCOMPARE(opened, QList<QUrl>{target});

    // A click on the shown link goes the same way, whatever href it carries.
    emit link.linkActivated(QStringLiteral("anything"));
    QCOMPARE(opened, (QList<QUrl>{target, target}));
}

QTEST_MAIN(HelpAboutQtTest)
#include "HelpAboutQtTest.moc"
