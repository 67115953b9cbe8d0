#pragma once

#include <QString>

class QTextStream;
class TwSearchResult;

// Renders the groups of a finished scan for the command-line program: a text
// block per group (the JSON comes from ResultWriter).
class CliReport {
public:
    // One block per group: "[category] name (exact|similar)", then one line
    // per member, "* " in front of the files the automatic selection checked.
    static QString text(const TwSearchResult &result);
    // The same written to `out` group by group, so a report of a million
    // files is never held whole.
    static void write(const TwSearchResult &result, QTextStream &out);
};
