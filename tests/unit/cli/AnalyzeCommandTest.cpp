#include "cli/AnalyzeCommand.h"

#include "support/AnalyzeRun.h"

#include <QTemporaryDir>
#include <QTest>
#include <sndfile.h>
#include <vector>

using namespace lullwick;

class AnalyzeCommandTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // The exit status, what was printed and what was complained of, joined by "|".
    static QString analyze(const QString& path) {
        const AnalyzeRun run(path, Sensitivity::medium);
        return QString::number(run.status) + u'|' + run.out + u'|' + run.err;
    }

    // Channel 0 claps at 1.0 s and 1.4 s; channel 1, where there is one, at 2.0 s and 2.3 s.
    QString writeScene(int format, int channels, int rate, double seconds) {
        const QString path = m_dir.filePath(QStringLiteral("%1.%2").arg(format).arg(seconds));
        SF_INFO info{0, rate, channels, format, 0, 0};
        SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
        const auto frames = std::size_t(seconds * rate), width = std::size_t(channels);
        std::vector<float> data(frames * width, 0.0f);
        for (double t : {1.0, 1.4, 2.0, 2.3})
            if (t < seconds && (t < 2.0 || channels > 1))
                data[std::size_t(t * rate) * width + (t < 2.0 ? 0 : 1)] = 0.6f;
        sf_writef_float(file, data.data(), sf_count_t(frames));
        return sf_close(file) == 0 ? path : QString();
    }

private slots:
    // Each event is stamped with the end of the 1024-frame buffer that holds it.
    void readsChannelZeroOfEveryFormat_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("rate");
        QTest::newRow("flac stereo") << (SF_FORMAT_FLAC | SF_FORMAT_PCM_16) << 2 << 48000;
        QTest::newRow("ogg vorbis") << (SF_FORMAT_OGG | SF_FORMAT_VORBIS) << 1 << 48000;
    }
    void readsChannelZeroOfEveryFormat() {
        QFETCH(int, format);
        QFETCH(int, channels);
        QFETCH(int, rate);
        const auto end = [&](double t) {
            return QString::number((int(t * rate) / 1024 + 1) * 1024.0 / rate, 'f', 6);
        };
        QCOMPARE(analyze(writeScene(format, channels, rate, 3.0)),
                 QStringLiteral("0|clap %1\nclap %2\ndouble-clap %2\n|").arg(end(1.0), end(1.4)));
    }

    void emptyAndUnreadableFiles() {
        QCOMPARE(analyze(writeScene(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 48000, 0.0)), "0||");
        for (const QString& path :
             {m_dir.filePath("missing.wav"), QFINDTESTDATA("AnalyzeCommandTest.cpp")}) {
            const QString result = analyze(path);
            QVERIFY(result.startsWith("1||lullwick: cannot read " + path + ": "));
            QCOMPARE(result.count(u'\n'), 1);
        }
    }
};

QTEST_GUILESS_MAIN(AnalyzeCommandTest)
#include "AnalyzeCommandTest.moc"
