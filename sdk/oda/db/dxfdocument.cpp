#include "dxfdocument.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

const int kCommentCode = 999;
const size_t kMaxMergedRuns = 16;

} // namespace

bool DxfDocument::read(const QString &path, QString *errorMessage)
{
    if (m_file.read(path, errorMessage) && buildIndex(errorMessage))
        return true;
    m_file.clear();
    return false;
}

bool DxfDocument::parse(const QByteArray &bytes, QString *errorMessage)
{
    if (m_file.parse(bytes, errorMessage) && buildIndex(errorMessage))
        return true;
    m_file.clear();
    return false;
}

bool DxfDocument::write(const QString &path, QString *errorMessage) const
{
    return isWritable(errorMessage) && m_file.write(path, errorMessage);
}

bool DxfDocument::write(const std::function<bool(const char *, qint64)> &sink,
                        QString *errorMessage) const
{
    return isWritable(errorMessage) && m_file.write(sink);
}

bool DxfDocument::isWritable(QString *errorMessage) const
{
    if (recordCount() > 0 && hasEndOfFile())
        return true;
    if (errorMessage)
        *errorMessage = QStringLiteral("the drawing is empty or has no end-of-file marker; "
                                       "it was not written");
    return false;
}

bool DxfDocument::hasEndOfFile() const
{
    // The marker ends what is read; only the rare edit puts records after it.
    for (int r = recordCount() - 1; r >= 0; --r) {
        if (isType(r, "EOF"))
            return true;
    }
    return false;
}

bool DxfDocument::buildIndex(QString *errorMessage)
{
    m_sections.clear();
    m_byHandle.clear();
    m_handlesIndexed = false;
    auto fail = [&](int tag, const QString &why) {
        if (errorMessage) {
            const int line = tag >= 0 ? m_file.lineNumber(tag) : 0;
            *errorMessage = line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(why) : why;
        }
        m_sections.clear();
        return false;
    };
    const int leadingEnd = recordCount() > 0 ? firstTag(0) : m_file.count();
    for (int tag = 0; tag < leadingEnd; ++tag) {
        if (m_file.code(tag) != kCommentCode)
            return fail(tag, QStringLiteral("the file does not start with a section"));
    }
    // Sections: SECTION with its name, content, ENDSEC; then the end-of-file marker.
    Section *open = nullptr;
    bool sawEof = false;
    for (int r = 0; r < recordCount(); ++r) {
        const QByteArray &type = m_file.recordType(r);
        if (DxfFile::isType(type, "SECTION")) {
            if (open)
                return fail(firstTag(r), QStringLiteral("section %1 has no ENDSEC")
                                             .arg(QString::fromLatin1(open->name)));
            const int nameTag = firstTag(r) + 1;
            if (nameTag >= endTag(r) || m_file.code(nameTag) != 2)
                return fail(firstTag(r), QStringLiteral("a section without a name"));
            Section section;
            section.name = m_file.trimmedValue(nameTag);
            section.sectionRecord = r;
            m_sections.append(section);
            open = &m_sections.last();
        } else if (DxfFile::isType(type, "ENDSEC")) {
            // Some writers close the header twice; readers pass over the stray marker.
            if (open)
                open->endRecord = r;
            open = nullptr;
        } else if (DxfFile::isType(type, "EOF")) {
            sawEof = true;
        } else if (!open) {
            return fail(firstTag(r), QStringLiteral("%1 outside a section")
                                         .arg(QString::fromLatin1(type.left(40))));
        }
    }
    if (open || !sawEof)
        return fail(-1, QStringLiteral("the file is truncated: it ends before its end-of-file "
                                       "marker"));
    configureText();
    return true;
}

void DxfDocument::indexHandles() const
{
    m_byHandle.clear();
    m_byHandle.reserve(size_t(recordCount()));
    m_maxHandle = 0;
    for (int r = 0; r < recordCount(); ++r) {
        if (const quint64 h = handle(r)) {
            m_byHandle.emplace_back(h, r);
            m_maxHandle = std::max(m_maxHandle, h);
        }
    }
    sortByHandle();
    m_handlesIndexed = true;
}

