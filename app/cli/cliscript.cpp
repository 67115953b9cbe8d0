#include "app/cli/cliscript.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include "model/filestamp.h"
#include "platform/nativepath.h"

namespace {

// The part before the removals. The check is done by the shell right before
// each rm, so a file edited between writing and running the script stays.
const char ScriptHead[] = R"sh(#!/bin/sh
# Removes the copies that twinscan-cli selected, for you to review first.
# Each file is removed only while its size and modification time are still
# those the scan saw, and those of the copy that stays are too.
set -u
removed=0
kept=0
failed=0

tw_remove() {
    if [ "$(stat -c %s:%Y -- "$1" 2>/dev/null)" != "$2" ]; then
        printf 'changed since the scan, kept: %s\n' "$1" >&2
        kept=$((kept + 1))
    elif [ "$(stat -c %s:%Y -- "$3" 2>/dev/null)" != "$4" ]; then
        printf 'the copy that stays changed since the scan, kept: %s\n' "$1" >&2
        kept=$((kept + 1))
    elif rm -f -- "$1"; then
        removed=$((removed + 1))
    else
        failed=$((failed + 1))
    fi
}

)sh";

const char ScriptTail[] = R"sh(
printf '%s removed, %s kept because they changed since the scan, %s failed\n' \
    "$removed" "$kept" "$failed" >&2
[ "$failed" -eq 0 ] || exit 1
[ "$kept" -eq 0 ] || exit 4
exit 0
)sh";

} // namespace

void CliScript::addRemoval(
    const QString &path, const FileStamp &stamp, const QString &kept, const FileStamp &keptStamp)
{
    m_removals += "tw_remove " + shellQuoted(path) + ' ' + statText(stamp) + ' ' + shellQuoted(kept)
        + ' ' + statText(keptStamp) + '\n';
    ++m_count;
}

bool CliScript::writeTo(const QString &file, QString *problem) const
{
    QFile script(file);
    // NewOnly: a file that appeared since the command line was read stays.
    if (!script.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *problem = QStringLiteral("%1: %2").arg(file, script.errorString());
        return false;
    }
    const QByteArray written
        = "# Written on " + QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8() + ".\n";
    const QByteArray content = ScriptHead + written + m_removals + ScriptTail;
    if (script.write(content) != content.size() || !script.flush()) {
        *problem = QStringLiteral("%1: %2").arg(file, script.errorString());
        script.remove();
        return false;
    }
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    return true;
}

QByteArray CliScript::shellQuoted(const QString &path)
{
    QByteArray bytes = NativePath::encode(path);
    bytes.replace('\'', "'\\''");
    return '\'' + bytes + '\'';
}

QByteArray CliScript::statText(const FileStamp &stamp)
{
    // %Y is whole seconds, rounded down also before 1970.
    const qint64 ns = stamp.modifiedNs();
    qint64 seconds = ns / 1000000000;
    if (ns % 1000000000 < 0)
        --seconds;
    return QByteArray::number(stamp.size()) + ':' + QByteArray::number(seconds);
}
