#include "titleblockcommands.h"

#include "accountstore.h"
#include "listing.h"
#include "titleblockmapping.h"
#include "usageerror.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

TitleBlockCommands::TitleBlockCommands(const QCommandLineParser &parser, QTextStream &out)
    : m_parser(parser), m_out(out)
{
}

bool TitleBlockCommands::run(const QStringList &words)
{
    if (words.value(0) != QLatin1String("titleblock"))
        return false;
    const QString command = words.value(1);
    const bool setting = command == QLatin1String("set");
    if (!setting && command != QLatin1String("show") && command != QLatin1String("reset"))
        throw UsageError("titleblock takes show, set or reset");
    if (setting ? words.size() < 3 : words.size() != 2)
        throw UsageError("wrong number of arguments");
    const qint64 tenant = AccountStore::tenantId(m_parser.value(QStringLiteral("tenant")));
    if (setting) {
        const QString property = words.at(2);
        if (!TitleBlockMapping::properties().contains(property))
            throw UsageError("a title block property is number, title, revision or sheet");
        const QStringList tags = words.mid(3);
        for (const QString &tag : tags) {
            const QString problem = TitleBlockMapping::tagProblem(tag);
            if (!problem.isEmpty())
                throw UsageError(problem.toStdString());
        }
        TitleBlockMapping::set(tenant, property, tags);
    } else if (command == QLatin1String("reset")) {
        TitleBlockMapping::reset(tenant);
    }
    print(tenant);
    return true;
}

void TitleBlockCommands::print(qint64 tenantId)
{
    const QJsonObject mapping = TitleBlockMapping::read(tenantId);
    if (m_parser.isSet(QStringLiteral("json"))) {
        m_out << QJsonDocument(QJsonObject{{QStringLiteral("mapping"), mapping}}).toJson();
        return;
    }
    Listing listing({QStringLiteral("property"), QStringLiteral("tags")});
    for (const QString &property : TitleBlockMapping::properties()) {
        const QStringList tags = mapping.value(property).toVariant().toStringList();
        listing.append({property, tags.isEmpty() ? QVariant() : tags.join(QLatin1Char(' '))});
    }
    m_out << listing.text();
}
