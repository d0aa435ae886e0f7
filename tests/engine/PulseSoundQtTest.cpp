// The sound output, heard through a PulseAudio server of the test's own: a
// null sink whose monitor is recorded with parec for the whole test, so each
// case reads back exactly the samples the server played.
#include "engine/BeepOutput.h"
#include "engine/Clock.h"
#include "engine/Platform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace sorvane;

namespace {

constexpr int16_t kHigh = 8000;
constexpr int kRate = 48000;

std::vector<int16_t> squareWave(int pitch, int duration) {
    std::vector<int16_t> samples;
    for (int period = 0; period < duration; ++period) {
        samples.insert(samples.end(), static_cast<size_t>(pitch), kHigh);
        samples.insert(samples.end(), static_cast<size_t>(pitch), static_cast<int16_t>(-kHigh));
    }
    return samples;
}

std::vector<int16_t> nonSilent(const std::vector<int16_t>& samples) {
    std::vector<int16_t> sound;
    std::copy_if(samples.begin(), samples.end(), std::back_inserter(sound), [](int16_t s) { return s != 0; });
    return sound;
}

// First sample of every sound that follows at least 10 ms of silence.
std::vector<long> onsets(const std::vector<int16_t>& samples) {
    std::vector<long> found;
    long silent = kRate;
    for (long i = 0; i < static_cast<long>(samples.size()); ++i) {
        if (samples[static_cast<size_t>(i)] != 0) {
            if (silent >= kRate / 100)
                found.push_back(i);
            silent = 0;
        } else {
            ++silent;
        }
    }
    return found;
}

void sleepMs(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

} // namespace

class PulseSoundQtTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    QProcess m_hold;
    QProcess m_recorder;
    QString m_capture;
    std::vector<std::string> m_told;
    qint64 m_mark = 0;

    SoundDevices open() {
        m_told.clear();
        return createSoundDevices([this](const std::string& text) { m_told.push_back(text); });
    }

