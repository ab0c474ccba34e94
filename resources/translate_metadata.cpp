// Writes the desktop entry and the AppStream metadata with the translations of their texts,
// taken from the program's own compiled translations, so that one .ts file per language
// carries everything a person reads.
//
//   lullwick_translate_metadata <desktop in> <desktop out> <metainfo in> <metainfo out>
//                               <language>=<file.qm>…
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr const char* context = "Metadata";

// Every text of the two files that is translated, as the files have it (white space of the
// metadata's paragraphs run together). A text in the files but not here stops the build.
constexpr const char* texts[] = {
    QT_TRANSLATE_NOOP("Metadata", "Clap to Sleep"),
    QT_TRANSLATE_NOOP("Metadata", "Clap twice to put the computer to sleep"),
    //: Search words, each ending in a semicolon; not translated one by one.
    QT_TRANSLATE_NOOP("Metadata", "sleep;suspend;clap;microphone;"),
    QT_TRANSLATE_NOOP(
        "Metadata",
        "Lullwick lives in the system tray and listens to the default microphone. When it hears "
        "a double clap, two short sharp claps a moment apart, it asks for confirmation with a "
        "card that counts down from ten, or puts the computer to sleep at once, as you choose. "
        "While a video is playing the card cancels itself, so that applause in a film never "
        "stops the film."),
    QT_TRANSLATE_NOOP(
        "Metadata",
        "Listening can be limited to daily listening hours; outside them, and whenever "
        "listening is switched off, the microphone is fully closed. A setup assistant walks "
        "through the microphone, the sleep behaviour, the listening hours and a practice clap."),
    QT_TRANSLATE_NOOP("Metadata", "Permissions it needs:"),
    QT_TRANSLATE_NOOP("Metadata",
                      "The microphone, and only after you allowed it in Lullwick's own question. "
                      "Audio is analysed in memory, 1024 samples at a time, and never recorded, "
                      "stored or sent anywhere."),
    QT_TRANSLATE_NOOP("Metadata",
                      "Putting the computer to sleep, which it asks of the system (systemd or "
                      "elogind)."),
    QT_TRANSLATE_NOOP("Metadata", "Reading the desktop's lists of programs that keep the screen "
                                  "awake, to tell a film."),
    QT_TRANSLATE_NOOP("Metadata", "Starting at login, only when you switch that on."),
    QT_TRANSLATE_NOOP("Metadata",
                      "The commands lullwick analyze and lullwick listen show what the clap "
                      "detector hears in a sound file or from the microphone."),
};

struct Language {
    QString name;
    std::unique_ptr<QTranslator> translator;
};

QString translated(const Language& language, const QString& text) {
    return language.translator->translate(context, text.toUtf8().constData());
}

void checkKnown(const QString& text, const QString& file) {
    static const QSet<QString> known = [] {
        QSet<QString> set;
        for (const char* t : texts)
            set.insert(QString::fromUtf8(t));
        return set;
    }();
    if (!known.contains(text)) {
        std::fprintf(stderr, "%s: text not in translate_metadata.cpp: %s\n", qPrintable(file),
                     qPrintable(text));
        std::exit(1);
    }
}

QString desktopEntry(const QString& in, const QString& file,
                     const std::vector<Language>& languages) {
    QString out;
    for (const QString& line : in.split(u'\n')) {
        out += line + u'\n';
        const QString key = line.section(u'=', 0, 0);
        if (key != QLatin1String("GenericName") && key != QLatin1String("Comment") &&
            key != QLatin1String("Keywords"))
            continue;
        const QString value = line.section(u'=', 1);
        checkKnown(value, file);
        for (const Language& language : languages)
            if (const QString text = translated(language, value); !text.isEmpty())
                out += QStringLiteral("%1[%2]=%3\n").arg(key, language.name, text);
    }
    return out.chopped(1);
}

// The summary, and the paragraphs and list items of the first description: that of the
// program, not of a release.
QString metainfo(QString in, const QString& file, const std::vector<Language>& languages,
                 const QString& keywords) {
    const qsizetype end = in.indexOf(QLatin1String("</description>"));
    static const QRegularExpression element(
        QStringLiteral(R"(\n( *)<(summary|p|li)>\s*(.*?)\s*</\2>)"),
        QRegularExpression::DotMatchesEverythingOption);
    QString out;
    qsizetype done = 0;
    for (auto it = element.globalMatch(in); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.capturedStart() > end)
            break;
        const QString indent = match.captured(1), tag = match.captured(2);
        const QString text = match.captured(3).simplified();
        checkKnown(text, file);
        out += in.mid(done, match.capturedEnd() - done);
        done = match.capturedEnd();
        for (const Language& language : languages)
            if (const QString t = translated(language, text); !t.isEmpty())
                out += QStringLiteral("\n%1<%2 xml:lang=\"%3\">%4</%2>")
                           .arg(indent, tag, language.name, t.toHtmlEscaped());
    }
    out += in.mid(done);

    // The search words of the desktop entry, one keyword element each.
    QString words;
    for (const Language& language : languages)
        for (const QString& word : translated(language, keywords).split(u';', Qt::SkipEmptyParts))
            words += QStringLiteral("    <keyword xml:lang=\"%1\">%2</keyword>\n")
                         .arg(language.name, word.toHtmlEscaped());
    return out.replace(QLatin1String("  </keywords>"), words + QLatin1String("  </keywords>"));
}

QString read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(1);
    }
    return QString::fromUtf8(file.readAll());
}

void write(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 4) {
        std::fprintf(stderr,
                     "usage: %s <desktop in> <desktop out> <metainfo in> <metainfo out> "
                     "<language>=<file.qm>...\n",
                     argv[0]);
        return 2;
    }
    std::vector<Language> languages;
    for (const QString& arg : args.mid(4)) {
        Language language{arg.section(u'=', 0, 0), std::make_unique<QTranslator>()};
        if (!language.translator->load(arg.section(u'=', 1))) {
            std::fprintf(stderr, "cannot load %s\n", qPrintable(arg.section(u'=', 1)));
            return 1;
        }
        languages.push_back(std::move(language));
    }
    const QString desktop = read(args[0]);
    write(args[1], desktopEntry(desktop, args[0], languages));
    static const QRegularExpression keywordsLine(QStringLiteral("^Keywords=(.*)$"),
                                                 QRegularExpression::MultilineOption);
    write(args[3],
          metainfo(read(args[2]), args[2], languages, keywordsLine.match(desktop).captured(1)));
    return 0;
}
