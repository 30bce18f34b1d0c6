#include "xsheet/XSheetHeader.h"

#include "models/SceneModel.h"
#include "settings/Settings.h"
#include "xsheet/XSheetCommands.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QIcon>
#include <QItemSelectionModel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

namespace UI {

using Roles = Model::SceneModel::Roles;

namespace {

bool sceneHasAudio()
{
    Model::KWScene* const current = Model::KWScene::currentKWScene();
    return current && current->scene() && current->scene()->isAudioAvailable();
}

} // namespace

class XSheetHeader::XSheetHeaderPrivate
{
public:
    void updateSizes()
    {
        float const s = Model::Settings::instance()->UIScaleFraction();
        buttonRowHeight = int(28 * s);
        nameAreaHeight = int(16 * s);
        fontPixelSize = int(11 * s);
        iconSize = QSize(int(19 * s), int(17 * s));
        updateGradient();
    }

    void updateGradient()
    {
        buttonRowGradient = QLinearGradient(0, 1, 0, buttonRowHeight);
        buttonRowGradient.setColorAt(0, QColor(100, 96, 92));
        buttonRowGradient.setColorAt(1, QColor(116, 112, 108));
        nameAreaGradient =
            QLinearGradient(0, buttonRowHeight + 1, 0, buttonRowHeight + nameAreaHeight);
        nameAreaGradient.setColorAt(0, QColor(92, 88, 84));
        nameAreaGradient.setColorAt(1, QColor(116, 112, 108));
    }

    QLinearGradient buttonRowGradient;
    QLinearGradient nameAreaGradient;
    QColor hoverColor{255, 255, 255, 26};
    QColor pressedColor{0, 0, 0, 26};
    QIcon audioOn{QStringLiteral(":/xsheet/audioOn.svg")};
    QIcon audioOff{QStringLiteral(":/xsheet/audioOff.svg")};
    QIcon linkOn{QStringLiteral(":/xsheet/linkOn.svg")};
    QIcon linkOff{QStringLiteral(":/xsheet/linkOff.svg")};
    QIcon visibilityOn{QStringLiteral(":/xsheet/visibilityOn.svg")};
    QIcon visibilityOff{QStringLiteral(":/xsheet/visibilityOff.svg")};
    QSize iconSize;
    int fontPixelSize = 11;
    int buttonRowHeight = 28;
    int nameAreaHeight = 16;
    QPoint pressPosition;
    QPoint releasePosition;
    int hoverSection = -1;
    SubControl hoverPart = None;
    int pressedSection = -1;
    int pressedSectionAtPress = -1;
    SubControl partUnderPointer = None;
    SubControl partAtPress = None;
};

XSheetHeader::XSheetHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent)
    , d(std::make_unique<XSheetHeaderPrivate>())
{
    d->updateSizes();
    setAttribute(Qt::WA_Hover, true);
    setFixedHeight(d->buttonRowHeight + d->nameAreaHeight);
    setSectionResizeMode(QHeaderView::ResizeToContents);
    setSectionsMovable(false);
    setSectionsClickable(true);
    connect(this, &QHeaderView::sectionDoubleClicked, this, &XSheetHeader::OnSectionDoubleClicked);
}

XSheetHeader::~XSheetHeader() = default;

int XSheetHeader::buttonRowHeight() const
{
    return d->buttonRowHeight;
}

void XSheetHeader::updateUISize()
{
    d->updateSizes();
    setFixedHeight(d->buttonRowHeight + d->nameAreaHeight);
    viewport()->update();
    updateGeometry();
}

XSheetHeader::SubControl XSheetHeader::hitTest(int section, QPoint const& p) const
{
    if (p.y() > d->buttonRowHeight)
        return NameArea;
    if (!model())
        return None;
    switch (model()->headerData(section, Qt::Horizontal, Roles::LayerTypeRole).toInt()) {
    case 1:
    case 2:
    case 3:
        return p.x() - sectionPosition(section) >= sectionSize(section) / 2 - 1 ? RightButton
                                                                                : LeftButton;
    case 4:
    case 5:
        return LeftButton;
    default:
        return None;
    }
}

