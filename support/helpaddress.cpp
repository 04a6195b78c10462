#include "helpaddress.h"

#include "hostaccess.h"
#include "languagetable.h"
#include "supportconstants.h"


QUrl HelpAddress::build(Variant variant, int hostLanguage, const QLocale &systemLocale)
{
    const LanguageEntry entry = LanguageTable().currentHelpEntry(hostLanguage, systemLocale);
    const QString path = QString::fromLatin1(variant == SaveDialog ? kSaveDialogHelpPath
                                                                   : kTaskPaneHelpPath)
                             .arg(entry.helpCode, QString::fromLatin1(kHelpVersion));
    return QUrl(QString::fromLatin1(kHelpSiteHost) + path, QUrl::TolerantMode);
}

QUrl HelpAddress::forHost(Variant variant)
{
    return build(variant, HostAccess::language());
}

void HelpAddress::open(Variant variant)
{
    HostAccess::openWebAddress(forHost(variant));
}
