#include "dxffile.h"

#include "dxflexer.h"
#include "dxflinescanner.h"
#include "safefilewriter.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <limits>

namespace {

const char kSectionName[] = "SECTION";
const char kEndOfFileName[] = "EOF";

// Notes a record's handle, its first 5 or 105 that reads as one, as its tags pass. A SECTION
// record has none: the header's variables ($HANDSEED) sit in it.
struct HandleReader
{
    bool isSection = false;
    quint64 handle = 0;

    void feed(int code, const char *begin, const char *end)
    {
        if ((code == 5 || code == 105) && !handle && !isSection)
            handle = DxfLexer::parseHandle(begin, end);
    }
};

// Group-code lines repeat: a drawing writes a few dozen of them ("  0", "330", " 10") millions
// of times. Remembering the code of each line shorter than eight bytes recognises most lines by
// one comparison instead of parsing them again. Two lines share each set of the table, so that
// two frequent lines that hash alike do not keep pushing each other out. Lives for one read.
class CodeLineCache
{
public:
    CodeLineCache()
    {
        for (Slot *set : m_sets)
            set[0].key = set[1].key = kNoLine;
    }

    // The code of the line data[begin, end) (without its '\n'), where data holds size bytes;
    // false when the line is no group code.
    bool parse(const char *data, quint32 size, quint32 begin, quint32 end, int *code)
    {
        const quint32 length = end - begin;
        if (length >= 8 || size - begin < 8)
            return DxfLexer::parseCode(data + begin, data + end, code);
        // The line's bytes, and its length in the top byte that a line this short never fills.
        const quint64 key = (qFromLittleEndian<quint64>(data + begin)
                             & ((quint64(1) << (8 * length)) - 1))
                            | quint64(length) << 56;
        Slot *set = m_sets[(key * 0x9E3779B97F4A7C15ULL) >> 56];
        if (set[0].key == key) {
            *code = set[0].code;
            return true;
        }
        if (set[1].key == key) {
            *code = set[1].code;
            return true;
        }
        if (!DxfLexer::parseCode(data + begin, data + end, code))
            return false;
        set[1] = set[0];
        set[0] = {key, *code};
        return true;
    }

private:
    static const quint64 kNoLine = ~quint64(0); // length 255: no line has this key
    struct Slot
    {
        quint64 key;
        int code;
    };
    Slot m_sets[256][2];
};

} // namespace

DxfFile::DxfFile()
    : m_typeNames(1)
{
    std::fill(std::begin(m_typeCache), std::end(m_typeCache), kNoType);
    // Reading stops at the end-of-file marker and reads sections apart: their numbers are fixed.
    internType(kSectionName, kSectionName + qstrlen(kSectionName));
    internType(kEndOfFileName, kEndOfFileName + qstrlen(kEndOfFileName));
    std::fill(std::begin(m_cachedChunk), std::end(m_cachedChunk), -1);
}

DxfFile::~DxfFile() = default;

void DxfFile::clear()
{
    m_bytes.clear();
    m_added.clear();
    m_records.clear();
    m_records.shrink_to_fit();
    m_leading = 0;
    m_tagCount = 0;
    m_headEnd = m_tailBegin = 0;
    m_lineEnd = "\n";
    m_codeWidth = 0;
    m_modified = false;
    m_groups.clear();
    m_undo.clear();
    std::fill(std::begin(m_cachedChunk), std::end(m_cachedChunk), -1);
    m_lastChunk = 0;
}

DxfFile::Record DxfFile::Record::clone() const
{
    Record copy;
    copy.type = type;
    copy.handle = handle;
    copy.byteBegin = byteBegin;
    copy.byteEnd = byteEnd;
    copy.firstTag = firstTag;
    copy.tagCount = tagCount;
    if (owned)
        copy.owned = std::make_unique<TagVector>(*owned);
    return copy;
}

void DxfFile::beginChanges()
{
    m_groups.push_back({m_undo.size(), m_added.size(), m_modified});
}

