#include "platform/nativefilepath.h"

#include "platform/nativepath.h"

NativeFilePath::NativeFilePath(const QString &path)
{
    const QByteArray native = NativePath::encode(path);
    const int slash = native.lastIndexOf('/');
    m_folder = native.left(slash + 1);
    m_name = native.mid(slash + 1);
}

QString NativeFilePath::path() const
{
    // '/' never occurs inside a multi-byte sequence, so the two parts decode
    // apart exactly as they would together.
    return NativePath::decode(m_folder) + NativePath::decode(m_name);
}
