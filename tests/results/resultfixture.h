#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <memory>

#include "engine/scanengine.h"
#include "engine/twsearchresult.h"
#include "preferences/twpreferences.h"
#include "tests/support/temptree.h"

namespace ResultFixture {

// A busy picture with plenty of corners for the feature matcher. The same seed
// draws the same picture at any size; the hue keeps different seeds apart.
inline QImage drawPicture(quint32 seed, const QSize &size, int hue)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(hue, 60, 235));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator random(seed);
    const double sx = size.width() / 400.0;
    const double sy = size.height() / 300.0;
    painter.scale(sx, sy);
    for (int i = 0; i < 60; ++i) {
        const QColor colour = QColor::fromHsv(
            (hue + random.bounded(40)) % 360, 120 + random.bounded(135), 60 + random.bounded(195));
        painter.setBrush(colour);
        painter.setPen(QPen(colour.darker(160), 2));
        const QRect rect(random.bounded(360), random.bounded(260), 12 + random.bounded(60),
            12 + random.bounded(50));
        if (i % 3 == 0)
            painter.drawEllipse(rect);
        else if (i % 3 == 1)
            painter.drawRect(rect);
        else
            painter.drawLine(rect.topLeft(), rect.bottomRight());
    }
    return image;
}

inline QByteArray bytes(char seed, int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char((seed * 31 + i * 7 + (i / 13)) & 0xff);
    return data;
}

// Points the shared preferences at a file of the test's own and keeps every
// standard location (the recycle bin included) inside the temporary tree.
inline void isolate(const TempTree &tree)
{
    QDir().mkpath(tree.path(QStringLiteral("home")));
    qputenv("HOME", QFile::encodeName(tree.path(QStringLiteral("home"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(tree.path(QStringLiteral("home/.local/share"))));
    QStandardPaths::setTestModeEnabled(true);
    TwPreferences::destroyInstance();
    TwPreferences::setFilePath(tree.path(QStringLiteral("home/preferences.cfg")));
}

// The sample folder: three document groups' worth of copies, one music pair,
// one pair of unknown type, an exact pair of images, a pair of alike photos
// and one lone picture.
inline bool writeSampleFolder(const TempTree &tree, const QString &folder)
{
    bool ok = true;
    const QByteArray report = bytes('r', 5000);
    const QByteArray notes = bytes('n', 2000);
    const QByteArray song = bytes('s', 9000);
    const QByteArray data = bytes('d', 1500);
    auto write = [&](const QString &name, const QByteArray &content) {
        ok = !tree.writeFile(folder + QLatin1Char('/') + name, content).isEmpty() && ok;
    };
    write(QStringLiteral("docs/report.txt"), report);
    write(QStringLiteral("docs/old/report (2).txt"), report);
    write(QStringLiteral("docs/backup/report_copy.txt"), report);
    write(QStringLiteral("docs/notes.pdf"), notes);
    write(QStringLiteral("docs/archive/notes.pdf"), notes);
    write(QStringLiteral("music/song.mp3"), song);
    write(QStringLiteral("music/copy/song.mp3"), song);
    write(QStringLiteral("misc/data.xyz"), data);
    write(QStringLiteral("misc/dup/data.xyz"), data);

    tree.makeDir(folder + QStringLiteral("/pics/copy"));
    tree.makeDir(folder + QStringLiteral("/pics/edit"));
    const QImage photo = drawPicture(1, QSize(320, 240), 0);
    ok = photo.save(tree.path(folder + QStringLiteral("/pics/photo.png"))) && ok;
    ok = photo.save(tree.path(folder + QStringLiteral("/pics/copy/photo.png"))) && ok;
    ok = drawPicture(2, QSize(400, 300), 200)
             .save(tree.path(folder + QStringLiteral("/pics/sunset.jpg")), "JPG", 92)
        && ok;
    ok = drawPicture(2, QSize(360, 270), 200)
             .save(tree.path(folder + QStringLiteral("/pics/edit/sunset_small.jpg")), "JPG", 85)
        && ok;
    QImage lone(300, 300, QImage::Format_RGB32);
    lone.fill(Qt::black);
    QPainter painter(&lone);
    for (int x = 0; x < 300; x += 20)
        painter.fillRect(x, 0, 10, 300, QColor(120, 255, 40));
    painter.end();
    ok = lone.save(tree.path(folder + QStringLiteral("/pics/stripes.png"))) && ok;
    return ok;
}

// Runs a whole scan of `folder` and waits for its end.
inline std::unique_ptr<ScanEngine> scan(const QString &folder)
{
    auto engine = std::make_unique<ScanEngine>();
    QSignalSpy ended(engine.get(), &ScanEngine::scanEnded);
    if (!engine->BeginScanCatalogue(
            { folder }, ScanSettings::fromPreferences(*TwPreferences::instance())))
        return nullptr;
    if (ended.isEmpty() && !ended.wait(120000))
        return nullptr;
    return engine;
}

} // namespace ResultFixture