    // Starts a new stretch of the recording, after a moment of silence (the
    // server hands on a sample a little before its time).
    void mark() {
        m_mark = QFileInfo(m_capture).size();
        sleepMs(100);
    }
    // The samples recorded since mark(), once the server has played them.
    std::vector<int16_t> recorded() {
        sleepMs(300);
        QFile file(m_capture);
        if (!file.open(QIODevice::ReadOnly) || !file.seek(m_mark & ~qint64{1}))
            return {};
        const QByteArray bytes = file.readAll();
        std::vector<int16_t> samples(static_cast<size_t>(bytes.size()) / sizeof(int16_t));
        if (!samples.empty())
            std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(int16_t));
        return samples;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        const QString run = m_dir.filePath(QStringLiteral("run"));
        QVERIFY(QDir().mkpath(run));
        QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", run.toLocal8Bit());
        qputenv("HOME", m_dir.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")).toLocal8Bit());
        QFile script(m_dir.filePath(QStringLiteral("server.pa")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("load-module module-null-sink sink_name=test rate=48000\n"
                     "set-default-sink test\n"
                     "load-module module-native-protocol-unix\n");
        script.close();
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(QStringLiteral("pulseaudio"),
                       {QStringLiteral("-n"), QStringLiteral("-F"), script.fileName(),
                        QStringLiteral("--daemonize=no"), QStringLiteral("--use-pid-file=no"),
                        QStringLiteral("--exit-idle-time=-1"),
                        QStringLiteral("--log-target=file:") + m_dir.filePath(QStringLiteral("server.log"))});
        QVERIFY2(m_server.waitForStarted(), "pulseaudio is installed by tools/deps.sh");
        const QString socket = run + QStringLiteral("/pulse/native");
        for (int i = 0; i < 200 && !QFile::exists(socket); ++i)
            sleepMs(25);
        QVERIFY2(QFile::exists(socket), "the test's sound server did not start");
        qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
        // A silent stream holds the sink at a low latency, so that what the
        // program plays reaches the recording promptly and in one piece.
        m_hold.setStandardInputFile(QStringLiteral("/dev/zero"));
        m_hold.start(QStringLiteral("pacat"),
                     {QStringLiteral("-p"), QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                      QStringLiteral("--rate=48000"), QStringLiteral("--channels=1"),
                      QStringLiteral("--latency-msec=5")});
        QVERIFY(m_hold.waitForStarted());
        m_capture = m_dir.filePath(QStringLiteral("capture.raw"));
        m_recorder.setStandardOutputFile(m_capture);
        m_recorder.start(QStringLiteral("parec"),
                         {QStringLiteral("-d"), QStringLiteral("test.monitor"), QStringLiteral("--raw"),
                          QStringLiteral("--format=s16le"), QStringLiteral("--rate=48000"),
                          QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=10")});
        QVERIFY(m_recorder.waitForStarted());
        // A sink that has just woken plays its longest latency of silence
        // before anything else.
        sleepMs(2500);
    }

    void cleanupTestCase() {
        for (QProcess* p : {&m_recorder, &m_hold, &m_server}) {
            p->terminate();
            if (!p->waitForFinished(3000))
                p->kill();
        }
    }

    void toneBeepIsASquareWave_data() {
        QTest::addColumn<int>("pitch");
        QTest::addColumn<int>("duration");
        QTest::newRow("p10 d3") << 10 << 3;
        QTest::newRow("p1 d1") << 1 << 1;
        QTest::newRow("defaults p100 d25") << 100 << 25;
        QTest::newRow("long p600 d25") << 600 << 25;
        QTest::newRow("p0 silent") << 0 << 5;
        QTest::newRow("d0 silent") << 7 << 0;
    }

    void toneBeepIsASquareWave() {
        QFETCH(int, pitch);
        QFETCH(int, duration);
        SoundDevices devices = open();
        QVERIFY(m_told.empty());
        BeepOutput beep(*devices.port, *devices.midi);
        beep.beepPitch = static_cast<int16_t>(pitch);
        beep.beepDuration = static_cast<int16_t>(duration);
        mark();
        QElapsedTimer timer;
        timer.start();
        beep.playBeep(false);
        const qint64 took = timer.elapsed();
        beep.drain();
        // The beep returns once it has been heard: not before its own length.
        const qint64 length = 2LL * pitch * duration * 1000 / kRate;
        QVERIFY2(took >= length - 1, qPrintable(QString::number(took)));
        const std::vector<int16_t> samples = recorded();
        QCOMPARE(nonSilent(samples), squareWave(pitch, duration));
        // One piece: no gap inside the beep.
        if (pitch * duration > 0)
            QCOMPARE(onsets(samples).size(), size_t(1));
    }

    void midiBeepSounds() {
        const QString midiFile = QCoreApplication::applicationDirPath() + QStringLiteral("/beep.mid");
        QVERIFY2(QFile::exists(midiFile), qPrintable(midiFile + " is made by the build"));
        SoundDevices devices = open();
        devices.midi->setFileName(midiFile.toStdString());
        QCOMPARE(devices.midi->fileName(), midiFile.toStdString());
        BeepOutput beep(*devices.port, *devices.midi);
        mark();
        beep.playBeep(true);
        beep.drain();
        QVERIFY(m_told.empty());
        const std::vector<int16_t> sound = nonSilent(recorded());
        int peak = 0;
        for (int16_t s : sound)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        QVERIFY2(peak > 1000, qPrintable(QString::number(peak)));
        QVERIFY2(sound.size() > 4800, qPrintable(QString::number(sound.size()))); // over 0.1 s
        // Not the stand-in tone: that has only two sample values.
        QVERIFY(std::any_of(sound.begin(), sound.end(), [](int16_t s) { return s != kHigh && s != -kHigh; }));
    }

    // The first MIDI beep is rendered and kept in the cache folder; later
    // ones (in this run or the next) are read back from there, and an entry
    // that is damaged is rendered again.
    void midiBeepComesFromTheCache() {
        const QString midiFile = QCoreApplication::applicationDirPath() + QStringLiteral("/beep.mid");
        QDir cacheDir(m_dir.filePath(QStringLiteral("cache/sorvane-timer")));
        cacheDir.removeRecursively();
        const auto playOnce = [&] {
            SoundDevices devices = open();
            devices.midi->setFileName(midiFile.toStdString());
            BeepOutput beep(*devices.port, *devices.midi);
            mark();
            beep.playBeep(true);
            beep.drain();
            return nonSilent(recorded());
        };
        const std::vector<int16_t> rendered = playOnce();
        QVERIFY(!rendered.empty());
        const QStringList entries = cacheDir.entryList({QStringLiteral("beep-*.pcm")}, QDir::Files);
        QCOMPARE(entries.size(), 1);
        const QString entry = cacheDir.filePath(entries.front());
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray whole = file.readAll();
        file.close();
        // Magic, key length, key, sample count, then the samples.
        qsizetype pos = whole.indexOf('\n') + 1;
        const qsizetype keyLength = whole.mid(pos, whole.indexOf('\n', pos) - pos).toLongLong();
        pos = whole.indexOf('\n', pos) + 1 + keyLength + 1;
        const qsizetype count = whole.mid(pos, whole.indexOf('\n', pos) - pos).toLongLong();
        pos = whole.indexOf('\n', pos) + 1;
        QCOMPARE(whole.size() - pos, count * 2);
        // The samples in the entry replaced by a tone that no rendering makes.
        std::vector<int16_t> marker(static_cast<size_t>(count));
        for (size_t i = 0; i < marker.size(); ++i)
            marker[i] = (i / 100) % 2 == 0 ? int16_t{3000} : int16_t{-3000};
        QByteArray replaced = whole.left(pos);
        replaced.append(reinterpret_cast<const char*>(marker.data()), count * 2);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(replaced);
        file.close();
        QCOMPARE(playOnce(), marker);
        // Damaged: rendered again, and the entry made whole again.
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(whole.left(whole.size() - 1));
        file.close();
        QCOMPARE(playOnce(), rendered);
        QCOMPARE(QFileInfo(entry).size(), whole.size());
        QVERIFY(m_told.empty());
    }

    void unplayableMidiFileGivesAToneAndOneNotice_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QStringLiteral("nothere.mid") << QByteArray()
                                 << QStringLiteral("cannot be read");
        QTest::newRow("not midi") << QStringLiteral("text.mid") << QByteArray("just some text\n")
                                  << QStringLiteral("not a MIDI file");
    }

    void unplayableMidiFileGivesAToneAndOneNotice() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const QString path = m_dir.filePath(name);
        if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        SoundDevices devices = open();
        devices.midi->setFileName(path.toStdString());
        BeepOutput beep(*devices.port, *devices.midi);
        mark();
        beep.playBeep(true);
        beep.drain();
        beep.playBeep(true);
        beep.drain();
        QCOMPARE(m_told.size(), size_t(1));
        QVERIFY2(m_told.front().find(path.toStdString()) != std::string::npos, m_told.front().c_str());
        QVERIFY2(m_told.front().find(reason.toStdString()) != std::string::npos, m_told.front().c_str());
        std::vector<int16_t> expected = squareWave(100, 25);
        expected.insert(expected.end(), expected.begin(), expected.end());
        QCOMPARE(nonSilent(recorded()), expected);
    }

    // Beeps placed ahead sound at their moments, whenever they are asked
    // for; one taken back is not heard; any other beep takes the placed one
    // back while it sounds and puts it back in place, for the runner to ask
    // for it or to take it back.
    void placedBeepsSoundAtTheirMomentsAndAreTakenBack() {
        SoundDevices devices = open();
        BeepOutput beep(*devices.port, *devices.midi);
        beep.beepPitch = 12;
        beep.beepDuration = 40; // 960 samples, 20 ms
        MonotonicTickClock clock;
        mark();
        const uint32_t first = clock.ticks() + 300;
        beep.placeBeep(false, first);
        sleepMs(310); // asked for a little late: still heard at its moment
        beep.arrive();
        beep.playBeep(false);
        const uint32_t second = clock.ticks() + 250;
        beep.placeBeep(false, second);
        sleepMs(240); // asked for early
        beep.arrive();
        beep.playBeep(false);
        // Another beep (the About button) while the third is placed; the run
        // goes on and asks for the third at its moment.
        const uint32_t third = second + 600;
        beep.placeBeep(false, third);
        sleepMs(200);
        beep.playBeep(false);
        while (static_cast<int32_t>(clock.ticks() - third) <= 0)
            sleepMs(1);
        beep.arrive();
        beep.playBeep(false);
        // Placed, then taken back: silence.
        beep.placeBeep(false, clock.ticks() + 300);
        sleepMs(100);
        beep.withdraw();
        // Placed, then another beep before its moment (the Stop key), and
        // the runner takes the placed beep back: only the Stop beep sounds.
        beep.placeBeep(false, clock.ticks() + 400);
        sleepMs(100);
        beep.playBeep(false);
        beep.withdraw();
        sleepMs(500);
        beep.drain();
        const std::vector<long> found = onsets(recorded());
        QCOMPARE(found.size(), size_t(5));
        const auto expectApart = [&](long from, long to, uint32_t ms) {
            const long apart = to - from;
            const long expected = static_cast<long>(ms) * kRate / 1000;
            QVERIFY2(std::labs(apart - expected) <= kRate * 2 / 1000,
                     qPrintable(QStringLiteral("%1 samples apart, expected %2").arg(apart).arg(expected)));
        };
        expectApart(found[0], found[1], second - first);
        expectApart(found[1], found[3], third - second);
        // The fifth is the Stop beep, played 200 ms after the third beep
        // ended: heard before either withdrawn moment (300 and 500 ms).
        const long stop = found[4] - found[3];
        QVERIFY2(stop > kRate * 22 / 100 && stop < kRate * 30 / 100, qPrintable(QString::number(stop)));
    }

    void noServerStillBeepsSilently() {
        const QByteArray server = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:/nonexistent/sorvane-test-socket");
        {
            SoundDevices devices = open();
            BeepOutput beep(*devices.port, *devices.midi);
            beep.beepPitch = 100;
            beep.beepDuration = 25;
            QElapsedTimer timer;
            timer.start();
            beep.playBeep(false);
            beep.drain();
            // The beep still lasts about as long as it would sound.
            QVERIFY2(timer.elapsed() >= 95, qPrintable(QString::number(timer.elapsed())));
            beep.playBeep(false);
            QCOMPARE(m_told.size(), size_t(1));
            QVERIFY2(m_told.front().find("No sound server") != std::string::npos, m_told.front().c_str());
        }
        qputenv("PULSE_SERVER", server);
    }
};

QTEST_GUILESS_MAIN(PulseSoundQtTest)
#include "PulseSoundQtTest.moc"
