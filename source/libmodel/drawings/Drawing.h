#pragma once

#include "settings/KW.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QUuid>

namespace Model {

// The content of a cell. Cells share drawings (holds and distant clones show
// the drawing of another cell), so drawings live behind std::shared_ptr.
class Drawing
{
public:
    enum DrawingType { StrokeDrawingType = 0, ImageDrawingType = 1 };

    Drawing();
    virtual ~Drawing();

    virtual int type() const = 0;
    // A deep copy, owned by the caller.
    virtual Drawing* clone() const = 0;
    virtual QImage thumbnail(QSize const& size, QList<unsigned int> const& colors) const = 0;
    virtual QString toolTip() const;
    virtual void invalidateThumbnail() = 0;
    virtual void changeFrameSize(QSize const& newSize, KW::FitMode fitMode) = 0;
    // Merges another drawing's content into this one.
    virtual void add(Drawing const* other) = 0;

    // The copy identifier names one version of the content, so that pasting
    // can recognise a drawing that is already in the scene.
    QUuid createCopyId();
    QUuid currentCopyId() const;
    void setCopyId(QUuid copyId);

    void setName(QString name);
    QString name() const;

protected:
    // A copy is new content as far as the clipboard is concerned: it starts
    // without copy identifier and without name.
    Drawing(Drawing const&);
    Drawing& operator=(Drawing const&) = delete;

private:
    QUuid m_copyId;
    QString m_name;
};

} // namespace Model
