#include "languagetable.h"

#include <QCoreApplication>

namespace {

struct Row
{
    int id;
    const char *helpCode;
    const char *displayName;
    QLocale::Language language;
};

// The help site spells the two Chinese codes with a capital letter.
const Row kRows[] = {
    { 0, "", QT_TRANSLATE_NOOP("LanguageTable", "System"), QLocale::C },
    { 1, "german", QT_TRANSLATE_NOOP("LanguageTable", "German"), QLocale::German },
    { 2, "english", QT_TRANSLATE_NOOP("LanguageTable", "English"), QLocale::English },
    { 3, "turkish", QT_TRANSLATE_NOOP("LanguageTable", "Turkish"), QLocale::Turkish },
    { 4, "hungarian", QT_TRANSLATE_NOOP("LanguageTable", "Hungarian"), QLocale::Hungarian },
    { 5, "polish", QT_TRANSLATE_NOOP("LanguageTable", "Polish"), QLocale::Polish },
    { 6, "japanese", QT_TRANSLATE_NOOP("LanguageTable", "Japanese"), QLocale::Japanese },
    { 7, "french", QT_TRANSLATE_NOOP("LanguageTable", "French"), QLocale::French },
    { 8, "Chinese", QT_TRANSLATE_NOOP("LanguageTable", "QObject::traditional Chinese"), QLocale::Chinese },
    { 9, "Chinese-simplified", QT_TRANSLATE_NOOP("LanguageTable", "Simplified Chinese"), QLocale::Chinese },
    { 10, "italian", QT_TRANSLATE_NOOP("LanguageTable", "Italian"), QLocale::Italian },
    { 11, "spanish", QT_TRANSLATE_NOOP("LanguageTable", "Spanish"), QLocale::Spanish },
    { 12, "greek", QT_TRANSLATE_NOOP("LanguageTable", "Greek"), QLocale::Greek },
    { 13, "korean", QT_TRANSLATE_NOOP("LanguageTable", "Korean"), QLocale::Korean },
    { 14, "vietnamese", QT_TRANSLATE_NOOP("LanguageTable", "Vietnamese"), QLocale::Vietnamese },
    { 15, "catalan", QT_TRANSLATE_NOOP("LanguageTable", "Catalan"), QLocale::Catalan },
    { 16, "thai", QT_TRANSLATE_NOOP("LanguageTable", "Thai"), QLocale::Thai },
    { 17, "dutch", QT_TRANSLATE_NOOP("LanguageTable", "Dutch"), QLocale::Dutch },
    { 18, "russian", QT_TRANSLATE_NOOP("LanguageTable", "Russian"), QLocale::Russian },
    { 19, "portuguese", QT_TRANSLATE_NOOP("LanguageTable", "Portuguese"), QLocale::Portuguese },
    { 20, "czech", QT_TRANSLATE_NOOP("LanguageTable", "Czech"), QLocale::Czech },
};

constexpr int kTraditionalChinese = 8;
constexpr int kSimplifiedChinese = 9;

} // namespace

LanguageTable::LanguageTable()
{
    m_default.id = 2;
    m_default.displayName = QCoreApplication::translate("LanguageTable", "English");
    m_default.localeLanguage = QLocale::English;
    add(m_default);
    for (const Row &row : kRows) {
        LanguageEntry entry;
        entry.id = row.id;
        entry.displayName = QCoreApplication::translate("LanguageTable", row.displayName);
        entry.localeLanguage = row.language;
        entry.helpCode = QString::fromLatin1(row.helpCode);
        add(entry);
    }
}

void LanguageTable::add(const LanguageEntry &entry)
{
    m_byId.insert(entry.id, entry);
    m_byLocale.insert(entry.localeLanguage, entry);
}

LanguageEntry LanguageTable::currentHelpEntry(int hostLanguage, const QLocale &systemLocale) const
{
    if (hostLanguage != 0)
        return m_byId.value(hostLanguage, m_default);
    if (systemLocale.language() == QLocale::Chinese) {
        const int id = systemLocale.country() == QLocale::China ? kSimplifiedChinese
                                                                 : kTraditionalChinese;
        return m_byId.value(id, m_default);
    }
    return m_byLocale.value(systemLocale.language(), m_default);
}
