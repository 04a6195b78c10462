#pragma once

#include "dxffile.h"
#include "dxftext.h"
#include "tddbexport.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>
#include <utility>
#include <vector>

// A DXF drawing as records over its tags: sections, table entries, blocks, entities and
// objects, each a run of tags from one code-0 tag to the next, with its handle and owner.
// Reading refuses anything whose section structure is broken, and so does every edit: one that
// would break it changes nothing and returns false. Writing refuses a document without content
// or end-of-file marker, so a drawing on disk is never replaced by a broken one. Values read and
// written here go through the drawing's own text encoding. Structural edits rebuild the record
// index, so record numbers taken before an edit are stale after it. One thread at a time.
class TD_DB_EXPORT DxfDocument
{
public:
    struct Section
    {
        QByteArray name;
        int sectionRecord = -1; // the SECTION record
        int endRecord = -1;     // the ENDSEC record; the section's content lies in between
    };
    using TagList = QVector<DxfFile::NewTag>;

    bool read(const QString &path, QString *errorMessage);
    bool parse(const QByteArray &bytes, QString *errorMessage);
    bool write(const QString &path, QString *errorMessage) const;
    // Hands the drawing's bytes to sink; false when it refuses some, or when the drawing may
    // not be written (then sink gets nothing).
    bool write(const std::function<bool(const char *, qint64)> &sink,
               QString *errorMessage) const;
    QByteArray toByteArray() const { return m_file.toByteArray(); }
    bool isModified() const { return m_file.isModified(); }

    const DxfFile &file() const { return m_file; }
    const DxfText &text() const { return m_text; }
    QByteArray version() const { return m_version; }
    // Drawings of release 13 and later carry owners, block records and object classes.
    bool hasOwnership() const { return m_version >= "AC1012"; }

    const Section *section(const char *name) const;
    int recordCount() const { return m_file.recordCount(); }
    QByteArray type(int record) const { return m_file.recordType(record); }
    bool isType(int record, const char *type) const
    {
        return DxfFile::isType(m_file.recordType(record), type);
    }
    int firstTag(int record) const { return m_file.recordFirstTag(record); }
    int endTag(int record) const { return m_file.recordEndTag(record); }
    quint64 handle(int record) const { return m_file.recordHandle(record); }
    quint64 owner(int record) const { return m_file.recordOwner(record); }
    int recordOfHandle(quint64 handle) const;
    int recordOfTag(int tag) const { return m_file.recordOfTag(tag); }

    // The first tag of code in record at or after tag from (-1: from the start), or -1.
    int findTag(int record, int code, int from = -1) const;
    QString string(int record, int code) const;
    // Numbers that do not parse, infinities and NaN read as fallback: nothing downstream
    // has to guard its arithmetic against them.
    double real(int record, int code, double fallback = 0.0) const;
    double realValue(int tag, double fallback = 0.0) const;
    int integer(int record, int code, int fallback = 0) const;
    quint64 handleRef(int record, int code) const;
    // Replaces the value of the record's first tag of code; false when it has none.
    bool setString(int record, int code, const QString &value);
    bool setTagValue(int tag, const QByteArray &raw);

    // Header variables ($ACADVER and the like): the tag index of the variable's value of code.
    int headerTag(const char *name, int code) const;
    QString headerString(const char *name, int code) const;
    // A handle not used so far, above every handle in the drawing and $HANDSEED, which is
    // raised past it; 0 for a drawing that keeps no handles.
    quint64 newHandle();

    bool insertTags(int at, const TagList &tags);
    bool removeTags(int first, int count);
    bool removeRecords(int first, int count);
    // Removes each listed record (in any order) and rebuilds the index once.
    bool removeRecordList(QVector<int> records);

    // Makes the edits done during its life one: commit() keeps them unless one of them failed;
    // otherwise they are all taken back when it goes. Nests; a failed edit fails every
    // enclosing one. Lives for one operation on the document.
    class Edit
    {
    public:
        explicit Edit(DxfDocument &doc);
        ~Edit();
        Edit(const Edit &) = delete;
        Edit &operator=(const Edit &) = delete;
        // True when the edits are kept; false, saying so in errorMessage, when they were taken
        // back.
        bool commit(QString *errorMessage = nullptr);

    private:
        DxfDocument &m_doc;
        bool m_open = true;
    };

    static QByteArray formatHandle(quint64 handle);
    static QByteArray formatReal(double value);

private:
    bool buildIndex(QString *errorMessage);
    // Many reads never look a handle up: the handle index is built when first needed.
    void indexHandles() const;
    void sortByHandle() const;
    // Applies change, which edits m_file, and rebuilds the index; takes the change back
    // when the result is no readable drawing.
    bool applyEdit(const std::function<void()> &change);
    // Fails the edits in progress; returns false.
    bool refuseEdit();
    // Takes back the innermost group of file changes and rebuilds the index.
    void revertChanges();
    bool hasEndOfFile() const;
    // Whether the drawing has content and its end-of-file marker; else says why it is not
    // written.
    bool isWritable(QString *errorMessage) const;
    void beginEdit();
    bool endEdit(bool keep);
    void configureText();

    DxfFile m_file;
    DxfText m_text;
    QByteArray m_version;
    QVector<Section> m_sections;
    mutable std::vector<std::pair<quint64, int>> m_byHandle; // sorted by handle
    mutable quint64 m_maxHandle = 0;
    mutable bool m_handlesIndexed = false; // m_byHandle and m_maxHandle hold
    std::vector<bool> m_editFailed; // per open beginEdit(): whether an edit in it failed
};
