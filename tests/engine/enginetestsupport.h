#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include "preferences/twpreferences.h"

// Points the shared preferences at a file in a temporary folder before their
// first use, so no test ever reads or writes the user's settings, and puts
// them back to their defaults between cases.
class TestPreferences {
public:
    static void setUp()
    {
        QStandardPaths::setTestModeEnabled(true);
        static QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("preferences.cfg"));
        TwPreferences::setFilePath(file);
        reset();
    }

    // Defaults: the file never exists, so loading it resets every group.
    static void reset()
    {
        static QTemporaryDir folder;
        TwPreferences::instance()->load(folder.filePath(QStringLiteral("missing.cfg")));
    }
};

// Deterministic file contents.
inline QByteArray randomBytes(quint32 seed, int size)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(generator.bounded(256));
    return bytes;
}

#include <QImage>

// A deterministic textured picture: blocks of random grey levels with a
// gradient, different for every seed.
inline QByteArray drawnPng(quint32 seed, int width = 96, int height = 64)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator generator(seed);
    for (int y = 0; y < height; y += 8)
        for (int x = 0; x < width; x += 8) {
            const int level = generator.bounded(256);
            for (int dy = 0; dy < 8 && y + dy < height; ++dy)
                for (int dx = 0; dx < 8 && x + dx < width; ++dx)
                    image.setPixel(
                        x + dx, y + dy, qRgb(level, (level + x) % 256, (level + y * 2) % 256));
        }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}
