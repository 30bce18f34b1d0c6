#pragma once

// A concrete visual layer for the layer tests, and a small language to build
// and read its cells:
//   'A'..'Z'  an original whose drawing carries that letter as name
//   '0'       an original whose drawing has an empty name (a blank)
//   '.'       a hold of the cell before it
//   '*'       a distant clone (links are set up by the test)
// Reading a layer back writes '!' for a hold that does not share the drawing
// of the cell before it, so a broken hold shows in every comparison.

#include "drawings/ImageDrawing.h"
#include "scene/DrawLayer.h"
#include "scene/LayerChange.h"
#include "scene/LayerItem.h"
#include "scene/VisualLayer.h"

#include <QStringList>
#include <QTest>

#include <memory>

class FixtureLayer : public Model::VisualLayer
{
public:
    explicit FixtureLayer(QObject* parent = nullptr)
        : VisualLayer(QSize(1000, 500), parent)
    {
    }
    FixtureLayer(FixtureLayer const& other)
        : VisualLayer(other)
    {
    }

    int type() const override { return ReferenceLayerType; }
    Layer* clone() const override { return new FixtureLayer(*this); }
    void draw(int, QPainter*, QRect const&) const override {}
    void draw(int, QPainter*, QRect const&, bool) const override {}
    QImage thumbnail(int, QSize const&) const override { return QImage(); }
    std::shared_ptr<Model::LayerItem> blankItem() const override
    {
        return std::make_shared<Model::LayerItem>(Model::LayerItem::Original,
                                                  QUuid::createUuid(),
                                                  std::make_shared<Model::ImageDrawing>(QImage()));
    }
};

// A draw layer (type 1, as stroke layers are) for the scene tests. Given a
// log, every plain draw call appends "<layer name>:<frame>", so that the order
// in which the scene composes its layers can be read back.
class FixtureDrawLayer : public Model::DrawLayer
{
public:
    explicit FixtureDrawLayer(QString const& name = QString(), QStringList* log = nullptr)
        : DrawLayer(QSize(1000, 500), nullptr)
        , m_log(log)
    {
        setName(name);
    }
    FixtureDrawLayer(FixtureDrawLayer const& other)
        : DrawLayer(other)
        , m_log(other.m_log)
    {
    }

    int type() const override { return StrokeLayerType; }
    Layer* clone() const override { return new FixtureDrawLayer(*this); }
    void draw(int frame, QPainter*, QRect const&) const override
    {
        if (m_log)
            m_log->append(QStringLiteral("%1:%2").arg(name()).arg(frame));
    }
    void draw(int, QPainter*, QRect const&, bool) const override {}
    void draw(int, QPainter*, QRect const&, Model::SingleStroke const*) const override {}
    QImage thumbnail(int, QSize const&) const override { return QImage(); }
    std::shared_ptr<Model::LayerItem> blankItem() const override
    {
        return std::make_shared<Model::LayerItem>(Model::LayerItem::Original,
                                                  QUuid::createUuid(),
                                                  std::make_shared<Model::ImageDrawing>(QImage()));
    }
    // No scene test lifts a selection, and the selection class is not needed
    // to build them: any call is a mistake in the test.
    std::unique_ptr<Model::FloatingSelection>
    createNewFloatingSelection(int, QPainterPath const&) const override
    {
        qFatal("FixtureDrawLayer cannot lift a floating selection");
    }

private:
    QStringList* m_log = nullptr;
};

