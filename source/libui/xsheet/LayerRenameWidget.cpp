#include "xsheet/LayerRenameWidget.h"

#include <QGraphicsEffect>
#include <QHelpEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QToolTip>

namespace UI {

namespace {

// The field's drop shadow: the whole artwork centred on the field.
class ShadowEffect : public QGraphicsEffect
{
public:
    explicit ShadowEffect(QObject* parent)
        : QGraphicsEffect(parent)
        , m_artwork(QStringLiteral(":/xsheet/LayerRenameShadow.svg"))
    {
    }

    QRectF boundingRectFor(const QRectF& r) const override
    {
        // Never smaller than the field itself, which would cut a wide field off.
        return QRectF(r.center().x() - m_size.width() / 2.0, r.center().y() - m_size.height() / 2.0,
                      m_size.width(), m_size.height())
            .united(r);
    }

protected:
    void draw(QPainter* painter) override
    {
        QPoint offset;
        const QPixmap source = sourcePixmap(Qt::LogicalCoordinates, &offset, NoPad);
        const QRectF r = sourceBoundingRect(Qt::LogicalCoordinates);
        const QPointF topLeft(r.center().x() - m_size.width() / 2.0, r.center().y() - m_size.height() / 2.0);
        painter->drawPixmap(topLeft, m_artwork.pixmap(m_size, painter->device()->devicePixelRatioF()));
        painter->drawPixmap(offset, source);
    }

private:
    QIcon m_artwork;
    QSize m_size{90, 38};
};

bool isEscape(int key)
{
    return key == Qt::Key_Escape;
}

bool isReturn(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

LayerRenameWidget::LayerRenameWidget(QWidget* parent)
    : QLineEdit(parent)
{
    setAlignment(Qt::AlignCenter);
    QPalette p = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Text, QColor(QStringLiteral("#FFFFFF")));
    setPalette(p);
    setProperty("X-Sheet layer rename", true);
    setFocusPolicy(Qt::ClickFocus);
    setGraphicsEffect(new ShadowEffect(this));
}

void LayerRenameWidget::finish(bool commit)
{
    if (m_finished)
        return;
    m_finished = true;
    if (commit)
        emit renamed(text());
    close();
}

void LayerRenameWidget::showEvent(QShowEvent* event)
{
    m_finished = false;
    QLineEdit::showEvent(event);
}

bool LayerRenameWidget::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isEscape(key->key()) || isReturn(key->key())) {
            event->accept();
            return true;
        }
        break;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isEscape(key->key()) || isReturn(key->key())) {
            finish(isReturn(key->key()));
            event->accept();
            return true;
        }
        break;
    }
    case QEvent::ToolTip:
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tr("Set Layer Name"), this);
        return true;
    default:
        break;
    }
    return QLineEdit::event(event);
}

void LayerRenameWidget::focusOutEvent(QFocusEvent* event)
{
    finish(true);
    QLineEdit::focusOutEvent(event);
}

} // namespace UI
