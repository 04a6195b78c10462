#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QtTest>

// Shared by the drawing layer's tests: sample files, copies into a test folder and the
// independent reader (ezdxf, from Debian's python3-ezdxf).
namespace DxfTest {

inline QString dataPath(const QString &relative)
{
    return QStringLiteral(AUREX_TEST_DATA "/") + relative;
}

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every file below folder (hidden ones too) with its bytes, by relative path.
inline QMap<QString, QByteArray> folderContents(const QString &folder)
{
    QMap<QString, QByteArray> contents;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        contents.insert(QDir(folder).relativeFilePath(path), readBytes(path));
    }
    return contents;
}

// Why doc cannot read the file at path; empty when it can. Compared with QString(), a failure
// shows the reason.
template <typename Document>
QString readError(Document &doc, const QString &path)
{
    QString error;
    return doc.read(path, &error) ? QString() : QStringLiteral("cannot read: ") + error;
}

// Copies a sample (relative to the data folder) to target, creating folders on the way.
inline bool copySample(const QString &relative, const QString &target)
{
    const QByteArray bytes = readBytes(dataPath(relative));
    return !bytes.isEmpty() && writeBytes(target, bytes);
}

// A "path" row for every sample drawing, named by its place in the data folder; returns how
// many there are.
inline int addSampleRows()
{
    QTest::addColumn<QString>("path");
    QDirIterator it(QStringLiteral(AUREX_TEST_DATA), {"*.dxf", "*.dwg"}, QDir::Files,
                    QDirIterator::Subdirectories);
    int rows = 0;
    for (; it.hasNext(); ++rows) {
        const QString path = it.next();
        QTest::newRow(qPrintable(path.mid(int(strlen(AUREX_TEST_DATA)) + 1))) << path;
    }
    return rows;
}

// The JSON object a Python script (with Debian's python3-ezdxf) prints when run with arguments,
// the script first; {"processError": why} when it does not run or fails.
inline QJsonObject pythonReport(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"), arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        return {{"processError", QString::fromLocal8Bit(process.readAllStandardError())
                                     + process.errorString()}};
    }
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

// What ezdxf reads and audits in the file at path: "errors", "xrefs", "images", "pdfs",
// "inserts", "modelspace", "attributes" (see ezdxf_check.py); "readError" when it cannot read
// it, and "processError" when the reader did not run.
inline QJsonObject ezdxfReport(const QString &path)
{
    return pythonReport({QStringLiteral(AUREX_EZDXF_CHECK), path});
}

} // namespace DxfTest
