#include "ui/Translations.h"

#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;

class TranslationsTest : public QObject {
    Q_OBJECT

private slots:
    // A folder with German and Canadian French, as a translator might add them.
    void choosesTheFirstLanguageThatHasOne_data() {
        QTest::addColumn<QStringList>("uiLanguages");
        QTest::addColumn<QString>("chosen");
        // clang-format off
        QTest::newRow("region dropped") << QStringList{"de-DE", "en-US"} << "de";
        QTest::newRow("region kept when it has one") << QStringList{"fr-CA", "fr"} << "fr_CA";
        QTest::newRow("none for the first: the next") << QStringList{"pt-BR", "ja", "de"} << "de";
        QTest::newRow("English first") << QStringList{"en-GB", "de-DE"} << "";
        // clang-format on
    }
    void choosesTheFirstLanguageThatHasOne() {
        QFETCH(QStringList, uiLanguages);
        QTemporaryDir folder;
        QVERIFY(writeFile(folder.filePath("lullwick_de.qm"), "x"));
        QVERIFY(writeFile(folder.filePath("lullwick_fr_CA.qm"), "x"));
        QTEST(Translations::choose(uiLanguages, folder.path()), "chosen");
    }

    // The built translations, with Qt's own for its standard buttons.
    void installsOursAndQtsOwn() {
        QCOMPARE(Translations::install(*QCoreApplication::instance(), {"ja", "de-AT"},
                                       QStringLiteral(LULLWICK_TRANSLATIONS_DIR)),
                 "de");
        QCOMPARE(QCoreApplication::translate("lullwick::MenuContent", "Start at Login"),
                 "Beim Anmelden starten");
        QCOMPARE(QCoreApplication::translate("lullwick::ConfirmationView", "Going to sleep in %ns…",
                                             nullptr, 1),
                 "Standby in 1\u00a0Sekunde\u00a0…");
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
    }
};

QTEST_GUILESS_MAIN(TranslationsTest)
#include "TranslationsTest.moc"