void DxfFile::keepChanges()
{
    Q_ASSERT(!m_groups.empty());
    if (m_groups.empty())
        return;
    m_groups.pop_back();
    // An enclosing group may still take these changes back; with none, nobody can.
    if (m_groups.empty())
        m_undo.clear();
}

void DxfFile::revertChanges()
{
    Q_ASSERT(!m_groups.empty());
    if (m_groups.empty())
        return;
    const ChangeGroup group = m_groups.back();
    m_groups.pop_back();
    // Last change first: each entry's chunk numbers hold for the state right after it.
    int lowest = int(m_records.size());
    while (m_undo.size() > group.undoSize) {
        Undo &undo = m_undo.back();
        const auto begin = m_records.begin() + undo.firstChunk;
        m_records.erase(begin, begin + undo.chunkCount);
        m_records.insert(m_records.begin() + undo.firstChunk,
                         std::make_move_iterator(undo.old.begin()),
                         std::make_move_iterator(undo.old.end()));
        lowest = std::min(lowest, undo.firstChunk);
        m_undo.pop_back();
    }
    // No tag refers to bytes added since the group began any more.
    m_added.truncate(group.addedSize);
    m_modified = group.modified;
    reindexFrom(lowest);
}

void DxfFile::reindexFrom(int chunk)
{
    m_leading = !m_records.empty() && m_records.front().tagCount > 0
                        && m_records.front().type == 0
                    ? 1
                    : 0;
    renumber(chunk);
    // Chunk numbers after the change moved: the cache of split records no longer fits.
    std::fill(std::begin(m_cachedChunk), std::end(m_cachedChunk), -1);
    m_lastChunk = 0;
}

quint32 DxfFile::internType(const char *begin, const char *end)
{
    const int size = int(end - begin);
    // A slot by the name's length, first two bytes and last byte: the common entity types
    // fall into slots of their own.
    const int slot = size > 0 ? (size + begin[0] * 7 + begin[std::min(size - 1, 1)]
                                 + begin[size - 1] * 7)
                                    & (kTypeCacheSize - 1)
                              : 0;
    quint32 &cached = m_typeCache[slot];
    if (cached != kNoType) {
        const QByteArray &name = m_typeNames[cached];
        if (name.size() == size && std::memcmp(name.constData(), begin, size_t(size)) == 0)
            return cached;
    }
    const QByteArray view = QByteArray::fromRawData(begin, size);
    auto it = m_typeNumbers.constFind(view);
    quint32 number = 0;
    if (it != m_typeNumbers.constEnd()) {
        number = it.value();
    } else {
        number = quint32(m_typeNames.size());
        m_typeNames.emplace_back(begin, size);
        m_typeNumbers.insert(m_typeNames.back(), number);
    }
    cached = number;
    return number;
}

