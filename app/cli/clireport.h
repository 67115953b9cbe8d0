#pragma once

#include <QString>

class TwSearchResult;

// Renders the groups of a finished scan for the command-line program: a text
// block per group (the JSON comes from ResultWriter).
class CliReport {
public:
    // One block per group: "[category] name (exact|similar)", then one line
    // per member, "* " in front of the files the automatic selection checked.
    static QString text(const TwSearchResult &result);
};
