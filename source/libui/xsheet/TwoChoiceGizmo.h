#pragma once

#include "xsheet/Gizmo.h"

#include <QString>
#include <QSvgRenderer>

namespace UI {

// A column gizmo offering two choices in rows 1 and 2; row 0 shows the
// current one.
class TwoChoiceGizmo : public Gizmo
{
    Q_OBJECT

public:
    struct Texts
    {
        QString current;  // row 0
        QString first;    // row 1
        QString second;   // row 2
        QString closed;   // the button while the strip is folded
    };

    TwoChoiceGizmo(QString const& firstArtwork, QString const& secondArtwork, QWidget* parent);
    ~TwoChoiceGizmo() override;

    bool secondChosen() const { return m_second; }

protected:
    // Stores the choice; true when it changed.
    bool choose(bool second);
    virtual Texts texts() const = 0;
    virtual void choiceChanged() = 0;

    void paintSection(QPainter* painter, QRectF const& rect, GizmoSC section) const override;
    QString tooltipSection(GizmoSC section) const override;

private:
    mutable QSvgRenderer m_firstArtwork;
    mutable QSvgRenderer m_secondArtwork;
    bool m_second = false;
};

} // namespace UI