bool DxfFile::parse(const QByteArray &bytes, QString *errorMessage)
{
    clear();
    const QString foreign = DxfLexer::foreignFormat(bytes);
    if (!foreign.isEmpty()) {
        if (errorMessage)
            *errorMessage = foreign;
        return false;
    }
    if (quint64(bytes.size()) >= quint64(std::numeric_limits<quint32>::max())) {
        if (errorMessage)
            *errorMessage = QStringLiteral("the file is too large");
        return false;
    }
    m_bytes = bytes;
    const char *data = m_bytes.constData();
    const quint32 size = quint32(m_bytes.size());
    quint32 pos = m_bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    m_headEnd = pos;
    m_records.reserve(size / 64 + 1);
    auto fail = [&](const QString &why) {
        // Lines are counted only for the message: reading never needs them.
        const int line = 1 + int(std::count(data, data + pos, '\n'));
        if (errorMessage)
            *errorMessage = QStringLiteral("line %1: %2").arg(line).arg(why);
        clear();
        return false;
    };
    HandleReader reader;
    int tagCount = 0;
    auto close = [&]() {
        if (m_records.empty())
            return;
        Record &last = m_records.back();
        last.byteEnd = pos;
        last.tagCount = tagCount - last.firstTag;
        last.handle = reader.handle;
    };
    DxfLineScanner lines(data, size, pos);
    CodeLineCache codes;
    while (pos < size) {
        quint32 codeEnd = 0;
        quint32 valueLineEnd = 0;
        lines.nextTwo(&codeEnd, &valueLineEnd);
        int code = 0;
        if (!codes.parse(data, size, pos, codeEnd, &code)) {
            const QByteArray text = QByteArray(data + pos, int(codeEnd - pos)).trimmed();
            if (text.isEmpty() && codeEnd >= size - 1)
                break; // a blank last line
            return fail(QStringLiteral("a group code was expected, found \"%1\"")
                            .arg(QString::fromLatin1(text.left(40))));
        }
        if (codeEnd >= size)
            return fail(QStringLiteral("the file ends after a group code, before its value"));
        if (codeEnd + 1 - pos > 255)
            return fail(QStringLiteral("the group-code line is too long"));
        DxfTag tag;
        const quint32 end = DxfLexer::measure(data, size, pos, codeEnd, valueLineEnd, &tag);
        quint32 valueBegin = tag.valueBegin();
        quint32 valueEnd = tag.valueEnd();
        if (code != 0 && !m_records.empty()) {
            reader.feed(code, data + valueBegin, data + valueEnd);
            ++tagCount;
            pos = end;
            continue;
        }
        close();
        quint32 type = 0;
        if (code == 0) {
            DxfLexer::trim(data, &valueBegin, &valueEnd);
            type = internType(data + valueBegin, data + valueEnd);
        } else {
            m_leading = 1; // comments before the first record
        }
        Record &record = m_records.emplace_back();
        record.type = type;
        record.byteBegin = pos;
        record.firstTag = tagCount++;
        reader = HandleReader();
        reader.isSection = type == kSectionType;
        pos = end;
        if (type == kEndOfFileType)
            break;
    }
    close();
    m_tailBegin = pos;
    m_tagCount = tagCount;
    if (m_tagCount == 0)
        return fail(QStringLiteral("the file holds no DXF group codes"));
    detectLayout();
    return true;
}

void DxfFile::detectLayout()
{
    // The first record's code line shows the layout; a leading comment may be written apart.
    const DxfTag first = tag(recordCount() > 0 ? recordFirstTag(0) : 0);
    const char *data = m_bytes.constData();
    quint32 codeEnd = first.valueBegin() - 1;
    if (codeEnd > first.begin && data[codeEnd - 1] == '\r') {
        m_lineEnd = "\r\n";
        --codeEnd;
    }
    m_codeWidth = (data[first.begin] == ' ') ? int(codeEnd - first.begin) : 0;
}

bool DxfFile::read(const QString &path, QString *errorMessage)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (errorMessage)
            *errorMessage = file.errorString();
        clear();
        return false;
    }
    return parse(file.readAll(), errorMessage);
}

void DxfFile::forEachRun(const std::function<void(const char *, qint64)> &sink) const
{
    if (!m_modified) {
        sink(m_bytes.constData(), m_bytes.size());
        return;
    }
    sink(m_bytes.constData(), m_headEnd);
    // Bytes that still lie side by side in the file go out as one run.
    quint32 runBegin = 0;
    quint32 runEnd = 0;
    auto flush = [&]() {
        if (runEnd > runBegin)
            sink(m_bytes.constData() + runBegin, runEnd - runBegin);
        runBegin = runEnd = 0;
    };
    auto addRun = [&](quint32 begin, quint32 end) {
        if (runEnd == begin && runEnd > runBegin) {
            runEnd = end;
        } else {
            flush();
            runBegin = begin;
            runEnd = end;
        }
    };
    for (const Record &record : m_records) {
        if (!record.owned) {
            addRun(record.byteBegin, record.byteEnd);
            continue;
        }
        for (const DxfTag &tag : *record.owned) {
            if (tag.store == DxfTag::ReadStore) {
                addRun(tag.begin, tag.end());
            } else {
                flush();
                sink(m_added.constData() + tag.begin, tag.end() - tag.begin);
            }
        }
    }
    flush();
    sink(m_bytes.constData() + m_tailBegin, quint32(m_bytes.size()) - m_tailBegin);
}