void XSheetHeader::sectionClicked(int section, SubControl part)
{
    QAbstractItemModel* const m = model();
    if (!m)
        return;
    int const type = m->headerData(section, Qt::Horizontal, Roles::LayerTypeRole).toInt();
    switch (type) {
    case 1:
    case 2:
    case 3:
        if (part == LeftButton)
            XSheetCommands::setLayerLinked(
                section, !m->headerData(section, Qt::Horizontal, Roles::LayerLinkedRole).toBool());
        else if (part == RightButton)
            XSheetCommands::setLayerVisible(
                section, !m->headerData(section, Qt::Horizontal, Roles::LayerVisibleRole).toBool());
        break;
    case 5:
        if (part == LeftButton)
            XSheetCommands::setLayerLinked(
                section, !m->headerData(section, Qt::Horizontal, Roles::LayerLinkedRole).toBool());
        break;
    case 4:
        // Muting is a listening aid, not an edit: no undo step.
        if (part == LeftButton)
            m->setHeaderData(section, Qt::Horizontal,
                             !m->headerData(section, Qt::Horizontal, Roles::LayerAudibleRole).toBool(),
                             Roles::LayerAudibleRole);
        break;
    default:
        break;
    }
}

void XSheetHeader::mousePressEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::RightButton) {
        QHeaderView::mousePressEvent(event);
        return;
    }
    int const hover = d->hoverSection;
    d->hoverSection = -1;
    QHeaderView::mousePressEvent(event);
    d->hoverSection = hover;
    QPoint const pos = event->position().toPoint();
    d->pressPosition = QPoint(pos.x() + offset(), pos.y());
    d->pressedSection = d->pressedSectionAtPress = logicalIndexAt(pos.x());
    d->partUnderPointer = d->partAtPress = hitTest(d->pressedSection, d->pressPosition);
    updateSection(d->pressedSection);
}

void XSheetHeader::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::RightButton)) {
        QPoint const pos = event->position().toPoint();
        if (event->buttons() == Qt::NoButton) {
            d->pressedSection = -1;
        } else if (d->pressedSectionAtPress != -1) {
            int const old = d->pressedSection;
            SubControl const oldPart = d->partUnderPointer;
            d->pressedSection = logicalIndexAt(pos.x());
            d->partUnderPointer = hitTest(d->hoverSection, QPoint(pos.x() + offset(), pos.y()));
            if (old != d->pressedSection || oldPart != d->partUnderPointer) {
                updateSection(old);
                updateSection(d->pressedSection);
            }
        }
    }
    QHeaderView::mouseMoveEvent(event);
}

void XSheetHeader::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::RightButton) {
        QHeaderView::mouseReleaseEvent(event);
        return;
    }
    updateSection(d->pressedSection);
    QPoint const pos = event->position().toPoint();
    int const section = logicalIndexAt(pos.x());
    d->releasePosition = QPoint(pos.x() + offset(), pos.y());
    if (d->pressedSection == section && section != -1) {
        SubControl const part = hitTest(section, d->releasePosition);
        d->pressedSection = -1;
        QHeaderView::mouseReleaseEvent(event);
        if (part == d->partAtPress)
            sectionClicked(section, d->partAtPress);
    } else {
        d->pressedSection = -1;
        QHeaderView::mouseReleaseEvent(event);
    }
}

void XSheetHeader::OnSectionDoubleClicked(int section)
{
    QAbstractItemModel* const m = model();
    if (!m || d->partAtPress != hitTest(section, d->releasePosition) || d->partAtPress != NameArea)
        return;
    int const type = m->headerData(section, Qt::Horizontal, Roles::LayerTypeRole).toInt();
    if (type >= 1 && type <= 3) {
        int const width = sectionSizeFromContents(section).width();
        emit doubleClickedLayer(section, QRect(0, d->buttonRowHeight, width, d->nameAreaHeight));
    } else if (type == 4) {
        XSheetCommands::askForAudioOffset(this, m->headerData(section, Qt::Horizontal, Qt::DisplayRole).toDouble());
    }
}

int XSheetHeader::visualLayerSectionAt(QHeaderView const* view, int x)
{
    int const section = view->logicalIndexAt(x);
    QAbstractItemModel const* const m = view->model();
    if (!m || !m->headerData(section, Qt::Horizontal, Roles::IsVisualLayerRole).toBool())
        return -1;
    return section;
}

