#pragma once

#include <QString>

// Which similar-image method a scan uses. Kept in the program's native
// settings store, beside the update service's address, so that the
// preferences file keeps its format.
class SimilarMethodSetting {
public:
    enum Method { Accurate = 0, Classic = 1 };

    static constexpr const char *Key = "similar_method";
    static constexpr Method Default = Accurate;

    // The stored method; the default when none or an unknown one is stored.
    static Method load();
    static void save(Method method);

    // "accurate" / "classic", as stored and as the command line takes them.
    static QString name(Method method);
    // False (and `method` unchanged) for anything else; case is ignored.
    static bool parse(const QString &text, Method *method);
};
