#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

// A real HTTP server on 127.0.0.1 that answers every GET with the canned reply
// of its path and remembers the requests it saw. Besides complete replies it
// can stall, or stream a body without end, as a hostile or broken server would.
class CannedHttpServer : public QTcpServer {
public:
    enum class Delivery {
        Complete,
        // Nothing at all after the request.
        StallBeforeHeaders,
        // The headers and half of the body, then nothing.
        StallInBody,
        // The headers, then the body over and over until the client goes or
        // EndlessLimit bytes were sent.
        Endless
    };
    static constexpr qint64 EndlessLimit = 256 * 1024 * 1024;

    struct Reply {
        int status = 200;
        QByteArray body = "{}";
        Delivery delivery = Delivery::Complete;
        // Raw header lines, each ending in "\r\n".
        QByteArray extraHeaders;
        // Sent as Content-Length when not negative; the body's size by default.
        qint64 announcedLength = -1;
        // Without a length the body ends where the server closes.
        bool sendLength = true;
    };

    CannedHttpServer()
    {
        connect(this, &QTcpServer::newConnection, this, &CannedHttpServer::acceptAll);
    }

    void setReply(const QString &path, int status, const QByteArray &body)
    {
        Reply reply;
        reply.status = status;
        reply.body = body;
        m_replies.insert(path, reply);
    }
    void setReply(const QString &path, const Reply &reply) { m_replies.insert(path, reply); }

    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }

    QList<QUrl> requests;
    // Body bytes handed to the sockets, over all replies.
    qint64 bodyBytesSent = 0;
    // Connections the client closed before its reply was complete.
    int clientHangUps = 0;

    int requestCount(const QString &path) const
    {
        int count = 0;
        for (const QUrl &url : requests)
            count += url.path() == path ? 1 : 0;
        return count;
    }

private:
    void acceptAll()
    {
        while (QTcpSocket *socket = nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                const bool streaming = m_streaming.remove(socket);
                const bool stalled = m_stalled.remove(socket);
                if (streaming || stalled)
                    ++clientHangUps;
                socket->deleteLater();
            });
        }
    }

    void serve(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
        m_buffers.remove(socket);
        if (requestLine.size() < 2)
            return;
        const QUrl url(QString::fromLatin1(requestLine.at(0) == "GET" ? requestLine.at(1) : ""));
        requests.append(url);
        const Reply reply = m_replies.value(url.path());
        if (reply.delivery == Delivery::StallBeforeHeaders) {
            m_stalled.insert(socket);
            return;
        }
        QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status)
            + (reply.status == 200 ? " OK" : " Other") + "\r\n"
            + "Content-Type: application/json\r\n" + reply.extraHeaders;
        const qint64 length
            = reply.announcedLength >= 0 ? reply.announcedLength : qint64(reply.body.size());
        if (reply.sendLength && (reply.delivery != Delivery::Endless || reply.announcedLength >= 0))
            head += "Content-Length: " + QByteArray::number(length) + "\r\n";
        socket->write(head + "Connection: close\r\n\r\n");

        switch (reply.delivery) {
        case Delivery::Complete:
            sendBody(socket, reply.body);
            socket->disconnectFromHost();
            break;
        case Delivery::StallInBody:
            sendBody(socket, reply.body.left(reply.body.size() / 2));
            m_stalled.insert(socket);
            break;
        case Delivery::Endless:
            m_streaming.insert(socket);
            connect(socket, &QTcpSocket::bytesWritten, socket,
                [this, socket, body = reply.body] { stream(socket, body); });
            stream(socket, reply.body);
            break;
        case Delivery::StallBeforeHeaders:
            break;
        }
    }

    void sendBody(QTcpSocket *socket, const QByteArray &body)
    {
        socket->write(body);
        bodyBytesSent += body.size();
    }

    // Keeps about a megabyte queued, so the client gets data as fast as it reads.
    void stream(QTcpSocket *socket, const QByteArray &body)
    {
        if (!m_streaming.contains(socket) || body.isEmpty())
            return;
        while (socket->bytesToWrite() < 1024 * 1024 && bodyBytesSent < EndlessLimit)
            sendBody(socket, body);
        if (bodyBytesSent >= EndlessLimit) {
            m_streaming.remove(socket);
            socket->disconnectFromHost();
        }
    }

    QHash<QString, Reply> m_replies;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QSet<QTcpSocket *> m_streaming;
    QSet<QTcpSocket *> m_stalled;
};
