#pragma once

#include "dxftag.h"
#include "tddbexport.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

// The tags of one DXF text file over the file's own bytes, grouped into records (a code-0 tag
// and the tags up to the next one). Reading checks every line and notes each record's type and
// handle, but keeps the tags themselves as the bytes they are: a record's tags are
// split out when it is looked at, and kept only once it is edited. Writing puts the same bytes
// back, so a file read and written unchanged is byte-identical, and an edited value replaces
// only its own line. New tags take the file's line end and group-code layout. Owned by one
// document; one thread at a time (even reading fills caches).
class TD_DB_EXPORT DxfFile
{
public:
    struct NewTag
    {
        int code;
        QByteArray value; // as written, without line end
    };

    DxfFile();
    ~DxfFile();
    DxfFile(const DxfFile &) = delete;
    DxfFile &operator=(const DxfFile &) = delete;

    // Splits bytes into tags; on failure says why (binary drawing, not a DXF text, where the
    // group structure breaks) and leaves the file empty.
    bool parse(const QByteArray &bytes, QString *errorMessage);
    bool read(const QString &path, QString *errorMessage);
    // Writes through a temporary file renamed into place, so a failed write leaves the old
    // file as it was.
    bool write(const QString &path, QString *errorMessage) const;
    // Hands the file's bytes, in order, to sink; false as soon as sink refuses some.
    bool write(const std::function<bool(const char *, qint64)> &sink) const;
    QByteArray toByteArray() const;

    int count() const { return m_tagCount; }
    int code(int index) const { return tag(index).code; }
    QByteArray value(int index) const;
    // The value with surrounding blanks removed, as DXF compares names and keywords.
    QByteArray trimmedValue(int index) const;
    // trimmedValue() without a copy: valid only until the file changes; never keep it.
    QByteArray trimmedValueView(int index) const;
    bool valueIs(int index, const char *text) const;
    bool valueStartsWith(int index, char c) const;
    // The value read as a hexadecimal handle; 0 when it is none.
    quint64 handleValue(int index) const;
    // 1-based line of the tag's group code, for messages; 0 for a tag added by an edit.
    int lineNumber(int index) const;

    // Records: the tags before the first code-0 tag (comments) belong to none.
    int recordCount() const { return int(m_records.size()) - m_leading; }
    int recordFirstTag(int record) const { return rec(record).firstTag; }
    int recordEndTag(int record) const;
    const QByteArray &recordType(int record) const { return m_typeNames[rec(record).type]; }
    // type == name, for the many checks of a record's type: most differ in the first byte.
    static bool isType(const QByteArray &type, const char *name)
    {
        return *type.constData() == *name && qstrcmp(type, name) == 0;
    }
    // The record's own handle (code 5, or 105) and owner (the first 330 outside a 102 group).
    quint64 recordHandle(int record) const { return rec(record).handle; }
    quint64 recordOwner(int record) const;
    int recordOfTag(int tag) const;

    void setValue(int index, const QByteArray &value);
    void insert(int at, const QVector<NewTag> &tags);
    void remove(int first, int count);
    bool isModified() const { return m_modified; }
    // Forgets everything read.
    void clear();

    // Opens a group of changes that revertChanges() takes back as one: tags, bytes written and
    // the modified flag return to what they were at beginChanges(). Groups nest; each is closed
    // by exactly one keepChanges() or revertChanges().
    void beginChanges();
    void keepChanges();
    void revertChanges();

private:
    using TagVector = std::vector<DxfTag>;
    // Record type numbers that reading looks for, interned first; 0 is no type.
    enum : quint32 { kSectionType = 1, kEndOfFileType = 2 };
    // A chunk of tags: a record, or the comments before the first record.
    struct Record
    {
        quint32 type = 0; // in m_typeNames; 0: none (the comments before the first record)
        quint64 handle = 0;
        quint32 byteBegin = 0; // where its bytes lie in the file as read, until it is edited
        quint32 byteEnd = 0;
        int firstTag = 0;
        int tagCount = 0;
        std::unique_ptr<TagVector> owned; // its tags once edited

        Record() = default;
        Record(Record &&) = default;
        Record &operator=(Record &&) = default;
        Record clone() const;
    };
    // How to take one change back: the chunks it put in place of old.
    struct Undo
    {
        int firstChunk = 0;
        int chunkCount = 0;
        std::vector<Record> old;
    };
    struct ChangeGroup
    {
        size_t undoSize = 0; // undo entries before the group
        int addedSize = 0;
        bool modified = false;
    };

    DxfTag tag(int index) const;
    const Record &rec(int record) const { return m_records[size_t(record + m_leading)]; }
    int chunkOf(int tag) const;
    const TagVector &tagsOf(int chunk) const;
    TagVector &ownTags(int chunk);
    // Replaces chunks [first, last] by the records that tags make, re-counting the rest.
    void replaceChunks(int first, int last, TagVector tags);
    void describe(Record *record, const TagVector &tags);
    void renumber(int fromChunk);
    // Recomputes what follows from the chunks: the leading comments, tag numbers, caches.
    void reindexFrom(int chunk);
    const char *storeData(const DxfTag &tag) const;
    QByteArray bytesOf(const DxfTag &tag, quint32 from, quint32 to) const;
    DxfTag addTag(int code, const QByteArray &codeLine, const QByteArray &value,
                  const QByteArray &lineEnd);
    quint32 internType(const char *begin, const char *end);
    QByteArray formatCode(int code) const;
    void detectLayout();
    // Hands the file's bytes, in order, to sink in as few runs as the edits allow.
    void forEachRun(const std::function<void(const char *, qint64)> &sink) const;

    QByteArray m_bytes; // the file as read
    QByteArray m_added; // bytes of edited and inserted tags
    std::vector<Record> m_records; // in file order; chunk 0 may be the leading comments
    int m_leading = 0;             // 1 when chunk 0 holds tags before the first record
    int m_tagCount = 0;
    quint32 m_headEnd = 0;   // bytes before the first tag (a byte-order mark)
    quint32 m_tailBegin = 0; // bytes after the end-of-file marker
    QByteArray m_lineEnd = "\n";
    int m_codeWidth = 0;     // group codes right-aligned to this width; 0: not padded
    bool m_modified = false;
    // Each record type once, by number; a deque, so that the names handed out stay in place.
    std::deque<QByteArray> m_typeNames;
    QHash<QByteArray, quint32> m_typeNumbers;
    // The types met lately, by a hash of their names: a drawing's records are of a few types
    // that come in runs or take turns (line, circle, text, polyline, ...).
    static constexpr int kTypeCacheSize = 32;
    static constexpr quint32 kNoType = ~quint32(0);
    quint32 m_typeCache[kTypeCacheSize];
    std::vector<ChangeGroup> m_groups;     // open change groups, outermost first
    std::vector<Undo> m_undo;              // changes made while a group is open

    // Recently split records that were not edited, by chunk.
    static constexpr int kCacheSize = 64;
    mutable int m_cachedChunk[kCacheSize];
    mutable TagVector m_cachedTags[kCacheSize];
    mutable int m_lastChunk = 0;
};
