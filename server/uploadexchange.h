#pragma once

#include "httpexchange.h"
#include "uploadsession.h"

#include <QByteArray>

// The body of one append to a resumable upload, stored piece by piece as it arrives, so that
// the bytes of a connection that drops stay received. Holds the upload's turn (see
// UploadSession::takeOver()) for its lifetime.
class UploadExchange : public HttpExchange
{
public:
    // Appends from the session's received bytes in the turn given; releases the turn.
    UploadExchange(const UploadSession &session, quint64 turn);
    ~UploadExchange() override;

    bool receive(const char *data, size_t size) override;
    void finish() override;

    // The session's state as an answer, with an error message when there is one.
    static HttpResponse progressAnswer(int status, const UploadSession &session,
                                       const QString &error = QString());

private:
    // Stores what is buffered; false when the database refused it.
    bool store();

    UploadSession m_session;
    quint64 m_turn;
    qint64 m_received = 0; // stored and buffered
    QByteArray m_buffer;
};
