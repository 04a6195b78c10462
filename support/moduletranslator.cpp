#include "moduletranslator.h"

#include "languagetable.h"
#include "supportconstants.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QPointer>
#include <QString>
#include <QTranslator>

namespace {
// Owned by the application object until the module removes it.
QPointer<QTranslator> g_translator;
} // namespace

QString ModuleTranslator::catalogue(int hostLanguage)
{
    if (hostLanguage == 0)
        return QString();
    const LanguageEntry entry = LanguageTable().currentHelpEntry(hostLanguage, QLocale::c());
    if (entry.id != hostLanguage)
        return QString();
    const QString code = QLocale(entry.localeLanguage).name().section(QLatin1Char('_'), 0, 0);
    const QString path = QStringLiteral("%1/%2%3.qm")
                             .arg(QLatin1String(kCatalogueFolder),
                                  QLatin1String(kCatalogueFilePrefix), code);
    return QFile::exists(path) ? path : QString();
}

bool ModuleTranslator::install(int hostLanguage)
{
    remove();
    const QString path = catalogue(hostLanguage);
    if (path.isEmpty() || !QCoreApplication::instance())
        return false;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(path) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    g_translator = translator;
    return true;
}

void ModuleTranslator::remove()
{
    if (!g_translator)
        return;
    QCoreApplication::removeTranslator(g_translator);
    delete g_translator;
}
