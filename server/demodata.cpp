#include "demodata.h"

#include "accountstore.h"
#include "checkin.h"
#include "credentials.h"
#include "database.h"
#include "drawingproperties.h"
#include "objectstore.h"
#include "platformconstants.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

struct DemoUser {
    const char *login;
    const char *password;
    const char *firstName;
    const char *lastName;
    QStringList spaces;
};

const char kCommonSpace[] = "Common Space";

QList<DemoUser> demoUsers()
{
    return {
        {"alice", "alice-demo-pw", "Alice", "Martin",
         {QString::fromLatin1(kCommonSpace), QStringLiteral("Bridge Project"),
          QStringLiteral("Harbour Works")}},
        {"bob", "bob-demo-pw", "Bob", "Keller",
         {QString::fromLatin1(kCommonSpace), QStringLiteral("Bridge Project")}},
        {"carol", "carol-demo-pw", "Carol", "Jensen",
         {QString::fromLatin1(kCommonSpace), QStringLiteral("Harbour Works")}},
    };
}

QByteArray demoFile(const QString &name)
{
    QFile file(QStringLiteral(":/demo/files/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw ApiError(500, QStringLiteral("demo file %1 is missing").arg(name));
    return file.readAll();
}

QByteArray previewJpeg(const QString &pngName)
{
    QImage image;
    if (!image.loadFromData(demoFile(pngName), "PNG"))
        throw ApiError(500, QStringLiteral("demo preview %1 cannot be read").arg(pngName));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG"))
        throw ApiError(500, QStringLiteral("JPEG images cannot be written on this machine"));
    return jpeg;
}

// The record properties of what a drawing's title block says, as the manifest gives it and
// the module would read it.
QJsonObject titleBlockProperties(const QJsonObject &drawing)
{
    const QJsonObject block = drawing.value(QStringLiteral("titleBlock")).toObject();
    const char *const manifestKeys[DrawingProperties::FieldCount] = {"number", "title",
                                                                     "revision", "sheet"};
    QJsonObject properties;
    for (int field = 0; field < DrawingProperties::FieldCount; ++field) {
        if (block.contains(QLatin1String(manifestKeys[field])))
            properties.insert(QLatin1String(DrawingProperties::key(field)),
                              block.value(QLatin1String(manifestKeys[field])));
    }
    return properties;
}

Caller callerFor(const QString &login)
{
    Caller caller;
    caller.userId = AccountStore::userId(login);
    caller.tenantId = AccountStore::tenantId(QString());
    caller.login = login;
    return caller;
}

// Builds the check-in of one drawing with its preview, its references and its attachments.
class DemoCheckIn
{
public:
    void add(int parent, const QString &title, const QString &name, const QString &space,
             const QByteArray &bytes, const char *relation,
             const QJsonObject &properties = QJsonObject())
    {
        const double offset = static_cast<double>(m_contents.size());
        m_contents += bytes;
        QJsonObject record{{QStringLiteral("parent"), parent},
                           {QStringLiteral("title"), title},
                           {QStringLiteral("name"), name},
                           {QStringLiteral("collabspace"), space},
                           {QStringLiteral("selected"), QStringLiteral("true")},
                           {QStringLiteral("maintainlock"), QStringLiteral("false")},
                           {QStringLiteral("offset"), offset},
                           {QStringLiteral("size"), bytes.size()},
                           {QStringLiteral("sha256"), Credentials::sha256Hex(bytes)}};
        if (relation)
            record.insert(QStringLiteral("_RelationToParent"), QLatin1String(relation));
        for (auto it = properties.begin(); it != properties.end(); ++it)
            record.insert(it.key(), it.value());
        m_records.append(record);
    }

    QList<ObjectRow> run(const Caller &caller, AccountStore &accounts, const QString &comment)
    {
        CheckIn checkIn(caller, accounts);
        QBuffer contents(&m_contents);
        contents.open(QIODevice::ReadOnly);
        return checkIn.run(QJsonObject{{QStringLiteral("records"), m_records},
                                       {QStringLiteral("comment"), comment}},
                           &contents);
    }

private:
    QJsonArray m_records;
    QByteArray m_contents;
};

} // namespace

void DemoData::create(AccountStore &accounts, QTextStream &out)
{
    if (Database::value(QStringLiteral("SELECT 1 FROM users WHERE login = ?"),
                        {QStringLiteral("alice")})
            .isValid())
        throw ApiError(409, QStringLiteral("the demo data is there already"));

    QStringList spaces;
    for (const DemoUser &user : demoUsers()) {
        for (const QString &space : user.spaces) {
            if (!spaces.contains(space)) {
                accounts.addSpace(QString(), space);
                spaces << space;
            }
        }
    }
    for (const DemoUser &user : demoUsers()) {
        const QString login = QLatin1String(user.login);
        accounts.addUser(login, QLatin1String(user.firstName), QLatin1String(user.lastName),
                         login + QStringLiteral("@example.com"), QLatin1String(user.password));
        for (const QString &space : user.spaces) {
            AccountStore::MemberChange change;
            change.preferred = space == QLatin1String(kCommonSpace);
            accounts.setMember(AccountStore::tenantId(QString()), space, login, change);
        }
    }

    QFile manifestFile(QStringLiteral(":/demo/manifest.json"));
    if (!manifestFile.open(QIODevice::ReadOnly))
        throw ApiError(500, QStringLiteral("the demo manifest is missing"));
    const QJsonArray drawings = QJsonDocument::fromJson(manifestFile.readAll()).array();

    const Caller owner = callerFor(QStringLiteral("alice"));
    ObjectStore store(owner);
    QHash<QString, QString> names; // title -> platform name, one object per title
    QHash<QString, QJsonObject> titleBlocks; // title -> its title block's record properties
    auto nameFor = [&](const QString &title) {
        if (!names.contains(title))
            names.insert(title, store.autonames(1).first());
        return names.value(title);
    };
    // The names go in the order of the manifest, whatever is checked in first: scripts and
    // tests know the demo's files by them.
    for (const QJsonValue &value : drawings) {
        const QJsonObject drawing = value.toObject();
        nameFor(drawing.value(QStringLiteral("title")).toString());
        titleBlocks.insert(drawing.value(QStringLiteral("title")).toString(),
                           titleBlockProperties(drawing));
        for (const char *list : {"references", "attachments"}) {
            for (const QJsonValue &child : drawing.value(QLatin1String(list)).toArray())
                nameFor(child.toString());
        }
    }
    // piers.dxf has a history before the drawings are issued: alice's first issue, then bob's
    // change, each a DXF comment away from the file as issued.
    const struct
    {
        const char *login;
        const char *note;
        const char *comment;
    } piersHistory[] = {
        {"alice", "First issue", "First issue of the piers and their rebar"},
        {"bob", "East pier moved",
         "Moved the east pier 2 m north\nThe ground survey found rock there."},
    };
    for (const auto &version : piersHistory) {
        DemoCheckIn checkIn;
        const QString piers = QStringLiteral("piers.dxf");
        checkIn.add(-1, piers, nameFor(piers), QLatin1String(kCommonSpace),
                    "999\n" + QByteArray(version.note) + '\n' + demoFile(piers), nullptr,
                    titleBlocks.value(piers));
        const QString rebar = QStringLiteral("rebar.dxf");
        checkIn.add(0, rebar, nameFor(rebar), QLatin1String(kCommonSpace), demoFile(rebar),
                    platform::kRelationSubcomponent);
        checkIn.run(callerFor(QLatin1String(version.login)), accounts,
                    QLatin1String(version.comment));
    }

    QHash<QString, QString> lockers;
    for (const QJsonValue &value : drawings) {
        const QJsonObject drawing = value.toObject();
        const QString title = drawing.value(QStringLiteral("title")).toString();
        const QString space = drawing.value(QStringLiteral("space")).toString();
        DemoCheckIn checkIn;
        checkIn.add(-1, title, nameFor(title), space, demoFile(title), nullptr,
                    titleBlocks.value(title));
        const QString previewTitle = title.section(QLatin1Char('.'), 0, 0) + QStringLiteral(".jpg");
        checkIn.add(0, previewTitle, QString(), space,
                    previewJpeg(drawing.value(QStringLiteral("preview")).toString()),
                    platform::kRelationDerivedOutput);
        QJsonArray children = drawing.value(QStringLiteral("references")).toArray();
        for (const QJsonValue &attachment : drawing.value(QStringLiteral("attachments")).toArray())
            children.append(attachment);
        for (const QJsonValue &child : children) {
            const QString childTitle = child.toString();
            checkIn.add(0, childTitle, nameFor(childTitle), space, demoFile(childTitle),
                        platform::kRelationSubcomponent, titleBlocks.value(childTitle));
        }
        checkIn.run(owner, accounts, QStringLiteral("Issued for review"));
        const QString locker = drawing.value(QStringLiteral("lockedBy")).toString();
        if (!locker.isEmpty())
            lockers.insert(title, locker);
    }
    for (auto it = lockers.cbegin(); it != lockers.cend(); ++it)
        ObjectStore(callerFor(it.value())).lock(QJsonObject{{QStringLiteral("name"),
                                                             names.value(it.key())}});

    out << "Demo data created.\n\nUsers (user name / password / spaces):\n";
    for (const DemoUser &user : demoUsers()) {
        out << "  " << user.login << " / " << user.password << " / " << user.spaces.join(", ")
            << "\n";
    }
    out << "\nDrawings (title, platform name, id):\n";
    for (const QJsonValue &value : drawings) {
        const QString title = value.toObject().value(QStringLiteral("title")).toString();
        const QString name = names.value(title);
        const std::optional<ObjectRow> row =
            store.resolve(QJsonObject{{QStringLiteral("name"), name}});
        out << "  " << title << "  " << name << "  " << (row ? row->phid : QString()) << "\n";
    }
}
