#pragma once

#include <QByteArray>
#include <QString>

// JSON text written straight into bytes, for long lists of records whose values are strings
// (an object's thousand versions): building them as QJsonObjects first and writing those costs
// several times more. Commas go in by themselves; keys are plain ASCII names, written as they
// are. Lives for one answer.
class JsonText
{
public:
    // Room for about that many bytes, so that a long text is not copied as it grows.
    void reserve(int bytes) { m_text.reserve(bytes); }
    void beginObject(const char *key = nullptr);
    void endObject();
    void beginList(const char *key);
    void endList();
    // "key":"value", the value escaped as JSON requires.
    void field(const char *key, const QString &value);
    // "key":"digits": the platform's records carry numbers as text.
    void field(const char *key, qint64 number);
    // "key":json, where json is complete JSON text already.
    void rawField(const char *key, const QByteArray &json);
    QByteArray take() { return std::move(m_text); }

private:
    void beginValue(const char *key);

    QByteArray m_text;
    bool m_first = true; // nothing written yet in the current object or list
};
