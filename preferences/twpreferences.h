#pragma once

#include <memory>

#include <QDataStream>
#include <QObject>
#include <QString>

#include "preferences/twgenernalpreferences.h"
#include "preferences/twignorelistpreferences.h"
#include "preferences/twselectionpreferences.h"

// Every user setting of the program, in three groups, kept in the file
// "preferences.cfg". The program shares one store through instance(); tools
// and tests may also build their own store on another file.
class TwPreferences : public QObject {
    Q_OBJECT

public:
    static constexpr const char *FileName = "preferences.cfg";

    // The shared store, created and loaded from filePath() on the first call.
    static TwPreferences *instance();
    // Destroys the shared store; the next instance() would load it again.
    static void destroyInstance();

    // The file the shared store uses; must be set before the first
    // instance() to take effect there. Empty restores the default location.
    static void setFilePath(const QString &path);
    // "preferences.cfg" next to the executable, or in the user's config
    // folder when the executable's folder cannot be written.
    static QString defaultFilePath();

    // A store at its defaults bound to `path` (nothing is read yet).
    explicit TwPreferences(const QString &path = QString(), QObject *parent = nullptr);
    ~TwPreferences() override;

    QString filePath() const { return m_filePath; }

    TwGenernalPreferences *general() const { return m_general.get(); }
    TwIgnoreListPreferences *ignoreList() const { return m_ignoreList.get(); }
    TwSelectionPreferences *selection() const { return m_selection.get(); }

    // Copies into the owned groups, so pointers handed out earlier stay valid.
    void setGeneral(const TwGenernalPreferences &general) { *m_general = general; }
    void setIgnoreList(const TwIgnoreListPreferences &ignoreList) { *m_ignoreList = ignoreList; }
    void setSelection(const TwSelectionPreferences &selection) { *m_selection = selection; }

    // Resets every group to its defaults and reads `path`. A missing or
    // foreign file leaves the defaults; returns true when all three sections
    // were read.
    bool load(const QString &path);
    // Writes the store's file atomically; false when it could not be written.
    bool save() const;
    bool saveTo(const QString &path) const;

    // The three sections in file order. Each section that does not match or
    // cannot be read completely keeps its current values.
    bool read(QDataStream &in);
    void write(QDataStream &out) const;

    // The stream settings of the file: big-endian, doubles, Qt 5.15.
    static void prepareStream(QDataStream &stream);

private:
    void resetToDefaults();

    QString m_filePath;
    std::unique_ptr<TwGenernalPreferences> m_general;
    std::unique_ptr<TwIgnoreListPreferences> m_ignoreList;
    std::unique_ptr<TwSelectionPreferences> m_selection;
};
