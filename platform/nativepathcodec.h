#pragma once

#include <QTextCodec>

// UTF-8 that keeps every byte: the locale codec Qt converts file names with,
// so that QFileInfo, QDir, QFile::remove(), QFile::moveToTrash() and the
// program's arguments carry names that are not UTF-8 the way NativePath does,
// whatever the user's locale says. Text that is valid UTF-8 converts exactly
// as with Qt's own codec.
class NativePathCodec : public QTextCodec {
public:
    // Makes this codec the locale codec, once per process; Qt owns it.
    static void install();

    QByteArray name() const override;
    int mibEnum() const override;

protected:
    QString convertToUnicode(const char *in, int length, ConverterState *state) const override;
    QByteArray convertFromUnicode(
        const QChar *in, int length, ConverterState *state) const override;

private:
    NativePathCodec() = default;
};
