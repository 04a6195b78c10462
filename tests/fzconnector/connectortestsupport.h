#pragma once

#include "fzfileinfo.h"
#include "lintraaurexconnectorwrapper.h"
#include "platformprocess.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <memory>
#include <string>
#include <vector>

// Helpers shared by the connector tests: records built from key/value maps, sign-in against a
// test platform, and file checksums.
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

inline bool signIn(const PlatformProcess &platform, const QString &user, const QString &password)
{
    LintraAurexConnectorWrapper *c = connector();
    c->SetProxySettings(QString(), 0, QString(), QString());
    c->SetTenant(QString());
    c->SetServer(platform.serverHost());
    return c->LxGatepassLogin(user, password, platform.serverHost(), QString(), platform.casUrl());
}

// Titles of the search list, in the platform's order.
inline QStringList searchTitles()
{
    QStringList titles;
    for (int i = 0; i < connector()->GetSearchListSize(); ++i)
        titles << QString::fromStdString(connector()->GetSearchFileAt(i)->GetTitle());
    return titles;
}

inline QStringList transactionTitles()
{
    QStringList titles;
    for (int i = 0; i < connector()->GetTransactionListSize(); ++i)
        titles << QString::fromStdString(connector()->GetTransactionFileAt(i)->GetTitle());
    return titles;
}

// The first object of that title the platform shows the signed-in user, as a copy.
inline Record find(const QString &title)
{
    Record query = record({{QStringLiteral("_TypePattern"), QStringLiteral("*")},
                           {QStringLiteral("_or_title_0"), title}});
    if (!connector()->SearchPattern(query.get()) || connector()->GetSearchListSize() == 0)
        return nullptr;
    return std::make_unique<FzFileInfo>(*connector()->GetSearchFileAt(0));
}

// A file's SHA-256 in hex, read in blocks; empty when it cannot be read.
QByteArray sha256Of(const QString &path);

// A file of that many zero bytes, sparse, so that making it costs no time.
bool makeSparseFile(const QString &path, qint64 size);
// A record that checks the file in as a new object of the space, under a fresh automatic name.
Record newFileRecord(const QString &path, const char *space);

// This process's peak resident memory since the last resetPeakMemory(), from the kernel.
qint64 peakMemory();
// Lowers the peak to the memory in use now; returns that, or -1.
qint64 resetPeakMemory();

} // namespace connectortest
