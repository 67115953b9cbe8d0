#pragma once

#include <QString>
#include <QStringList>

// Texts that several parts of the program must spell identically: the
// category names and the suffix lists that decide a file's category.
namespace TwShared {

QString archivesName();
QString documentsName();
QString imagesName();
QString musicsName();
QString packagesName();
QString videosName();
QString othersName();

// The seven category names: the six categories in key order, then "Others".
QStringList categoryNames();

// Display name of the package category; its key stays packagesName().
QString packageDisplayName();

// A category key as people read it, in the loaded translation. Keys are never
// translated: results, settings and buttons look categories up by key.
QString categoryDisplayName(const QString &key);

// Comma-separated suffix lists of the categories. Some entries carry blanks
// or tabs in front and therefore never match a real suffix.
QString archiveExtensions();
QString documentExtensions();
QString imageExtensions();
QString musicExtensions();
QString packageExtensions();
QString videoExtensions();

// The suffixes whose files are decoded as images (narrower than the image
// category).
QString imageSuffixes();

} // namespace TwShared
