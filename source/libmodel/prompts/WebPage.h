#pragma once

#include <QString>
#include <QUrl>

class QWidget;

namespace Model {

// The maker's web site, and the one way the program opens its pages. Every
// help link, tutorial video and "more info" address is made here, so that all
// of them name the same site.
class WebPage
{
public:
    // The page at `path` (starting with a slash, with an optional fragment)
    // on the maker's site.
    static QUrl address(const QString& path);

    // Hands the page to the user's web browser. When none takes it the user is
    // told so, with the address to copy, and false is returned.
    static bool open(QWidget* parent, const QUrl& url);
};

} // namespace Model
