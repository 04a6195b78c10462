// Each translation catalogue of the module against the texts its code offers for translation
// today, as lupdate finds them: every text has a finished translation, the catalogue keeps no
// text the code has dropped, and each translation keeps its source's placeholders and mnemonic.

#include <QtTest>

namespace {

struct Message
{
    bool finished = false;
    bool numerus = false;
    QStringList forms; // one translation, or one per plural form
};

// A message is known by its context, source text and disambiguating comment.
using MessageKey = QString;

MessageKey keyOf(const QString &context, const QString &source, const QString &comment)
{
    return context + QLatin1Char('\x1f') + source + QLatin1Char('\x1f') + comment;
}

QString describe(const MessageKey &key)
{
    const QStringList parts = key.split(QLatin1Char('\x1f'));
    return QStringLiteral("%1: \"%2\"").arg(parts.value(0), parts.value(1));
}

bool readCatalogue(const QString &path, QHash<MessageKey, Message> *messages, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    QXmlStreamReader xml(&file);
    QString context;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
            continue;
        }
        if (xml.name() != QLatin1String("message"))
            continue;
        Message message;
        message.numerus = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
        QString source;
        QString comment;
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("source")) {
                source = xml.readElementText();
            } else if (xml.name() == QLatin1String("comment")) {
                comment = xml.readElementText();
            } else if (xml.name() == QLatin1String("translation")) {
                message.finished = xml.attributes().value(QLatin1String("type")).isEmpty();
                if (message.numerus) {
                    while (xml.readNextStartElement())
                        message.forms << xml.readElementText();
                } else {
                    message.forms << xml.readElementText();
                }
            } else {
                xml.skipCurrentElement();
            }
        }
        messages->insert(keyOf(context, source, comment), message);
    }
    if (xml.hasError()) {
        *error = xml.errorString();
        return false;
    }
    return true;
}

// Placeholders as QString::arg() and tr()'s count fill them: %1 to %99, %L1, %n, %Ln.
QStringList placeholders(const QString &text)
{
    static const QRegularExpression marker(QStringLiteral("%L?(?:[1-9][0-9]?|n)"));
    QStringList found;
    for (auto match = marker.globalMatch(text); match.hasNext();)
        found << match.next().captured();
    found.sort();
    found.removeDuplicates();
    return found;
}

// The mnemonic a button or menu text marks with "&" ("&&" is a plain ampersand).
int mnemonics(const QString &text)
{
    QString plain = text;
    plain.remove(QStringLiteral("&&"));
    return plain.count(QLatin1Char('&'));
}

QStringList catalogues()
{
    return QDir(QStringLiteral(AUREX_CATALOGUE_DIR))
        .entryList({ QStringLiteral("aurex_*.ts") }, QDir::Files, QDir::Name);
}

} // namespace

class TestCatalogues : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(!catalogues().isEmpty());
        // The texts the code offers today, as a fresh catalogue of no language.
        const QString fresh = m_dir.filePath(QStringLiteral("code.ts"));
        QStringList arguments = QString::fromUtf8(AUREX_MODULE_SOURCES).split(QLatin1Char(','));
        arguments << QStringLiteral("-locations") << QStringLiteral("none")
                  << QStringLiteral("-ts") << fresh;
        QProcess lupdate;
        lupdate.start(QStringLiteral(AUREX_LUPDATE), arguments);
        QVERIFY(lupdate.waitForFinished(90000));
        const QByteArray warnings = lupdate.readAllStandardError();
        QVERIFY2(lupdate.exitStatus() == QProcess::NormalExit && lupdate.exitCode() == 0,
                 warnings.constData());
        // A tr() lupdate cannot place in a context is a text no catalogue can translate.
        QVERIFY2(!warnings.contains("cannot be called without context")
                     && !warnings.contains("lacks Q_OBJECT"),
                 warnings.constData());
        QString error;
        QVERIFY2(readCatalogue(fresh, &m_code, &error), qPrintable(error));
        QVERIFY(m_code.size() > 100);
    }

    void everyTextIsTranslated_data()
    {
        QTest::addColumn<QString>("catalogue");
        for (const QString &name : catalogues())
            QTest::newRow(qPrintable(name)) << name;
    }

    // Every text of the code has a finished translation, in every plural form its language
    // has; the catalogue holds nothing the code no longer says.
    void everyTextIsTranslated()
    {
        QFETCH(QString, catalogue);
        QHash<MessageKey, Message> translated;
        QString error;
        QVERIFY2(readCatalogue(QDir(AUREX_CATALOGUE_DIR).filePath(catalogue), &translated, &error),
                 qPrintable(error));
        QStringList problems;
        for (auto it = m_code.cbegin(); it != m_code.cend(); ++it) {
            const auto found = translated.constFind(it.key());
            if (found == translated.cend())
                problems << QStringLiteral("missing ") + describe(it.key());
            else if (!found->finished)
                problems << QStringLiteral("unfinished ") + describe(it.key());
            else if (found->numerus != it->numerus)
                problems << QStringLiteral("plural forms disagree ") + describe(it.key());
            else if (found->forms.isEmpty() || found->forms.contains(QString()))
                problems << QStringLiteral("empty ") + describe(it.key());
        }
        for (auto it = translated.cbegin(); it != translated.cend(); ++it) {
            if (!m_code.contains(it.key()))
                problems << QStringLiteral("no longer in the code ") + describe(it.key());
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    void translationsKeepTheirMarkers_data() { everyTextIsTranslated_data(); }

    // Each translation fills the same placeholders as its source, and marks a mnemonic where
    // the source does.
    void translationsKeepTheirMarkers()
    {
        QFETCH(QString, catalogue);
        QHash<MessageKey, Message> translated;
        QString error;
        QVERIFY2(readCatalogue(QDir(AUREX_CATALOGUE_DIR).filePath(catalogue), &translated, &error),
                 qPrintable(error));
        QStringList problems;
        for (auto it = translated.cbegin(); it != translated.cend(); ++it) {
            const QString source = it.key().section(QLatin1Char('\x1f'), 1, 1);
            for (const QString &form : it->forms) {
                if (placeholders(form) != placeholders(source))
                    problems << QStringLiteral("placeholders of \"%1\" in \"%2\"")
                                    .arg(source, form);
                if (mnemonics(form) != mnemonics(source))
                    problems << QStringLiteral("mnemonic of \"%1\" in \"%2\"").arg(source, form);
            }
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

private:
    QTemporaryDir m_dir;
    QHash<MessageKey, Message> m_code;
};

QTEST_MAIN(TestCatalogues)
#include "tst_catalogues.moc"
