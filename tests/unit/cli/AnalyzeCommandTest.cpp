#include "cli/AnalyzeCommand.h"

#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <sndfile.h>
#include <vector>

using namespace lullwick;

namespace {

// Writes frames x channels samples where channel 0 has clicks at the given seconds and
// channel 1 (if any) has its own clicks elsewhere.
bool writeScene(const QString& path, int format, int rate, int channels,
                const std::vector<double>& clicks0, const std::vector<double>& clicks1,
                double seconds) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<float> data(frames * static_cast<std::size_t>(channels), 0.0f);
    for (double t : clicks0)
        data[static_cast<std::size_t>(t * rate) * static_cast<std::size_t>(channels)] = 0.6f;
    for (double t : clicks1)
        data[static_cast<std::size_t>(t * rate) * static_cast<std::size_t>(channels) + 1] = 0.6f;
    sf_writef_float(file, data.data(), static_cast<sf_count_t>(frames));
    return sf_close(file) == 0;
}

struct Result {
    int status = -1;
    QString out;
    QString err;
};

Result analyze(const QString& path, Sensitivity sensitivity = Sensitivity::medium) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Result result;
    result.status = runAnalyze(path, sensitivity, out, err);
    auto slurp = [](std::FILE* f) {
        std::rewind(f);
        QByteArray text;
        char chunk[4096];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
            text.append(chunk, static_cast<qsizetype>(n));
        std::fclose(f);
        return QString::fromUtf8(text);
    };
    result.out = slurp(out);
    result.err = slurp(err);
    return result;
}

// The end time of the 1024-frame buffer holding sample t * rate.
QString bufferEnd(double t, int rate) {
    const auto frame = static_cast<long>(t * rate);
    return QString::number(double((frame / 1024 + 1) * 1024) / rate, 'f', 6);
}

} // namespace

class TestAnalyzeCommand : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void everyFormatGivesTheSameEventsFromChannelZero_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::newRow("wav 16-bit mono 44.1k") << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 44100 << 1;
        QTest::newRow("wav float stereo 48k") << (SF_FORMAT_WAV | SF_FORMAT_FLOAT) << 48000 << 2;
        QTest::newRow("flac stereo 48k") << (SF_FORMAT_FLAC | SF_FORMAT_PCM_16) << 48000 << 2;
        QTest::newRow("ogg vorbis mono") << (SF_FORMAT_OGG | SF_FORMAT_VORBIS) << 48000 << 1;
    }
    void everyFormatGivesTheSameEventsFromChannelZero() {
        QFETCH(int, format);
        QFETCH(int, rate);
        QFETCH(int, channels);
        const QString path =
            m_dir.filePath(QStringLiteral("scene-%1").arg(QTest::currentDataTag()));
        // A double clap on channel 0; on channel 1 a decoy pair that must be ignored.
        QVERIFY(writeScene(path, format, rate, channels, {1.0, 1.4}, {2.0, 2.3}, 3.0));
        const Result result = analyze(path);
        QCOMPARE(result.status, 0);
        QCOMPARE(result.err, QString());
        const QString expected = QStringLiteral("clap %1\nclap %2\ndouble-clap %2\n")
                                     .arg(bufferEnd(1.0, rate), bufferEnd(1.4, rate));
        QCOMPARE(result.out, expected);
    }

    void sensitivityIsApplied() {
        const QString path = m_dir.filePath(QStringLiteral("quiet.wav"));
        SF_INFO info{};
        info.samplerate = 48000;
        info.channels = 1;
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
        QVERIFY(file);
        std::vector<float> data(48000 * 2, 0.0f);
        data[48000 / 2] = 0.08f; // above high's 0.05, below medium's 0.12
        sf_writef_float(file, data.data(), static_cast<sf_count_t>(data.size()));
        sf_close(file);
        QCOMPARE(analyze(path, Sensitivity::medium).out, QString());
        QCOMPARE(analyze(path, Sensitivity::high).out.count(QStringLiteral("clap ")), 1);
    }

    void unreadableFilesFailWithOneLine() {
        const QString missing = m_dir.filePath(QStringLiteral("missing.wav"));
        Result result = analyze(missing);
        QCOMPARE(result.status, 1);
        QVERIFY(result.err.contains(missing));
        QCOMPARE(result.err.count(u'\n'), 1);
        QCOMPARE(result.out, QString());

        const QString text = m_dir.filePath(QStringLiteral("notes.wav"));
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("these are not sounds\n");
        file.close();
        result = analyze(text);
        QCOMPARE(result.status, 1);
        QVERIFY(result.err.contains(text));
    }

    void emptyFileHasNoEvents() {
        const QString path = m_dir.filePath(QStringLiteral("empty.wav"));
        QVERIFY(writeScene(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 1, {}, {}, 0.0));
        const Result result = analyze(path);
        QCOMPARE(result.status, 0);
        QCOMPARE(result.out, QString());
    }
};

QTEST_GUILESS_MAIN(TestAnalyzeCommand)
#include "AnalyzeCommandTest.moc"
