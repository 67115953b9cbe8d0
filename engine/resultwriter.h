#pragma once

#include <QString>

class QTextStream;
class TwSearchResult;

/**
 * Writes the groups of a result as the command-line program prints them and
 * as the results window exports them, so both give the same document: one
 * JSON document with the groups and the totals, or CSV with one row per
 * member.
 */
class ResultWriter {
public:
    /**
     * Writes the JSON document group by group, so a result of many files is
     * never held in memory as a whole. Members carry the marks as they are
     * now: the automatic selection's after a scan, the user's in the window.
     */
    static void writeJson(const TwSearchResult &result, QTextStream &out);
    /**
     * Writes a header row, then per member: category, group, match kind
     * ("exact" or "similar"), path, size in bytes, match key and mark
     * ("true" for a file marked for removal). Rows end in CRLF.
     */
    static void writeCsv(const TwSearchResult &result, QTextStream &out);
    /** @p text as one CSV field: quoted, quotes doubled, when it needs it. */
    static QString csvField(const QString &text);
};
