#pragma once

#include "fzfileinfo.h"
#include "lintraaurexconnectorwrapper.h"
#include "platformprocess.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStringList>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

// Helpers shared by the connector tests: records built from key/value maps, sign-in against a
// test platform, files and their checksums.
namespace connectortest {

using Record = std::unique_ptr<FzFileInfo>;

inline LintraAurexConnectorWrapper *connector()
{
    return LintraAurexConnectorWrapper::GetInstance();
}

inline Record record(const QMap<QString, QString> &properties)
{
    Record out = std::make_unique<FzFileInfo>();
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        out->SetProperty(it.key().toStdString(), it.value().toStdString());
    return out;
}

inline QString valueOf(const FzFileInfo *record, const char *key)
{
    return record ? QString::fromStdString(record->GetProperty(key)) : QString();
}

// Signs a demo user in with the demo's password.
inline bool signIn(const PlatformProcess &platform, const QString &user)
{
    connector()->SetServer(platform.serverHost());
    return connector()->LxGatepassLogin(user, user + QStringLiteral("-demo-pw"),
                                        platform.serverHost(), QString(), platform.casUrl());
}

// Counts what the connector reports as moved while it lives, and stops the transfer once
// cancelAt bytes have moved, if that is set.
struct Observed {
    Observed()
    {
        LintraAurexConnectorWrapper::SetTransferObserver([this](qint64 moved) {
            const qint64 total = bytes += moved;
            return cancelAt < 0 || total < cancelAt;
        });
    }
    ~Observed() { LintraAurexConnectorWrapper::SetTransferObserver(nullptr); }
    std::atomic<qint64> bytes{0};
    std::atomic<qint64> cancelAt{-1};
};

// The files of a folder, hidden ones too, by name.
inline QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Downloads the object of the record into folder; one failure for each file that did not arrive.
inline std::vector<std::string> downloadInto(FzFileInfo *record, const QString &folder)
{
    record->SetProperty("_LOCALDOWNLOADFOLDER", folder.toStdString());
    return connector()->Download_Block(std::vector<FzFileInfo *>{record});
}

// Titles of the search list, or of the transaction list, in the platform's order.
inline QStringList titles(bool transactions = false)
{
    QStringList titles;
    const int count = transactions ? connector()->GetTransactionListSize()
                                   : connector()->GetSearchListSize();
    for (int i = 0; i < count; ++i) {
        titles << QString::fromStdString((transactions ? connector()->GetTransactionFileAt(i)
                                                       : connector()->GetSearchFileAt(i))
                                             ->GetTitle());
    }
    return titles;
}

// One line per record of the transaction list: the values of the keys, joined by "|".
inline QStringList transactionLines(const QStringList &keys)
{
    QStringList lines;
    for (int i = 0; i < connector()->GetTransactionListSize(); ++i) {
        QStringList values;
        for (const QString &key : keys)
            values << valueOf(connector()->GetTransactionFileAt(i), key.toLatin1().constData());
        lines << values.join(QLatin1Char('|'));
    }
    return lines;
}

// The first object of that title the platform shows the signed-in user, as a copy.
inline Record find(const QString &title)
{
    Record query = record({{"_TypePattern", "*"}, {"_or_title_0", title}});
    if (!connector()->SearchPattern(query.get()) || connector()->GetSearchListSize() == 0)
        return nullptr;
    return std::make_unique<FzFileInfo>(*connector()->GetSearchFileAt(0));
}

// Writes a file of these bytes into folder; its path, or "" when it could not be written.
inline QString writeFile(const QString &folder, const QString &name, const QByteArray &bytes)
{
    const QString path = folder + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

// A file's SHA-256 in hex, read in blocks; empty when it cannot be read.
inline QByteArray sha256Of(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QByteArray();
    return hash.result().toHex();
}

// A record that checks the file in as the object of that name (a new one in the space when the
// name is fresh).
inline Record fileRecord(const QString &path, const std::string &name, const char *space)
{
    Record out = std::make_unique<FzFileInfo>();
    out->SetPath(path.toStdString());
    out->SetTitle(QFileInfo(path).fileName().toStdString());
    out->SetName(name);
    out->SetProperty("collabspace", space);
    out->SetProperty("selected", "true");
    return out;
}

// A record that checks the file in as a new object of the space, under a fresh automatic name.
inline Record newFileRecord(const QString &path, const char *space)
{
    const Record request = record({{"_count", "1"}});
    const std::vector<std::string> names = connector()->GetAutoname_Block(request.get());
    return fileRecord(path, names.empty() ? std::string() : names.front(), space);
}

// Three saves of one file with comments, by alice, bob and alice again, then one more by bob
// of the same bytes; the file's record as alice finds it afterwards. The version list of the
// object is then "3|alice|third", "2|bob|second", "1|alice|first" (revision, _ModifiedBy,
// _Comment), the bytes of version N being "version N of TITLE".
inline Record saveThreeVersions(const PlatformProcess &platform, const QString &folder,
                                const QString &title, const char *space)
{
    const struct {
        const char *user;
        int version;
        const char *comment;
    } saves[] = {{"alice", 1, "first"}, {"bob", 2, "second"}, {"alice", 3, "third"},
                 {"bob", 3, "unchanged"}};
    std::string name;
    for (const auto &save : saves) {
        if (!signIn(platform, QString::fromLatin1(save.user)))
            return nullptr;
        const QString path = writeFile(
            folder, title, QStringLiteral("version %1 of %2").arg(save.version).arg(title).toUtf8());
        const Record saved = name.empty() ? newFileRecord(path, space)
                                          : fileRecord(path, name, space);
        name = saved->GetName();
        if (!connector()->CheckIn(saved.get(), QString::fromLatin1(save.comment)))
            return nullptr;
    }
    return signIn(platform, QStringLiteral("alice")) ? find(title) : nullptr;
}

} // namespace connectortest
