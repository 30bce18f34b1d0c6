#pragma once

#include "scene/LayerChange.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <memory>

namespace Model {

// Base of every layer of a scene: type code, identifier, name, linked flag and
// what a visual layer shows past its last cell.
class Layer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(bool linked READ isLinked WRITE setLinked NOTIFY linkedChanged)

public:
    enum LayerType {
        StrokeLayerType = 1,
        PaintLayerType = 2, // only ever tested for and written; no layer has it
        ReferenceLayerType = 3,
        AudioLayerType = 4,
        AnnotationLayerType = 5
    };
    Q_ENUM(LayerType)

    // The key texts are the words the scene file stores.
    enum LayerBeyondLast { showNothing = 1, freezeLast = 2, cycleDrawings = 3 };
    Q_ENUM(LayerBeyondLast)

    explicit Layer(QObject* parent);
    // Same parent, name, linked flag and beyond-last mode; a new identifier.
    Layer(Layer const& other);
    Layer& operator=(Layer const&) = delete;
    ~Layer() override;

    virtual int type() const = 0;
    virtual int length() const;
    virtual bool isFrameValid(int frame) const = 0;
    virtual void insertBlankFrameAfter(int frame);
    virtual void insertHoldFrameAfter(int frame);
    // Returns the records that undo the removal.
    virtual QList<LayerChange> removeFrame(int frame);
    // A new layer owned by the caller.
    virtual Layer* clone() const = 0;

    QString name() const;
    bool isLinked() const;
    QUuid identifier() const;
    // The scene reader restores identifiers from the file.
    void setIdentifier(QUuid identifier);
    LayerBeyondLast layerBeyondLast() const;

public slots:
    void setName(QString name);
    void setLinked(bool linked);
    // No signal: the scene announces the change.
    bool setLayerBeyondLast(Model::Layer::LayerBeyondLast beyondLast);

signals:
    void nameChanged(QString name);
    void linkedChanged(bool linked);

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Model
