#include "spacerole.h"

#include "database.h"

std::optional<SpaceRole::Level> SpaceRole::parse(const QString &name)
{
    const QString word = name.toLower();
    if (word == QLatin1String("reader"))
        return Reader;
    if (word == QLatin1String("editor"))
        return Editor;
    if (word == QLatin1String("manager"))
        return Manager;
    return std::nullopt;
}

QString SpaceRole::name(Level level)
{
    switch (level) {
    case Reader:
        return QStringLiteral("reader");
    case Editor:
        return QStringLiteral("editor");
    case Manager:
        return QStringLiteral("manager");
    }
    return QString();
}

SpaceRole::Level SpaceRole::stored(const QString &name)
{
    return parse(name).value_or(Reader);
}

void SpaceRole::requireWrite(Level level, const QString &space, Write write)
{
    if (level >= Editor)
        return;
    QString what;
    switch (write) {
    case Save:
        what = QStringLiteral("save to it");
        break;
    case Lock:
        what = QStringLiteral("lock or unlock its files");
        break;
    case Delete:
        what = QStringLiteral("delete from it");
        break;
    case RestoreVersion:
        what = QStringLiteral("restore versions in it");
        break;
    }
    throw ApiError(403, QStringLiteral("You can read %1 but not %2.").arg(space, what));
}
