#pragma once

#include <QJsonDocument>
#include <QString>

class QTextStream;
class TwSearchResult;

// Renders the groups of a finished scan for the command-line program: a text
// block per group, or one JSON document with the groups and the totals.
class CliReport {
public:
    // One block per group: "[category] name (exact|similar)", then one line
    // per member, "* " in front of the files the automatic selection checked.
    static QString text(const TwSearchResult &result);
    static QJsonDocument json(const TwSearchResult &result);
    // The same document written group by group, so a scan of many files
    // never holds the whole document in memory at once.
    static void writeJson(const TwSearchResult &result, QTextStream &out);
};