QByteArray DxfFile::toByteArray() const
{
    if (!m_modified)
        return m_bytes;
    QByteArray out;
    out.reserve(m_bytes.size() + m_added.size());
    forEachRun([&out](const char *data, qint64 size) { out.append(data, int(size)); });
    return out;
}

bool DxfFile::write(const std::function<bool(const char *, qint64)> &sink) const
{
    bool ok = true;
    forEachRun([&](const char *data, qint64 size) { ok = ok && sink(data, size); });
    return ok;
}

bool DxfFile::write(const QString &path, QString *errorMessage) const
{
    SafeFileWriter file(path);
    if (!file.open()) {
        if (errorMessage)
            *errorMessage = file.errorString();
        return false;
    }
    // The runs go straight to the file: a copy of a large drawing in memory costs more than
    // the writing.
    const bool ok =
        write([&file](const char *data, qint64 size) { return file.write(data, size); });
    if (!ok || !file.commit()) {
        if (errorMessage)
            *errorMessage = file.errorString();
        return false;
    }
    return true;
}

int DxfFile::chunkOf(int tag) const
{
    const Record &last = m_records[size_t(m_lastChunk)];
    if (tag >= last.firstTag && tag < last.firstTag + last.tagCount)
        return m_lastChunk;
    auto it = std::upper_bound(m_records.cbegin(), m_records.cend(), tag,
                               [](int t, const Record &r) { return t < r.firstTag; });
    m_lastChunk = std::max(0, int(it - m_records.cbegin()) - 1);
    return m_lastChunk;
}

const DxfFile::TagVector &DxfFile::tagsOf(int chunk) const
{
    const Record &record = m_records[size_t(chunk)];
    if (record.owned)
        return *record.owned;
    const int slot = chunk % kCacheSize;
    if (m_cachedChunk[slot] != chunk) {
        m_cachedTags[slot].clear();
        DxfLexer::tags(m_bytes.constData(), record.byteBegin, record.byteEnd,
                       &m_cachedTags[slot]);
        m_cachedChunk[slot] = chunk;
    }
    return m_cachedTags[slot];
}

DxfFile::TagVector &DxfFile::ownTags(int chunk)
{
    Record &record = m_records[size_t(chunk)];
    if (!record.owned)
        record.owned = std::make_unique<TagVector>(tagsOf(chunk));
    return *record.owned;
}

DxfTag DxfFile::tag(int index) const
{
    const int chunk = chunkOf(index);
    return tagsOf(chunk)[size_t(index - m_records[size_t(chunk)].firstTag)];
}

int DxfFile::recordEndTag(int record) const
{
    const Record &r = rec(record);
    return r.firstTag + r.tagCount;
}

quint64 DxfFile::recordOwner(int record) const
{
    // Few records' owners are ever asked for: each is found when asked, not noted while reading.
    if (rec(record).type == kSectionType)
        return 0;
    const TagVector &tags = tagsOf(record + m_leading);
    bool insideGroup = false;
    for (size_t i = 1; i < tags.size(); ++i) {
        const DxfTag &tag = tags[i];
        const char *data = storeData(tag);
        if (tag.code == 102)
            insideGroup = tag.valueLength > 0 && data[tag.valueBegin()] == '{';
        else if (tag.code == 330 && !insideGroup)
            return DxfLexer::parseHandle(data + tag.valueBegin(), data + tag.valueEnd());
    }
    return 0;
}

int DxfFile::recordOfTag(int tag) const
{
    return chunkOf(tag) - m_leading;
}

