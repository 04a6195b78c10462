#pragma once

#include "dxftag.h"
#include "tddbexport.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <vector>

// The tags of one DXF text file over the file's own bytes. Reading splits the bytes into
// group-code/value pairs without copying them; writing puts the same bytes back, so a file read
// and written unchanged is byte-identical, and an edited value replaces only its own line. New
// tags take the file's line end and group-code layout. Owned by one DrawingDatabase; not shared
// between threads.
class TD_DB_EXPORT DxfFile
{
public:
    struct NewTag
    {
        int code;
        QByteArray value; // as written, without line end
    };

    // Splits bytes into tags; on failure says why (binary drawing, not a DXF text, where the
    // group structure breaks) and leaves the file empty.
    bool parse(const QByteArray &bytes, QString *errorMessage);
    bool read(const QString &path, QString *errorMessage);
    // Writes through a temporary file renamed into place, so a failed write leaves the old
    // file as it was.
    bool write(const QString &path, QString *errorMessage) const;
    QByteArray toByteArray() const;

    int count() const { return int(m_tags.size()); }
    int code(int index) const { return m_tags[size_t(index)].code; }
    QByteArray value(int index) const;
    // The value with surrounding blanks removed, as DXF compares names and keywords.
    QByteArray trimmedValue(int index) const;
    bool valueIs(int index, const char *text) const;
    bool valueStartsWith(int index, char c) const;
    // trimmedValue() without a copy: valid only until the file changes; never keep it.
    QByteArray trimmedValueView(int index) const;
    // The value read as a hexadecimal handle; 0 when it is none.
    quint64 handleValue(int index) const;
    // 1-based line of the tag's group code, for messages.
    int lineNumber(int index) const;

    void setValue(int index, const QByteArray &value);
    void insert(int at, const QVector<NewTag> &tags);
    void remove(int first, int count);
    bool isModified() const { return m_modified; }

private:
    const char *storeData(const DxfTag &tag) const;
    void trimmedRange(const DxfTag &tag, quint32 *begin, quint32 *end) const;
    QByteArray bytesOf(const DxfTag &tag, quint32 from, quint32 to) const;
    // Appends a tag whose code line, value and line end are given, to the added store.
    DxfTag addTag(int code, const QByteArray &codeLine, const QByteArray &value,
                  const QByteArray &lineEnd);
    QByteArray formatCode(int code) const;
    void detectLayout();
    void clear();

    QByteArray m_bytes;  // the file as read
    QByteArray m_added;  // bytes of edited and inserted tags
    std::vector<DxfTag> m_tags;
    quint32 m_headEnd = 0;   // bytes before the first tag (a byte-order mark)
    quint32 m_tailBegin = 0; // bytes after the end-of-file marker
    QByteArray m_lineEnd = "\n";
    int m_codeWidth = 0;     // group codes right-aligned to this width; 0: not padded
    bool m_modified = false;
};
