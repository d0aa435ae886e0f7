// The SDL sound output, heard through SDL's disk driver: every sample the
// device plays lands in a raw file (48 kHz, signed 16-bit, mono) that the
// tests read back once the devices are gone.
#include "engine/BeepOutput.h"
#include "engine/Platform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace sorvane;

namespace {

constexpr int16_t kHigh = 8000;

std::vector<int16_t> squareWave(int pitch, int duration) {
    std::vector<int16_t> samples;
    for (int period = 0; period < duration; ++period) {
        samples.insert(samples.end(), static_cast<size_t>(pitch), kHigh);
        samples.insert(samples.end(), static_cast<size_t>(pitch), static_cast<int16_t>(-kHigh));
    }
    return samples;
}

std::vector<int16_t> readSamples(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::vector<int16_t> samples(static_cast<size_t>(bytes.size()) / sizeof(int16_t));
    if (!samples.empty())
        std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(int16_t));
    return samples;
}

std::vector<int16_t> nonSilent(const std::vector<int16_t>& samples) {
    std::vector<int16_t> sound;
    std::copy_if(samples.begin(), samples.end(), std::back_inserter(sound), [](int16_t s) { return s != 0; });
    return sound;
}

} // namespace

class SdlSoundQtTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::vector<std::string> m_told;

    // Opens the sound devices with the disk driver writing to `name`.
    SoundDevices open(const QString& name) {
        qputenv("SDL_DISKAUDIOFILE", m_dir.filePath(name).toLocal8Bit());
        m_told.clear();
        return createSoundDevices([this](const std::string& text) { m_told.push_back(text); });
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        qputenv("SDL_AUDIODRIVER", "disk");
    }

    void toneBeepIsASquareWave_data() {
        QTest::addColumn<int>("pitch");
        QTest::addColumn<int>("duration");
        QTest::newRow("p10 d3") << 10 << 3;
        QTest::newRow("p1 d1") << 1 << 1;
        QTest::newRow("defaults p100 d25") << 100 << 25;
        QTest::newRow("long p600 d25, handed over in pieces") << 600 << 25;
        QTest::newRow("p0 silent") << 0 << 5;
        QTest::newRow("d0 silent") << 7 << 0;
    }

    void toneBeepIsASquareWave() {
        QFETCH(int, pitch);
        QFETCH(int, duration);
        const QString name = QStringLiteral("tone-%1-%2.raw").arg(pitch).arg(duration);
        {
            SoundDevices devices = open(name);
            QVERIFY(m_told.empty());
            BeepOutput beep(*devices.port, *devices.midi);
            beep.beepPitch = static_cast<int16_t>(pitch);
            beep.beepDuration = static_cast<int16_t>(duration);
            QElapsedTimer timer;
            timer.start();
            beep.playBeep(false);
            const qint64 took = timer.elapsed();
            qInfo("beep p=%d d=%d returned after %lld ms", pitch, duration, took);
            // The default beep is 5000 samples, about 104 ms: the call must
            // block until the device has taken (nearly) all of them.
            if (pitch * duration >= 2500)
                QVERIFY2(took >= 95, qPrintable(QString::number(took)));
            beep.drain();
        }
        // A silent beep may leave the file empty: the device can be closed
        // before it took its first buffer.
        const std::vector<int16_t> samples = readSamples(m_dir.filePath(name));
        QCOMPARE(nonSilent(samples), squareWave(pitch, duration));
        // The wave is one piece: its first sample starts a run of exactly
        // 2 * pitch * duration sounding samples.
        const auto first = std::find_if(samples.begin(), samples.end(), [](int16_t s) { return s != 0; });
        const auto length = static_cast<size_t>(2 * pitch * duration);
        if (length > 0) {
            QVERIFY(static_cast<size_t>(samples.end() - first) >= length);
            QVERIFY(std::none_of(first, first + static_cast<ptrdiff_t>(length),
                                 [](int16_t s) { return s == 0; }));
        }
    }

    void midiBeepSounds() {
        const QString midiFile = QCoreApplication::applicationDirPath() + QStringLiteral("/beep.mid");
        QVERIFY2(QFile::exists(midiFile), qPrintable(midiFile + " is made by the build"));
        {
            SoundDevices devices = open(QStringLiteral("midi.raw"));
            devices.midi->setFileName(midiFile.toStdString());
            QCOMPARE(devices.midi->fileName(), midiFile.toStdString());
            BeepOutput beep(*devices.port, *devices.midi);
            beep.playBeep(true);
            beep.drain();
            QVERIFY(m_told.empty());
        }
        const std::vector<int16_t> samples = readSamples(m_dir.filePath(QStringLiteral("midi.raw")));
        const std::vector<int16_t> sound = nonSilent(samples);
        int peak = 0;
        for (int16_t s : sound)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        qInfo("MIDI beep: %zu sounding samples, peak %d", sound.size(), peak);
        QVERIFY2(peak > 1000, qPrintable(QString::number(peak)));
        QVERIFY2(sound.size() > 4800, qPrintable(QString::number(sound.size()))); // over 0.1 s
        // Not the stand-in tone: that has only two sample values.
        QVERIFY(std::any_of(sound.begin(), sound.end(), [](int16_t s) { return s != kHigh && s != -kHigh; }));
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
        const QString output = name + QStringLiteral(".raw");
        {
            SoundDevices devices = open(output);
            devices.midi->setFileName(path.toStdString());
            BeepOutput beep(*devices.port, *devices.midi);
            beep.playBeep(true);
            beep.drain();
            beep.playBeep(true);
            beep.drain();
            QCOMPARE(m_told.size(), size_t(1));
            QVERIFY2(m_told.front().find(path.toStdString()) != std::string::npos, m_told.front().c_str());
            QVERIFY2(m_told.front().find(reason.toStdString()) != std::string::npos, m_told.front().c_str());
        }
        std::vector<int16_t> expected = squareWave(100, 25);
        expected.insert(expected.end(), expected.begin(), expected.end());
        QCOMPARE(nonSilent(readSamples(m_dir.filePath(output))), expected);
    }

    void noDeviceStillBeepsSilently() {
        qputenv("SDL_AUDIODRIVER", "no-such-driver");
        {
            SoundDevices devices = open(QStringLiteral("unused.raw"));
            QCOMPARE(m_told.size(), size_t(1));
            QVERIFY2(m_told.front().find("No sound device") != std::string::npos, m_told.front().c_str());
            BeepOutput beep(*devices.port, *devices.midi);
            beep.beepPitch = 100;
            beep.beepDuration = 25;
            QElapsedTimer timer;
            timer.start();
            beep.playBeep(false);
            beep.drain();
            // The beep still lasts about as long as it would sound.
            QVERIFY2(timer.elapsed() >= 60, qPrintable(QString::number(timer.elapsed())));
            QCOMPARE(m_told.size(), size_t(1));
        }
        qputenv("SDL_AUDIODRIVER", "disk");
    }
};

QTEST_GUILESS_MAIN(SdlSoundQtTest)
#include "SdlSoundQtTest.moc"