void DxfDocument::sortByHandle() const
{
    // Sorted by handle, then record: the first record of a handle that some writer used twice
    // comes first. Handles come in a few ascending runs, mostly one per section, which merge
    // in a pass each; a drawing with many runs is sorted.
    const auto begin = m_byHandle.begin();
    const auto end = m_byHandle.end();
    std::vector<decltype(m_byHandle)::iterator> runEnds;
    for (auto it = begin; it != end && runEnds.size() <= kMaxMergedRuns;) {
        it = std::is_sorted_until(it, end);
        runEnds.push_back(it);
    }
    if (runEnds.size() > kMaxMergedRuns) {
        std::sort(begin, end);
        return;
    }
    for (size_t i = 1; i < runEnds.size(); ++i)
        std::inplace_merge(begin, runEnds[i - 1], runEnds[i]);
}

void DxfDocument::configureText()
{
    const int versionTag = headerTag("$ACADVER", 1);
    m_version = versionTag >= 0 ? m_file.trimmedValue(versionTag) : QByteArray("AC1009");
    const int pageTag = headerTag("$DWGCODEPAGE", 3);
    m_text.configure(m_version, pageTag >= 0 ? m_file.trimmedValue(pageTag) : QByteArray());
}

const DxfDocument::Section *DxfDocument::section(const char *name) const
{
    for (const Section &section : m_sections) {
        if (section.name == name)
            return &section;
    }
    return nullptr;
}

int DxfDocument::recordOfHandle(quint64 handle) const
{
    if (!m_handlesIndexed)
        indexHandles();
    auto it = std::lower_bound(m_byHandle.cbegin(), m_byHandle.cend(), handle,
                               [](const auto &entry, quint64 h) { return entry.first < h; });
    return it != m_byHandle.cend() && it->first == handle ? it->second : -1;
}

int DxfDocument::findTag(int record, int code, int from) const
{
    const int end = endTag(record);
    for (int t = std::max(from, firstTag(record)); t < end; ++t) {
        if (m_file.code(t) == code)
            return t;
    }
    return -1;
}

QString DxfDocument::string(int record, int code) const
{
    const int tag = findTag(record, code);
    return tag >= 0 ? m_text.decode(m_file.value(tag)) : QString();
}

double DxfDocument::real(int record, int code, double fallback) const
{
    return realValue(findTag(record, code), fallback);
}

double DxfDocument::realValue(int tag, double fallback) const
{
    if (tag < 0)
        return fallback;
    bool ok = false;
    const double value = m_file.trimmedValueView(tag).toDouble(&ok);
    return ok && std::isfinite(value) ? value : fallback;
}

int DxfDocument::integer(int record, int code, int fallback) const
{
    const int tag = findTag(record, code);
    bool ok = false;
    const int value = tag >= 0 ? m_file.trimmedValue(tag).toInt(&ok) : 0;
    return ok ? value : fallback;
}

quint64 DxfDocument::handleRef(int record, int code) const
{
    const int tag = findTag(record, code);
    return tag >= 0 ? m_file.handleValue(tag) : 0;
}

bool DxfDocument::setString(int record, int code, const QString &value)
{
    const int tag = findTag(record, code);
    return tag >= 0 && setTagValue(tag, m_text.encode(value));
}

bool DxfDocument::setTagValue(int tag, const QByteArray &raw)
{
    const int code = m_file.code(tag);
    const bool structural = code == 0 || code == 5 || code == 105 || code == 330 || code == 102
                            || (code == 2 && isType(recordOfTag(tag), "SECTION"));
    if (!structural) {
        m_file.setValue(tag, raw);
        return true;
    }
    return applyEdit([&] { m_file.setValue(tag, raw); });
}

int DxfDocument::headerTag(const char *name, int code) const
{
    const Section *header = section("HEADER");
    if (!header)
        return -1;
    const int end = endTag(header->sectionRecord);
    for (int t = firstTag(header->sectionRecord); t < end; ++t) {
        if (m_file.code(t) != 9 || !m_file.valueIs(t, name))
            continue;
        for (++t; t < end && m_file.code(t) != 9; ++t) {
            if (m_file.code(t) == code)
                return t;
        }
        return -1;
    }
    return -1;
}

