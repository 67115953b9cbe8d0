#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

// A real HTTP server on 127.0.0.1 that answers every GET with the canned reply
// of its path and remembers the requests it saw.
class CannedHttpServer : public QTcpServer {
public:
    struct Reply {
        int status = 200;
        QByteArray body = "{}";
    };

    CannedHttpServer()
    {
        connect(this, &QTcpServer::newConnection, this, &CannedHttpServer::acceptAll);
    }

    void setReply(const QString &path, int status, const QByteArray &body)
    {
        m_replies.insert(path, Reply { status, body });
    }

    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }

    QList<QUrl> requests;

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
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
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
        QByteArray answer = "HTTP/1.1 " + QByteArray::number(reply.status)
            + (reply.status == 200 ? " OK" : " Failed") + "\r\n"
            + "Content-Type: application/json\r\n"
            + "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n"
            + "Connection: close\r\n\r\n" + reply.body;
        socket->write(answer);
        socket->disconnectFromHost();
    }

    QHash<QString, Reply> m_replies;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};
