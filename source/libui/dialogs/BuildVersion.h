#pragma once

#include <QString>

namespace UI {

// What the build knows about itself: the project version and the
// version-control description taken when the build was configured
// ("git describe --tags --always --dirty", e.g. "v1.2-14-g3ab5c0d-dirty").
// A tree without tags, or a build without git, still gets readable texts.
class BuildVersion
{
public:
    static QString projectVersion();
    static QString description();
    static QString commit();

    // The release tag of a description: "v1.2" for "v1.2-14-g3ab5c0d";
    // "untagged" when the tree has no tag, "unknown" without a description.
    static QString releaseTag(const QString& description);
    // The abbreviated commit of a description, "3ab5c0d" for the example,
    // marked "-dirty" for a modified tree; `commit` stands in when the
    // description is a bare tag; "unknown" when neither says anything.
    static QString commitName(const QString& description, const QString& commit);
};

} // namespace UI