void DxfFile::describe(Record *record, const TagVector &tags)
{
    HandleReader reader;
    record->type = 0;
    if (!tags.empty() && tags.front().code == 0) {
        quint32 begin = tags.front().valueBegin();
        quint32 end = tags.front().valueEnd();
        const char *data = storeData(tags.front());
        DxfLexer::trim(data, &begin, &end);
        record->type = internType(data + begin, data + end);
        reader.isSection = record->type == kSectionType;
    }
    for (size_t i = 1; i < tags.size(); ++i) {
        const char *data = storeData(tags[i]);
        reader.feed(tags[i].code, data + tags[i].valueBegin(), data + tags[i].valueEnd());
    }
    record->handle = reader.handle;
}

void DxfFile::renumber(int fromChunk)
{
    int next = fromChunk > 0 ? m_records[size_t(fromChunk) - 1].firstTag
                                   + m_records[size_t(fromChunk) - 1].tagCount
                             : 0;
    for (size_t i = size_t(std::max(0, fromChunk)); i < m_records.size(); ++i) {
        m_records[i].firstTag = next;
        next += m_records[i].tagCount;
    }
    m_tagCount = next;
}

void DxfFile::replaceChunks(int first, int last, TagVector tags)
{
    std::vector<Record> fresh;
    size_t partBegin = 0;
    for (size_t i = 1; i <= tags.size(); ++i) {
        if (i < tags.size() && tags[i].code != 0)
            continue;
        Record record;
        record.owned = std::make_unique<TagVector>(tags.begin() + long(partBegin),
                                                   tags.begin() + long(i));
        record.tagCount = int(i - partBegin);
        describe(&record, *record.owned);
        fresh.push_back(std::move(record));
        partBegin = i;
    }
    const auto begin = m_records.begin() + first;
    if (!m_groups.empty()) {
        m_undo.push_back({first, int(fresh.size()), {}});
        m_undo.back().old.assign(std::make_move_iterator(begin),
                                 std::make_move_iterator(begin + (last - first + 1)));
    }
    m_records.erase(begin, begin + (last - first + 1));
    m_records.insert(m_records.begin() + first, std::make_move_iterator(fresh.begin()),
                     std::make_move_iterator(fresh.end()));
    reindexFrom(first);
    m_modified = true;
}

const char *DxfFile::storeData(const DxfTag &tag) const
{
    return tag.store == DxfTag::ReadStore ? m_bytes.constData() : m_added.constData();
}

QByteArray DxfFile::bytesOf(const DxfTag &tag, quint32 from, quint32 to) const
{
    return QByteArray(storeData(tag) + from, int(to - from));
}

QByteArray DxfFile::value(int index) const
{
    const DxfTag t = tag(index);
    return bytesOf(t, t.valueBegin(), t.valueEnd());
}

QByteArray DxfFile::trimmedValue(int index) const
{
    const QByteArray view = trimmedValueView(index);
    return QByteArray(view.constData(), view.size());
}

QByteArray DxfFile::trimmedValueView(int index) const
{
    const DxfTag t = tag(index);
    quint32 begin = t.valueBegin();
    quint32 end = t.valueEnd();
    DxfLexer::trim(storeData(t), &begin, &end);
    return QByteArray::fromRawData(storeData(t) + begin, int(end - begin));
}

bool DxfFile::valueIs(int index, const char *text) const
{
    return trimmedValueView(index) == text;
}

bool DxfFile::valueStartsWith(int index, char c) const
{
    const DxfTag t = tag(index);
    return t.valueLength > 0 && storeData(t)[t.valueBegin()] == c;
}

quint64 DxfFile::handleValue(int index) const
{
    const DxfTag t = tag(index);
    const char *data = storeData(t);
    return DxfLexer::parseHandle(data + t.valueBegin(), data + t.valueEnd());
}

int DxfFile::lineNumber(int index) const
{
    const DxfTag t = tag(index);
    if (t.store != DxfTag::ReadStore)
        return 0;
    return 1 + int(std::count(m_bytes.constBegin(), m_bytes.constBegin() + t.begin, '\n'));
}

