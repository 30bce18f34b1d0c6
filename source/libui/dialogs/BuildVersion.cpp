#include "dialogs/BuildVersion.h"

#include "startup/Init.h"

#include <QRegularExpression>

#ifndef QUILLMERE_GIT_DESCRIPTION
#define QUILLMERE_GIT_DESCRIPTION ""
#endif
#ifndef QUILLMERE_GIT_COMMIT
#define QUILLMERE_GIT_COMMIT ""
#endif

namespace UI {

namespace {

const QString dirtySuffix = QStringLiteral("-dirty");

struct Parts
{
    QString tag;
    QString hash;
    bool dirty = false;
};

Parts split(QString description)
{
    Parts parts;
    description = description.trimmed();
    if (description.endsWith(dirtySuffix)) {
        parts.dirty = true;
        description.chop(dirtySuffix.size());
    }
    if (description.isEmpty())
        return parts;
    // Tags may hold dashes themselves, so the count and hash are taken from the end.
    static const QRegularExpression described(QStringLiteral("^(.+)-(\\d+)-g([0-9a-f]{4,})$"));
    static const QRegularExpression bareHash(QStringLiteral("^[0-9a-f]{4,40}$"));
    if (const auto m = described.match(description); m.hasMatch()) {
        parts.tag = m.captured(1);
        parts.hash = m.captured(3);
    } else if (bareHash.match(description).hasMatch()) {
        parts.hash = description;
    } else {
        parts.tag = description;
    }
    return parts;
}

} // namespace

QString BuildVersion::projectVersion()
{
    return Model::version();
}

QString BuildVersion::description()
{
    return QStringLiteral(QUILLMERE_GIT_DESCRIPTION);
}

QString BuildVersion::commit()
{
    return QStringLiteral(QUILLMERE_GIT_COMMIT);
}

QString BuildVersion::releaseTag(const QString& description)
{
    const Parts parts = split(description);
    if (!parts.tag.isEmpty())
        return parts.tag;
    return parts.hash.isEmpty() ? QStringLiteral("unknown") : QStringLiteral("untagged");
}

QString BuildVersion::commitName(const QString& description, const QString& commit)
{
    const Parts parts = split(description);
    QString hash = parts.hash.isEmpty() ? commit.trimmed() : parts.hash;
    if (hash.isEmpty())
        return QStringLiteral("unknown");
    return parts.dirty ? hash + dirtySuffix : hash;
}

} // namespace UI
