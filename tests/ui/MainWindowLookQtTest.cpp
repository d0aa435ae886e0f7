// The main window as the user sees and works it: every caption whole where
// it can be seen, at 96 and 144 dpi and in each of its captions; Enter on
// the focused button; where Help and About open; notices that wait for the
// window; the program's icon.
#include "support/TestDoubles.h"
#include "ui/Notifier.h"
#include "ui/ProgramIcon.h"
#include "ui/WindowPlacement.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>

using testing_support::Harness;

namespace {

double logicalDpi() {
    return QGuiApplication::primaryScreen()->logicalDotsPerInch();
}

// The part of a control the user sees: inside its window and not under any
// control stacked above it.  Where another control covers part of it, what
// is left is the largest piece beside, above or below that control.
QRect visiblePart(const QWidget* control) {
    const QWidget* window = control->parentWidget();
    QRect part = control->geometry() & window->rect();
    const QObjectList& stack = window->children(); // bottom first
    for (qsizetype i = stack.indexOf(const_cast<QWidget*>(control)) + 1; i < stack.size(); ++i) {
        auto* other = qobject_cast<const QWidget*>(stack[i]);
        if (!other || other->isHidden() || !other->geometry().intersects(part))
            continue;
        const QRect cover = other->geometry();
        const QRect pieces[] = {QRect(part.topLeft(), QPoint(cover.left() - 1, part.bottom())),
                                QRect(QPoint(cover.right() + 1, part.top()), part.bottomRight()),
                                QRect(part.topLeft(), QPoint(part.right(), cover.top() - 1)),
                                QRect(QPoint(part.left(), cover.bottom() + 1), part.bottomRight())};
        QRect best;
        for (const QRect& piece : pieces) {
            const QRect valid = piece & part;
            if (valid.isValid() && valid.width() * valid.height() > best.width() * best.height())
                best = valid;
        }
        part = best;
    }
    return part;
}

// Why the control's caption is not whole where it can be seen (empty when
// it is).  The room a caption needs is the widget's own size hint: its text
// in its font, with a check box's or option's mark beside it; a button's
// text needs the button's face inside its frame.
QString captionProblem(const QWidget* control, const QString& caption) {
    const QRect seen = visiblePart(control);
    const QRect whole = control->geometry();
    const QFontMetrics metrics(control->font());
    if (auto* label = qobject_cast<const QLabel*>(control)) {
        const bool right = label->alignment() & Qt::AlignRight;
        // The text sits at the edge it is aligned to; that edge must be seen.
        if ((right && seen.right() != whole.right()) || (!right && seen.left() != whole.left()))
            return QStringLiteral("its aligned edge is covered");
        if (seen.width() < label->sizeHint().width() || seen.height() < metrics.height())
            return QStringLiteral("needs %1x%2, sees %3x%4")
                .arg(label->sizeHint().width())
                .arg(metrics.height())
                .arg(seen.width())
                .arg(seen.height());
        return {};
    }
    if (auto* button = qobject_cast<const QPushButton*>(control)) {
        const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        if (seen != whole || metrics.horizontalAdvance(caption) + 2 * frame > whole.width())
            return QStringLiteral("text %1 wide on a face %2 wide")
                .arg(metrics.horizontalAdvance(caption))
                .arg(whole.width() - 2 * frame);
        return {};
    }
    // A check box or option: the style puts the text beside the mark.
    QStyleOptionButton option;
    option.initFrom(control);
    option.rect = control->rect();
    const auto element = qobject_cast<const QRadioButton*>(control) ? QStyle::SE_RadioButtonContents
                                                                    : QStyle::SE_CheckBoxContents;
    const int textLeft = whole.left() + control->style()->subElementRect(element, &option, control).left();
    const int textRight = textLeft + metrics.horizontalAdvance(caption) - 1;
    if (seen.left() != whole.left())
        return QStringLiteral("its mark is covered");
    if (textRight > seen.right() || seen.height() < metrics.height())
        return QStringLiteral("text ends at %1, seen to %2").arg(textRight).arg(seen.right());
    return {};
}

QString captionOf(const QWidget* control) {
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    return {};
}

// The kind a caption belongs to: texts naming a field (labels and check
// boxes), the unit options, the buttons.
QString kindOf(const QWidget* control) {
    if (qobject_cast<const QPushButton*>(control))
        return QStringLiteral("buttons");
    if (qobject_cast<const QRadioButton*>(control))
        return QStringLiteral("options");
    return QStringLiteral("names");
}

// Gives the button the focus and presses Return or keypad Enter on it.
void pressEnter(QWidget* button, int key) {
    button->setFocus(Qt::TabFocusReason);
    QVERIFY(button->hasFocus());
    QTest::keyClick(button, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
}

template <typename T> QList<T*> openWindows() {
    QList<T*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible())
            found << t;
    return found;
}

} // namespace

class MainWindowLookQtTest : public QObject {
    Q_OBJECT
private slots:
    void captionsFit_data();
    void captionsFit();
    void keyboard_data();
    void keyboard();
    void helpOpensOnce();
    void placement_data();
    void placement();
    void noticesWaitForTheWindow();
    void programIcon();
};

