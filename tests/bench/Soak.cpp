// Soak run of the main window: a dense beep table is played thousands of
// times with the real clock and the real event pump while handlers keep
// firing inside the run's yields (rate edits, file loads, key boxes, Apply).
// It checks that memory stays flat and that events keep being handled, and
// prints the figures.  Not a test of the suite: run it by hand,
//   build/soak [repetitions]        (default 2000, about 200 s)
#include "engine/BeepOutput.h"
#include "engine/Clock.h"
#include "hotkeys/HotkeyReceiver.h"
#include "hotkeys/TimerHotkeys.h"
#include "ui/QtEventPump.h"
#include "ui/frmSorvaneTimer.h"

#include "support/CoreDoubles.h"
#include "support/DefaultSettings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Resident memory of this process in KiB.
long rssKiB() {
    long pages = 0;
    long resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Beeps per repetition, 1 ms apart (the runner works in whole milliseconds):
// 0.1 s per repetition.
constexpr int kMoments = 100;

// The default file with the shortest beeps (pitch and duration 1), 100
// repetitions and a custom list of kMoments moments.
QByteArray denseFile() {
    std::string list;
    for (int i = 1; i <= kMoments; ++i)
        list += QByteArray::number(i * 0.001, 'g', 7).toStdString() + "\r\n";
    return QByteArray::fromStdString(
        testing_support::defaultFileWith({{4, "1"}, {5, "1"}, {6, "100"}, {8, "1"}}, list));
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const long target = argc > 1 ? std::max(1L, std::atol(argv[1])) : 2000;
    QApplication app(argc, argv);

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    {
        QFile f(dir.filePath("dense.ini"));
        if (!f.open(QIODevice::WriteOnly) || f.write(denseFile()) < 0)
            return 2;
    }

    sorvane::MonotonicTickClock clock;
    sorvane::ui::QtEventPump pump;
    testing_support::CountingPort port;
    sorvane::NullMidiPlayer midi;
    sorvane::TimerHotkeys keys;
    sorvane::NullHotkeyBackend hotkeys;
    long messages = 0;
    sorvane::ui::frmSorvaneTimer w(
        {clock, pump, port, midi, hotkeys, keys, [&](const std::string&) { ++messages; }, [] {}});
    const sorvane::ui::MainWindowControls ctl = sorvane::ui::controlsOf(w);
    w.Form_Load(QStringLiteral("dense.ini"));

    // Handlers fired from a timer, so they run nested in the run's yields.
    long handlerCalls = 0;
    long timerEvents = 0;
    qint64 maxGapMs = 0;
    QElapsedTimer sinceLast;
    sinceLast.start();
    QTimer fire;
    fire.setInterval(2);
    QObject::connect(&fire, &QTimer::timeout, [&] {
        ++timerEvents;
        maxGapMs = std::max(maxGapMs, sinceLast.restart());
        const long n = handlerCalls++;
        switch (n % 10) {
        case 0:
        case 5:
            ctl.Text7->setText(QString::number(1 + n % 17)); // rate edit; the custom list puts 5 back
            break;
        case 1:
            w.KeyBox_KeyDown(1, static_cast<int16_t>(65 + n % 26), 0);
            break;
        case 2:
            w.File1_Click(QStringLiteral("dense.ini"));
            break;
        case 3:
            ctl.Text4->setText(QString::number(1 + n % 3));
            break;
        default:
            ctl.Text5->setText(QStringLiteral("1"));
            break;
        }
        // Rarely: Apply (ends the run and saves) and a key box taking the
        // focus (leaves the run); the loop below starts the next run.
        if (n % 997 == 0)
            w.Command2_Click();
        if (n % 1499 == 0) {
            w.KeyBox_GotFocus(0);
            w.KeyBox_LostFocus(0);
        }
    });
    fire.start();

    QElapsedTimer wall;
    wall.start();
    const double cpuStart = cpuSeconds();
    long runs = 0;
    long rssStart = 0;
    long rssMax = 0;
    long repetitions = 0;
    while (repetitions < target) {
        w.HotKeyCoReceiver1_HotKeyDown(); // returns when the run is over
        ++runs;
        repetitions = port.beeps / kMoments;
        const long rss = rssKiB();
        if (runs == 1)
            rssStart = rss; // after the first run every cache is warm
        rssMax = std::max(rssMax, rss);
        if (runs % 20 == 0)
            std::printf("run %ld: %ld repetitions, RSS %ld KiB\n", runs, repetitions, rss);
    }
    fire.stop();
    const long rssEnd = rssKiB();
    const double seconds = wall.elapsed() / 1000.0;
    const double cpu = cpuSeconds() - cpuStart;

    std::printf("\nSoak figures\n");
    std::printf("  repetitions (beeps / %d)  %ld\n", kMoments, repetitions);
    std::printf("  runs started               %ld\n", runs);
    std::printf("  beeps                      %ld\n", port.beeps);
    std::printf("  handler calls              %ld\n", handlerCalls);
    std::printf("  timer events handled       %ld (longest gap %lld ms)\n", timerEvents,
                static_cast<long long>(maxGapMs));
    std::printf("  notifications              %ld\n", messages);
    std::printf("  RSS start/end/max (KiB)    %ld / %ld / %ld\n", rssStart, rssEnd, rssMax);
    std::printf("  wall time                  %.1f s\n", seconds);
    std::printf("  CPU time                   %.1f s\n", cpu);
    // Flat: no more than 4 MiB above the level after the first run.
    const bool flat = rssMax - rssStart <= 4096;
    const bool answered = timerEvents > 0 && maxGapMs < 1000;
    std::printf("  memory flat: %s, events answered: %s\n", flat ? "yes" : "NO", answered ? "yes" : "NO");
    return flat && answered ? 0 : 1;
}
