#pragma once

#include "scene/Scene.h"

#include <QImage>
#include <QPainter>

namespace TestSupport {

// The scene's active frame as the scene draws it, on transparency, without
// anything the canvas lays over it (a floating selection, handles).
inline QImage framePicture(Model::Scene* scene)
{
    QImage image(scene->frameSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    scene->updateCachedFramePixmap(true);
    QPainter painter(&image);
    scene->draw(&painter, image.rect());
    return image;
}

} // namespace TestSupport