void MainWindowLookQtTest::captionsFit_data() {
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QString>("unit"); // "" leaves Label11 its design caption
    for (int dpi : {96, 144}) {
        for (const char* unit : {"", "sec", "min"}) {
            const QString tag = QStringLiteral("%1 dpi, %2").arg(dpi).arg(*unit ? unit : "design caption");
            QTest::newRow(qPrintable(tag)) << dpi << QString::fromLatin1(unit);
        }
    }
}

// Every caption is whole where it can be seen; captions of a kind share one
// size, the same in every caption state, and never fall below 6 points.  A
// dpi other than this process's runs in a copy of this test made for it.
void MainWindowLookQtTest::captionsFit() {
    QFETCH(int, dpi);
    QFETCH(QString, unit);
    if (qRound(logicalDpi()) != dpi) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_ENABLE_HIGHDPI_SCALING"), QStringLiteral("0"));
        env.insert(QStringLiteral("QT_FONT_DPI"), QString::number(dpi));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("captionsFit:") + QString::fromLatin1(QTest::currentDataTag())});
        QVERIFY(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("PASS   : MainWindowLookQtTest::captionsFit(" +
                                 QByteArray(QTest::currentDataTag())),
                 output.constData());
        for (const QByteArray& line : output.split('\n'))
            if (line.contains("points:"))
                qInfo().noquote() << "at" << dpi << "dpi:" << line.mid(line.indexOf("points:"));
        return;
    }

    Harness h;
    auto& w = *h.window;
    const auto ctl = sorvane::ui::controlsOf(w);
    w.Form_Load(QString());
    QCOMPARE(ctl.Label11->text(), QStringLiteral("Current Beep Cycle in sec:"));
    const double designCaptionSize = ctl.Label11->font().pointSizeF();
    if (unit == QStringLiteral("min"))
        ctl.OptcycleUnitsMin->click();
    if (unit == QStringLiteral("sec")) {
        ctl.OptcycleUnitsMin->click();
        ctl.OptCycleUnitsSec->click();
    }
    if (!unit.isEmpty())
        QCOMPARE(ctl.Label11->text(), QStringLiteral("Current Beep Cycle (in %1)").arg(unit));
    QCOMPARE(ctl.Label11->font().pointSizeF(), designCaptionSize);

    QHash<QString, double> sizes;
    int captions = 0;
    for (QWidget* control : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QString caption = captionOf(control);
        if (caption.isEmpty())
            continue;
        ++captions;
        const QString problem = captionProblem(control, caption);
        QVERIFY2(problem.isEmpty(), qPrintable(control->objectName() + ": \"" + caption + "\" " + problem));
        const double size = control->font().pointSizeF();
        QVERIFY2(size >= 6.0, qPrintable(control->objectName()));
        const QString kind = kindOf(control);
        if (!sizes.contains(kind))
            sizes.insert(kind, size);
        QVERIFY2(size == sizes.value(kind), qPrintable(control->objectName() + " in " + kind));
    }
    QCOMPARE(captions, 13 + 6 + 5); // labels, check boxes and options, buttons
    qInfo().noquote() << "points: names" << sizes.value("names") << "options" << sizes.value("options")
                      << "buttons" << sizes.value("buttons");
}

void MainWindowLookQtTest::keyboard_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    for (const char* button : {"Command1", "Command2", "Command3", "Command4", "Command5"}) {
        QTest::newRow(qPrintable(QString::fromLatin1(button) + " Return")) << button << int(Qt::Key_Return);
        QTest::newRow(qPrintable(QString::fromLatin1(button) + " keypad Enter"))
            << button << int(Qt::Key_Enter);
    }
}