DxfTag DxfFile::addTag(int code, const QByteArray &codeLine, const QByteArray &value,
                      const QByteArray &lineEnd)
{
    DxfTag tag;
    tag.store = DxfTag::AddedStore;
    tag.code = qint16(code);
    tag.begin = quint32(m_added.size());
    tag.codeLineLength = quint8(codeLine.size());
    tag.valueLength = quint32(value.size());
    tag.lineEndLength = quint8(lineEnd.size());
    m_added.append(codeLine);
    m_added.append(value);
    m_added.append(lineEnd);
    return tag;
}

void DxfFile::setValue(int index, const QByteArray &value)
{
    const int chunk = chunkOf(index);
    if (!m_groups.empty()) {
        m_undo.push_back({chunk, 1, {}});
        m_undo.back().old.push_back(m_records[size_t(chunk)].clone());
    }
    TagVector &tags = ownTags(chunk);
    DxfTag &tag = tags[size_t(index - m_records[size_t(chunk)].firstTag)];
    // The code line and the line end stay as they were; only the value bytes change.
    const QByteArray codeLine = bytesOf(tag, tag.begin, tag.valueBegin());
    QByteArray valueLineEnd = bytesOf(tag, tag.valueEnd(), tag.end());
    if (valueLineEnd.isEmpty())
        valueLineEnd = m_lineEnd;
    const int code = tag.code;
    tag = addTag(code, codeLine, value, valueLineEnd);
    if (code == 0 || code == 5 || code == 105)
        describe(&m_records[size_t(chunk)], tags);
    m_modified = true;
}

QByteArray DxfFile::formatCode(int code) const
{
    QByteArray text = QByteArray::number(code);
    if (text.size() < m_codeWidth)
        text.prepend(QByteArray(m_codeWidth - text.size(), ' '));
    return text;
}

void DxfFile::insert(int at, const QVector<NewTag> &tags)
{
    Q_ASSERT(at >= 0 && at <= count());
    if (tags.isEmpty() || at < 0 || at > count() || m_records.empty())
        return;
    // A last line written without a line end would run into the new tags.
    if (at > 0 && at == count() && tag(at - 1).lineEndLength == 0)
        setValue(at - 1, value(at - 1));
    // The new tags join the chunk of the tag before them; code-0 tags among them start
    // records of their own.
    const int chunk = at > 0 ? chunkOf(at - 1) : 0;
    TagVector merged = tagsOf(chunk);
    const size_t offset = size_t(at - m_records[size_t(chunk)].firstTag);
    TagVector added;
    added.reserve(size_t(tags.size()));
    for (const NewTag &newTag : tags)
        added.push_back(addTag(newTag.code, formatCode(newTag.code) + m_lineEnd, newTag.value,
                               m_lineEnd));
    merged.insert(merged.begin() + long(offset), added.cbegin(), added.cend());
    replaceChunks(chunk, chunk, std::move(merged));
}

void DxfFile::remove(int first, int count)
{
    Q_ASSERT(first >= 0 && count >= 0 && first + count <= this->count());
    if (count <= 0 || first < 0 || first + count > this->count())
        return;
    int firstChunk = chunkOf(first);
    const int lastChunk = chunkOf(first + count - 1);
    const int offset = first - m_records[size_t(firstChunk)].firstTag;
    TagVector merged;
    for (int c = firstChunk; c <= lastChunk; ++c) {
        const TagVector &tags = tagsOf(c);
        merged.insert(merged.end(), tags.cbegin(), tags.cend());
    }
    merged.erase(merged.begin() + offset, merged.begin() + offset + count);
    // Tags left without their code-0 tag belong to the record before them.
    if (!merged.empty() && merged.front().code != 0 && firstChunk > 0) {
        --firstChunk;
        const TagVector &before = tagsOf(firstChunk);
        merged.insert(merged.begin(), before.cbegin(), before.cend());
    }
    replaceChunks(firstChunk, lastChunk, std::move(merged));
}
