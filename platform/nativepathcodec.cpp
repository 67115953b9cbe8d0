#include "platform/nativepathcodec.h"

#include <QString>

#include <mutex>

#include "platform/nativepath.h"

namespace {

// Bytes a UTF-8 sequence starting with `lead` takes; 0 for a byte that
// cannot start one.
int sequenceLength(uchar lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 0;
}

// How many bytes at the end of `in` start a sequence the next chunk may
// complete; those are held back when converting a stream piece by piece.
int incompleteTail(const char *in, int length)
{
    const auto *s = reinterpret_cast<const uchar *>(in);
    for (int back = 1; back <= 3 && back <= length; ++back) {
        const uchar byte = s[length - back];
        if ((byte & 0xC0) == 0x80)
            continue;
        const int needed = sequenceLength(byte);
        return needed > back ? back : 0;
    }
    return 0;
}

} // namespace

void NativePathCodec::install()
{
    static std::once_flag once;
    // Registered codecs belong to Qt, which deletes them at exit.
    std::call_once(once, [] { QTextCodec::setCodecForLocale(new NativePathCodec); });
}

QByteArray NativePathCodec::name() const
{
    return QByteArrayLiteral("UTF-8 with raw bytes");
}

int NativePathCodec::mibEnum() const
{
    // Private range: never chosen for a MIB name lookup.
    return -4106;
}

QString NativePathCodec::convertToUnicode(const char *in, int length, ConverterState *state) const
{
    QByteArray pending;
    if (state && state->remainingChars > 0) {
        for (int i = 0; i < state->remainingChars; ++i)
            pending.append(char(state->state_data[i]));
        state->remainingChars = 0;
    }
    pending.append(in, length);
    // With a state the text comes piece by piece: a sequence cut at the end
    // waits for the rest instead of turning into raw bytes.
    const int held = state ? incompleteTail(pending.constData(), pending.size()) : 0;
    if (held > 0) {
        for (int i = 0; i < held; ++i)
            state->state_data[i] = uchar(pending.at(pending.size() - held + i));
        state->remainingChars = held;
    }
    return NativePath::decode(pending.constData(), pending.size() - held);
}

QByteArray NativePathCodec::convertFromUnicode(
    const QChar *in, int length, ConverterState *state) const
{
    QString text;
    if (state && state->remainingChars > 0) {
        text.append(QChar(ushort(state->state_data[0])));
        state->remainingChars = 0;
    }
    text.append(in, length);
    // A high surrogate at the end may be completed by the next piece.
    const QChar last = text.isEmpty() ? QChar() : text.at(text.size() - 1);
    if (state && last.isHighSurrogate()) {
        state->state_data[0] = last.unicode();
        state->remainingChars = 1;
        text.chop(1);
    }
    return NativePath::encode(text);
}
