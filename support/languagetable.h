#pragma once

#include <QLocale>
#include <QMap>
#include <QString>

// One language the host can run in, and the code the online help knows it by.
struct LanguageEntry
{
    int id = 2;
    QString displayName;
    QLocale::Language localeLanguage = QLocale::English;
    bool available = true;
    QString helpCode;
};

// The host's languages, by the host's language number and by locale language. Built anew for
// each help request.
class LanguageTable
{
public:
    LanguageTable();

    // The entry for the host's language number; 0 follows the operating system's locale.
    LanguageEntry currentHelpEntry(int hostLanguage, const QLocale &systemLocale) const;
    LanguageEntry defaultEntry() const { return m_default; }

private:
    void add(const LanguageEntry &entry);

    LanguageEntry m_default;
    QMap<int, LanguageEntry> m_byId;
    QMap<QLocale::Language, LanguageEntry> m_byLocale;
};