namespace Fixture {

inline std::shared_ptr<Model::LayerItem> original(QString const& name)
{
    auto drawing = std::make_shared<Model::ImageDrawing>(QImage());
    drawing->setName(name);
    return std::make_shared<Model::LayerItem>(Model::LayerItem::Original, QUuid::createUuid(),
                                              drawing);
}

// Replaces the layer's cells by the pattern. Every cell gets its own off-pegs
// translation (frame number, 0), so that records which move transforms around
// are seen to put them back.
inline void build(Model::VisualLayer& layer, QString const& pattern)
{
    auto& cells = layer.frames();
    cells.clear();
    for (QChar const ch : pattern) {
        std::shared_ptr<Model::LayerItem> cell;
        if (ch == QLatin1Char('.')) {
            cell = std::make_shared<Model::LayerItem>(cells.last()->drawing);
        } else if (ch == QLatin1Char('*')) {
            cell = std::make_shared<Model::LayerItem>(Model::LayerItem::DistantClone,
                                                      QUuid::createUuid(), nullptr);
        } else {
            cell = original(ch == QLatin1Char('0') ? QString() : QString(ch));
        }
        cell->offPegsTransform = QTransform::fromTranslate(cells.size() + 1, 0);
        cells.append(cell);
    }
}

// Makes the clone cell a distant clone of the original cell, as the scene
// keeps them: the clone points at the original, shares its drawing and is
// listed by it.
inline void link(Model::VisualLayer const& originalLayer, int originalFrame,
                 Model::VisualLayer const& cloneLayer, int cloneFrame)
{
    auto const original = originalLayer.layerItem(originalFrame);
    auto const clone = cloneLayer.layerItem(cloneFrame);
    clone->kind = Model::LayerItem::DistantClone;
    clone->original = original->reference(originalLayer.identifier());
    clone->drawing = original->drawing;
    original->clones.append(clone->reference(cloneLayer.identifier()));
}

inline Model::DrawingRef ref(Model::VisualLayer const& layer, int frame)
{
    return layer.layerItem(frame)->reference(layer.identifier());
}

inline QString describe(Model::VisualLayer const& layer)
{
    QString text;
    auto const& cells = layer.frames();
    for (qsizetype i = 0; i < cells.size(); ++i) {
        auto const& cell = cells.at(i);
        switch (cell->kind) {
        case Model::LayerItem::Hold:
            text += (i > 0 && cell->drawing && cell->drawing == cells.at(i - 1)->drawing)
                        ? QLatin1Char('.')
                        : QLatin1Char('!');
            break;
        case Model::LayerItem::DistantClone:
            text += QLatin1Char('*');
            break;
        default:
            text += (cell->drawing && !cell->drawing->name().isEmpty())
                        ? cell->drawing->name()
                        : QStringLiteral("0");
        }
    }
    return text;
}

// Everything that identifies the layer's state: per cell its kind, identifier,
// drawing object and off-pegs transform.
inline QStringList snapshot(Model::VisualLayer const& layer)
{
    QStringList lines;
    for (auto const& cell : layer.frames()) {
        QTransform const& t = cell->offPegsTransform;
        lines << QStringLiteral("%1 %2 %3 (%4 %5 %6 %7 %8 %9)")
                     .arg(cell->kind)
                     .arg(cell->identifier.toString())
                     .arg(quintptr(cell->drawing.get()), 0, 16)
                     .arg(t.m11())
                     .arg(t.m12())
                     .arg(t.m21())
                     .arg(t.m22())
                     .arg(t.dx())
                     .arg(t.dy());
    }
    return lines;
}

inline QString describe(QList<Model::LayerChange> const& changes)
{
    QStringList parts;
    for (auto const& change : changes)
        parts << QStringLiteral("%1@%2").arg(change.kind).arg(change.frame);
    return parts.join(QLatin1Char(' '));
}

// Applies records front to back as the scene does for cells on one layer:
// kind 1 inserts the recorded cell, kind 2 puts it in place of the cell at the
// frame, kind 4 sets the transform; then a hold at the frame takes the drawing
// before it and the holds after the frame take the frame's drawing.
inline void apply(Model::VisualLayer& layer, QList<Model::LayerChange> const& changes)
{
    auto& cells = layer.frames();
    for (auto const& change : changes) {
        int const index = change.frame - 1;
        switch (change.kind) {
        case Model::LayerChange::InsertCell:
            QVERIFY2(index >= 0 && index <= cells.size(), "insert outside the layer");
            QVERIFY(change.cell);
            cells.insert(index, change.cell);
            break;
        case Model::LayerChange::ReplaceCell:
            QVERIFY2(index >= 0 && index < cells.size(), "replace outside the layer");
            QVERIFY(change.cell);
            cells[index] = change.cell;
            break;
        case Model::LayerChange::OffPegsTransform:
            QVERIFY2(index >= 0 && index < cells.size(), "transform outside the layer");
            cells.at(index)->offPegsTransform = change.transform;
            break;
        default:
            QFAIL(qPrintable(QStringLiteral("unexpected record kind %1").arg(change.kind)));
        }
        if (cells.at(index)->kind == Model::LayerItem::Hold && index > 0)
            cells.at(index)->drawing = cells.at(index - 1)->drawing;
        for (qsizetype i = index + 1;
             i < cells.size() && cells.at(i)->kind == Model::LayerItem::Hold; ++i)
            cells.at(i)->drawing = cells.at(index)->drawing;
    }
}

} // namespace Fixture