void XSheetHeader::contextMenuEvent(QContextMenuEvent* event)
{
    emit rightClickedLayer(visualLayerSectionAt(this, event->pos().x()), event->globalPos());
}

bool XSheetHeader::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        QString text;
        if (QAbstractItemModel* const m = model()) {
            int const section = logicalIndexAt(help->pos().x());
            SubControl const part = hitTest(section, QPoint(help->pos().x() + offset(), help->pos().y()));
            int const type = m->headerData(section, Qt::Horizontal, Roles::LayerTypeRole).toInt();
            auto const header = [m, section](int role) {
                return m->headerData(section, Qt::Horizontal, role);
            };
            auto* const view = qobject_cast<QAbstractItemView*>(parentWidget());
            bool const current =
                view && view->selectionModel() && view->selectionModel()->currentIndex().column() == section;
            bool const audio = sceneHasAudio();
            if (type >= 1 && type <= 3) {
                if (part == NameArea) {
                    QString const name = header(Qt::DisplayRole).toString();
                    if (!name.isEmpty())
                        text = QHeaderView::tr("Layer Name: %1").arg(name);
                } else if (part == RightButton) {
                    text = header(Roles::LayerVisibleRole).toBool() ? QHeaderView::tr("Layer Visible")
                                                                    : QHeaderView::tr("Layer Hidden");
                    if (current)
                        text += QStringLiteral(" [V]");
                } else if (part == LeftButton) {
                    text = header(Roles::LayerLinkedRole).toBool() ? QHeaderView::tr("Layer Linked")
                                                                   : QHeaderView::tr("Layer Unlinked");
                    if (current)
                        text += QStringLiteral(" [-]");
                }
            } else if (type == 4) {
                if (part == LeftButton)
                    text = !audio ? QHeaderView::tr("No Audio")
                           : header(Roles::LayerAudibleRole).toBool() ? QHeaderView::tr("Audio On")
                                                                      : QHeaderView::tr("Audio Muted");
                else if (part == NameArea && audio)
                    text = QHeaderView::tr("Audio Offset");
            } else if (type == 5 && part == LeftButton) {
                text = header(Roles::LayerLinkedRole).toBool() ? QHeaderView::tr("Annotations Linked")
                                                               : QHeaderView::tr("Annotations Unlinked");
            }
        }
        if (!text.isEmpty()) {
            QToolTip::showText(help->globalPos(), text, this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    case QEvent::HoverEnter:
    case QEvent::HoverMove: {
        QPoint const pos = static_cast<QHoverEvent*>(event)->position().toPoint();
        int const section = logicalIndexAt(pos.x());
        SubControl const part = hitTest(section, QPoint(pos.x() + offset(), pos.y()));
        if (event->type() == QEvent::HoverEnter || section != d->hoverSection || part != d->hoverPart) {
            int const old = d->hoverSection;
            d->hoverSection = section;
            d->hoverPart = part;
            updateSection(old);
            updateSection(section);
        }
        break;
    }
    case QEvent::HoverLeave:
    case QEvent::Leave:
        updateSection(d->hoverSection);
        d->hoverSection = -1;
        break;
    default:
        break;
    }
    return QHeaderView::event(event);
}

