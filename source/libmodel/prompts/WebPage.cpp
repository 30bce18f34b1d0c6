#include "prompts/WebPage.h"

#include "prompts/Prompter.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>

namespace Model {

namespace {
const char* const site = "https://quillmere.org";
}

QUrl WebPage::address(const QString& path)
{
    return QUrl(QString::fromLatin1(site) + path);
}

bool WebPage::open(QWidget* parent, const QUrl& url)
{
    if (QDesktopServices::openUrl(url))
        return true;
    Prompter::warning(parent, QGuiApplication::applicationDisplayName(),
                      QCoreApplication::translate(
                          "Model::WebPage",
                          "No web browser could be started to show the page.\n\n"
                          "To read it, copy this address into a web browser:\n%1")
                          .arg(url.toString()));
    return false;
}

} // namespace Model