QString DxfDocument::headerString(const char *name, int code) const
{
    const int tag = headerTag(name, code);
    return tag >= 0 ? m_text.decode(m_file.value(tag)) : QString();
}

quint64 DxfDocument::newHandle()
{
    const int seedTag = headerTag("$HANDSEED", 5);
    if (seedTag < 0)
        return 0;
    if (!m_handlesIndexed)
        indexHandles();
    const quint64 handle = std::max(m_file.handleValue(seedTag), m_maxHandle + 1);
    m_maxHandle = handle;
    m_file.setValue(seedTag, formatHandle(handle + 1));
    return handle;
}

bool DxfDocument::applyEdit(const std::function<void()> &change)
{
    m_file.beginChanges();
    change();
    if (buildIndex(nullptr)) {
        m_file.keepChanges();
        return true;
    }
    revertChanges();
    return refuseEdit();
}

void DxfDocument::revertChanges()
{
    m_file.revertChanges();
    // The tags are as they were when the index last held, so it holds again.
    const bool restored = buildIndex(nullptr);
    Q_ASSERT(restored);
    Q_UNUSED(restored)
}

bool DxfDocument::refuseEdit()
{
    std::fill(m_editFailed.begin(), m_editFailed.end(), true);
    return false;
}

bool DxfDocument::insertTags(int at, const TagList &tags)
{
    if (at < 0 || at > m_file.count())
        return refuseEdit();
    return applyEdit([&] { m_file.insert(at, tags); });
}

bool DxfDocument::removeTags(int first, int count)
{
    if (first < 0 || count < 0 || first + count > m_file.count())
        return refuseEdit();
    return applyEdit([&] { m_file.remove(first, count); });
}

bool DxfDocument::removeRecords(int first, int count)
{
    if (count <= 0)
        return true;
    if (first < 0 || first + count > recordCount())
        return refuseEdit();
    const int begin = firstTag(first);
    return removeTags(begin, endTag(first + count - 1) - begin);
}

bool DxfDocument::removeRecordList(QVector<int> records)
{
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    if (records.isEmpty())
        return true;
    if (records.first() < 0 || records.last() >= recordCount())
        return refuseEdit();
    return applyEdit([&] {
        // From the back, so that the ranges still to be removed keep their tag numbers.
        for (int i = records.size() - 1; i >= 0; --i) {
            const int begin = firstTag(records.at(i));
            m_file.remove(begin, endTag(records.at(i)) - begin);
        }
    });
}

void DxfDocument::beginEdit()
{
    m_file.beginChanges();
    m_editFailed.push_back(false);
}

bool DxfDocument::endEdit(bool keep)
{
    Q_ASSERT(!m_editFailed.empty());
    if (m_editFailed.empty())
        return false;
    keep = keep && !m_editFailed.back();
    m_editFailed.pop_back();
    if (keep) {
        m_file.keepChanges();
        return true;
    }
    revertChanges();
    return false;
}

DxfDocument::Edit::Edit(DxfDocument &doc)
    : m_doc(doc)
{
    m_doc.beginEdit();
}

DxfDocument::Edit::~Edit()
{
    if (m_open)
        m_doc.endEdit(false);
}

bool DxfDocument::Edit::commit(QString *errorMessage)
{
    Q_ASSERT(m_open);
    if (!m_open)
        return false;
    m_open = false;
    if (m_doc.endEdit(true))
        return true;
    if (errorMessage)
        *errorMessage = QStringLiteral("the change would leave the drawing unreadable; nothing "
                                       "was changed");
    return false;
}

QByteArray DxfDocument::formatHandle(quint64 handle)
{
    return QByteArray::number(handle, 16).toUpper();
}

QByteArray DxfDocument::formatReal(double value)
{
    QByteArray text = QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
    if (!text.contains('.') && !text.contains('e') && !text.contains('n'))
        text.append(".0");
    return text;
}
