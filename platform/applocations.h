#pragma once

#include <QString>

// Where the program keeps the files it writes (log folder, preferences file).
// They belong next to the executable, but an installed program's folder is
// usually read-only; then the user's standard locations are used instead,
// with the same names and formats. A program installed into a system layout
// always uses the user's locations.
class AppLocations {
public:
    // Folder `name` under the application folder when that can be written,
    // else under the user's data folder for the product. The folder is not created.
    static QString dataFolder(const QString &name);

    // The application folder when it can be written, else the user's
    // configuration folder for the product (not created).
    static QString configFolder();

    // configFolder() + "/" + fileName, except that a writable file of that
    // name already next to the executable keeps being used.
    static QString configFile(const QString &fileName);

    // True when the application folder is the bin folder of an installed
    // layout: our desktop entry sits in the share/applications folder beside it.
    static bool isInstalledLayout();

    // The folder that holds the executable, or the override set below.
    static QString applicationFolder();

    // Lets tests pretend the executable lives elsewhere; empty restores it.
    static void setApplicationFolderOverride(const QString &folder);

    // True when a file can be created in `folder` (created with its parents
    // if missing). Probed with a real file: permission bits alone lie on
    // network shares, under ACLs and for the administrator.
    static bool isWritableFolder(const QString &folder);

    // `preferred` when writable, else `fallback`.
    static QString chooseFolder(const QString &preferred, const QString &fallback);
};
