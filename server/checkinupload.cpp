#include "checkinupload.h"

#include "database.h"
#include "diskspace.h"
#include "platformconstants.h"

#include "faults/faultpoint.h"

#include <QDir>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcUpload, "platform.upload")

CheckInUpload::CheckInUpload(const QString &folder, qint64 maxBytes, const QByteArray &boundary)
    : m_folder(folder), m_maxBytes(maxBytes),
      m_reader(
          boundary, [this](const QByteArray &name) { return beginPart(name); },
          [this](const char *data, size_t size) { return receivePart(data, size); })
{
    if (!folder.isEmpty())
        m_contentsFile.setFileTemplate(QDir(folder).filePath(QStringLiteral("checkin-XXXXXX")));
}

bool CheckInUpload::receive(const char *data, size_t size)
{
    m_received += static_cast<qint64>(size);
    if (m_received > m_maxBytes)
        return fail(413, QStringLiteral("the request is too large"));
    if (!m_reader.feed(data, size))
        return m_status != 0 ? false
                             : fail(400, QStringLiteral("the check-in upload is malformed"));
    return true;
}

bool CheckInUpload::finish()
{
    if (m_status != 0)
        return false;
    if (!m_reader.isComplete())
        return fail(400, QStringLiteral("the check-in upload is incomplete or malformed"));
    if (!m_hasManifest)
        return fail(400, QStringLiteral("a check-in is a multipart form with a manifest"));
    if (m_contentsFile.isOpen() && (!m_contentsFile.flush() || !m_contentsFile.seek(0))) {
        return cannotStore(QStringLiteral("cannot write"));
    }
    return true;
}

QIODevice *CheckInUpload::contents()
{
    return m_contentsFile.isOpen() ? &m_contentsFile : nullptr;
}

bool CheckInUpload::beginPart(const QByteArray &name)
{
    if (name == "manifest") {
        if (m_hasManifest)
            return fail(400, QStringLiteral("the check-in holds more than one manifest"));
        m_hasManifest = true;
        m_part = Part::Manifest;
    } else if (name == "contents") {
        if (m_contentsFile.isOpen())
            return fail(400, QStringLiteral("the check-in holds more than one contents part"));
        if (!m_contentsFile.open()) {
            return cannotStore(QStringLiteral("cannot create a file in ") + m_folder);
        }
        m_part = Part::Contents;
    } else {
        m_part = Part::Ignored;
    }
    return true;
}

bool CheckInUpload::receivePart(const char *data, size_t length)
{
    switch (m_part) {
    case Part::Manifest:
        if (m_manifest.size() + static_cast<qint64>(length) > platform::kMaxJsonBodyBytes)
            return fail(413, QStringLiteral("the manifest is too large"));
        m_manifest.append(data, static_cast<int>(length));
        break;
    case Part::Contents:
        if (m_contentsFile.write(data, static_cast<qint64>(length))
            != static_cast<qint64>(length)) {
            return cannotStore(QStringLiteral("cannot write"));
        }
        if (FaultPoint::fails("platform.checkin.piece"))
            return fail(500, FaultPoint::failureText("platform.checkin.piece"));
        break;
    case Part::None:
    case Part::Ignored:
        break;
    }
    return true;
}

bool CheckInUpload::cannotStore(const QString &what)
{
    const QString reason = m_contentsFile.errorString();
    const QString text =
        DiskSpace::failureText(QStringLiteral("the platform cannot store the upload"), reason);
    const bool full = text == DiskSpace::fullText();
    qCWarning(lcUpload).noquote() << what << m_contentsFile.fileName() << ":"
                                  << (full ? QStringLiteral("No space left on device") : reason);
    fail(507, text);
    if (full)
        Database::releaseSpace();
    return false;
}

bool CheckInUpload::fail(int status, const QString &message)
{
    if (m_status == 0) {
        m_status = status;
        m_error = message;
    }
    // A refused body's bytes go at once, before the answer: on a full disk they are the room
    // the client's next request (a deletion) needs.
    if (m_contentsFile.isOpen())
        m_contentsFile.remove();
    return false;
}
