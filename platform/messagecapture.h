#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Collects what libraries print while this object lives, on its own thread
// only: Qt messages and whatever C code writes to stderr (image codecs print
// their complaints there, naming no file). Other threads print as before. The
// caller logs what was caught once, with the name of the file it concerns.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture &) = delete;
    MessageCapture &operator=(const MessageCapture &) = delete;

    // The lines caught so far, trimmed and joined by "; "; empty if none.
    QString text() const;

    // Called by the process-wide hooks; true when the text was taken by a
    // capture on the calling thread.
    static bool takeMessage(const QString &message);
    static bool takeOutput(const char *bytes, size_t size);

private:
    QByteArray m_output;
    QStringList m_messages;
    MessageCapture *m_outer;
};