// Enter presses the button that has the focus, whichever it is; what each
// button does follows.
void MainWindowLookQtTest::keyboard() {
    QFETCH(QString, button);
    QFETCH(int, key);

    Harness h;
    auto& w = *h.window;
    w.Form_Load(QStringLiteral("work"));
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const int beeps = h.beeps();
    auto* pressed = w.findChild<QPushButton*>(button);
    QVERIFY(pressed);
    pressEnter(pressed, key);

    if (button == QStringLiteral("Command1")) { // Exit
        QCOMPARE(h.exits, 1);
        QCOMPARE(h.beeps(), beeps + 1);
    } else if (button == QStringLiteral("Command2")) { // Apply
        QCOMPARE(h.beeps(), beeps + 1);
    } else if (button == QStringLiteral("Command3")) { // About
        QCOMPARE(h.beeps(), beeps + 1);
        QVERIFY(!w.isVisible());
        QCOMPARE(openWindows<frmAbout>().size(), 1);
        openWindows<frmAbout>().first()->close();
        QVERIFY(w.isVisible());
    } else if (button == QStringLiteral("Command4")) { // Delete
        QVERIFY(!QFile::exists(h.path(QStringLiteral("work.ini"))));
        QCOMPARE(w.iniFileName(), QStringLiteral("SorvaneTimer.ini"));
    } else if (button == QStringLiteral("Command5")) { // Help
        QCOMPARE(h.beeps(), beeps);
        QCOMPARE(openWindows<frmHelp>().size(), 1);
        openWindows<frmHelp>().first()->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A second click on Help brings the open Help window forward; once it is
// closed, Help opens a new one.
void MainWindowLookQtTest::helpOpensOnce() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = sorvane::ui::controlsOf(w);
    w.Form_Load(QString());
    w.show();
    const int beeps = h.beeps();
    ctl.Command5->click();
    QCOMPARE(openWindows<frmHelp>().size(), 1);
    QPointer<frmHelp> first = openWindows<frmHelp>().first();
    QCOMPARE(first->parentWidget(), &w);
    ctl.Command5->click();
    ctl.Command5->click();
    QCOMPARE(openWindows<frmHelp>().size(), 1);
    QCOMPARE(openWindows<frmHelp>().first(), first.data());
    QCOMPARE(h.beeps(), beeps);

    first->close();
    QCOMPARE(h.beeps(), beeps + 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    ctl.Command5->click();
    QCOMPARE(openWindows<frmHelp>().size(), 1);
    openWindows<frmHelp>().first()->close();
    QCOMPARE(h.beeps(), beeps + 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void MainWindowLookQtTest::placement_data() {
    QTest::addColumn<QRect>("main");
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QPoint>("beside");
    QTest::addColumn<QPoint>("inPlace");
    const QRect screen(0, 0, 1920, 1080);
    const QSize help(470, 300);
    // Gap 8: the Help window's left edge is 8 pixels right of the main
    // window's right edge (main 100..469 wide 370 -> 478).
    QTest::newRow("room on the right")
        << QRect(100, 100, 370, 340) << help << screen << QPoint(478, 100) << QPoint(50, 120);
    QTest::newRow("room only on the left")
        << QRect(1400, 100, 370, 340) << help << screen << QPoint(922, 100) << QPoint(1350, 120);
    QTest::newRow("room on neither side")
        << QRect(300, 100, 370, 340) << QSize(1300, 300) << screen << QPoint(620, 100) << QPoint(0, 120);
    QTest::newRow("low on the screen")
        << QRect(100, 900, 370, 340) << help << screen << QPoint(478, 780) << QPoint(50, 780);
    QTest::newRow("screen not at the origin")
        << QRect(2000, 50, 370, 340) << help << QRect(1920, 30, 1280, 1024) << QPoint(2378, 50)
        << QPoint(1950, 70);
    QTest::newRow("no screen known") << QRect(100, 100, 370, 340) << help << QRect() << QPoint(478, 100)
                                     << QPoint(50, 120);
}

// Help opens beside the main window, About in its place, both on the screen.
void MainWindowLookQtTest::placement() {
    QFETCH(QRect, main);
    QFETCH(QSize, frame);
    QFETCH(QRect, area);
    QFETCH(QPoint, beside);
    QFETCH(QPoint, inPlace);
    QCOMPARE(sorvane::ui::besideWindow(main, frame, area, 8), beside);
    QCOMPARE(sorvane::ui::inPlaceOf(main, frame, area), inPlace);
}

// Notices from before the main window is shown wait for it, then stand
// above it; while About stands in for it, above About.
void MainWindowLookQtTest::noticesWaitForTheWindow() {
    sorvane::ui::Notifier notifier;
    notifier.notify(QStringLiteral("first"));
    QVERIFY(!notifier.notice());

    Harness h;
    auto& w = *h.window;
    const auto ctl = sorvane::ui::controlsOf(w);
    notifier.setOwner(&w);
    notifier.notify(QStringLiteral("second"));
    QCoreApplication::processEvents();
    QVERIFY(!notifier.notice());

    w.Form_Load(QString());
    w.show();
    QTRY_VERIFY(notifier.notice());
    QCOMPARE(notifier.notice()->parentWidget(), &w);
    QVERIFY(notifier.notice()->isVisible());
    QCOMPARE(notifier.notice()->text(), QStringLiteral("first\n\nsecond"));
    QVERIFY(notifier.notice()->testAttribute(Qt::WA_ShowWithoutActivating));
    notifier.notice()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    ctl.Command3->click(); // About
    QCOMPARE(openWindows<frmAbout>().size(), 1);
    notifier.notify(QStringLiteral("third"));
    QVERIFY(notifier.notice());
    QCOMPARE(notifier.notice()->parentWidget(), openWindows<frmAbout>().first());
    openWindows<frmAbout>().first()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void MainWindowLookQtTest::programIcon() {
    const QIcon icon = sorvane::ui::programIcon();
    QCOMPARE(icon.availableSizes().size(), 8);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage image = icon.pixmap(size, size).toImage();
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(image.hasAlphaChannel());
        QVERIFY(image.pixelColor(size / 2, size / 2).alpha() == 255); // the dial is opaque
        QVERIFY(image.pixelColor(0, 0).alpha() == 0);                 // the corners are clear
    }
}

// QTEST_MAIN would make fonts assume 96 dpi whatever the screen says; the
// captions are checked at the screen's own dpi, as the program runs.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    MainWindowLookQtTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "MainWindowLookQtTest.moc"
