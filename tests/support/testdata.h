#pragma once

#include <QByteArray>

// Deterministic content that differs for every seed: files of equal size
// whose bytes are unrelated unless the test makes them so.
inline QByteArray patterned(int size, int seed)
{
    QByteArray data(size, Qt::Uninitialized);
    quint32 state = 2166136261u ^ quint32(seed);
    for (int i = 0; i < size; ++i) {
        state = state * 16777619u + 0x9e3779b9u;
        data[i] = char(state >> 24);
    }
    return data;
}

// `data` with one bit changed at `offset`: the smallest possible difference.
inline QByteArray flipped(QByteArray data, int offset)
{
    data[offset] = char(data[offset] ^ 0x01);
    return data;
}