void XSheetHeader::paintSection(QPainter* painter, QRect const& rect, int section) const
{
    QAbstractItemModel* const m = model();
    if (!m || !rect.isValid())
        return;
    auto const header = [m, section](int role) { return m->headerData(section, Qt::Horizontal, role); };
    float const s = Model::Settings::instance()->UIScaleFraction();
    QRect const buttons(rect.left(), rect.top(), rect.width(), d->buttonRowHeight);
    QRect const name(rect.left(), rect.top() + d->buttonRowHeight, rect.width(),
                     rect.height() - d->buttonRowHeight);

    painter->save();
    painter->fillRect(buttons, d->buttonRowGradient);
    painter->fillRect(name, d->nameAreaGradient);

    bool const pressRunning = d->pressedSectionAtPress != -1 && d->pressedSection != -1;
    auto const partFill = [&](SubControl part) -> QColor {
        if (d->pressedSection == section && d->pressedSectionAtPress == section
            && d->partUnderPointer == part && d->partAtPress == part)
            return d->pressedColor;
        if (!pressRunning && d->hoverSection == section && d->hoverPart == part)
            return d->hoverColor;
        return QColor();
    };
    auto const drawIcon = [&](QIcon const& icon, QRect const& area, QSize size, SubControl part) {
        qreal const ratio = painter->device()->devicePixelRatioF();
        QPixmap const pixmap = icon.pixmap(size, ratio, QIcon::Normal, QIcon::Off);
        QSize const logical = pixmap.deviceIndependentSize().toSize();
        QRect target(QPoint(0, 0), logical);
        target.moveCenter(area.center());
        painter->drawPixmap(target, pixmap);
        QColor const fill = partFill(part);
        if (fill.isValid())
            painter->fillRect(area, fill);
    };

    int const type = header(Roles::LayerTypeRole).toInt();
    if (type == 4 || type == 5) {
        QRect const area = buttons.adjusted(2, 1, 0, 0);
        QIcon const& icon = type == 4 ? (header(Roles::LayerAudibleRole).toBool() ? d->audioOn : d->audioOff)
                                      : (header(Roles::LayerLinkedRole).toBool() ? d->linkOn : d->linkOff);
        drawIcon(icon, area, d->iconSize, LeftButton);
    } else if (type >= 1 && type <= 3) {
        int const half = rect.width() / 2;
        QRect const left(buttons.left(), buttons.top() + 2, buttons.width() - half - 1,
                         buttons.height() - 2);
        QRect const right(left.right() + 1, buttons.top() + 2, buttons.right() - left.right(),
                          buttons.height() - 2);
        auto const sized = [&](QRect const& part) {
            return QSize(std::min(d->iconSize.width(), part.width() - 2),
                         std::min(d->iconSize.height(), d->buttonRowHeight - 4));
        };
        drawIcon(header(Roles::LayerLinkedRole).toBool() ? d->linkOn : d->linkOff, left, sized(left),
                 LeftButton);
        drawIcon(header(Roles::LayerVisibleRole).toBool() ? d->visibilityOn : d->visibilityOff, right,
                 sized(right), RightButton);
    }

    painter->setRenderHint(QPainter::Antialiasing, true);
    QFont font = painter->font();
    font.setPixelSize(std::max(1, int(11 * s)));
    font.setWeight(QFont::Weight(500));
    painter->setFont(font);
    painter->setPen(QColor(0, 0, 0, 128));
    int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    if (name.width() >= 36)
        margin *= 2;
    QString text;
    if (type == 4) {
        double const offsetFrames = header(Qt::DisplayRole).toDouble();
        if (std::abs(offsetFrames) > 1e-12)
            text = QString::number(int(std::floor(offsetFrames)));
    } else {
        text = header(Qt::DisplayRole).toString();
    }
    text = painter->fontMetrics().elidedText(text, Qt::ElideRight, name.width() - margin);
    painter->drawText(name.adjusted(0, 0, 0, -2), Qt::AlignCenter, text);

    painter->setRenderHint(QPainter::Antialiasing, false);
    if (length() - offset() > rect.right() + 1 || width() > rect.right() + 1) {
        painter->setPen(QColor(84, 80, 76));
        painter->drawLine(QPointF(buttons.right() + 0.5, rect.top()),
                          QPointF(buttons.right() + 0.5, buttons.bottom() + 1));
        painter->setPen(QColor(78, 75, 72));
        painter->drawLine(QPointF(name.right() + 0.5, name.top() + 1),
                          QPointF(name.right() + 0.5, name.bottom() + 2));
    }
    painter->setPen(QColor(60, 56, 52));
    painter->drawLine(QPointF(rect.left(), rect.top() + 0.5), QPointF(rect.right() + 1, rect.top() + 0.5));
    painter->drawLine(QPointF(rect.left(), rect.bottom() + 0.5),
                      QPointF(rect.right() + 1, rect.bottom() + 0.5));
    painter->drawLine(QPointF(rect.left(), name.top() + 0.5), QPointF(rect.right() + 1, name.top() + 0.5));
    painter->restore();
}

} // namespace UI
