#pragma once

#include "dialogs/SceneSettingsItemDelegate.h"

namespace UI {

// Drop-down rows of the frame-rate presets: the preset's name beside its value.
class FrameRateItemDelegate : public SceneSettingsItemDelegate
{
    Q_OBJECT

public:
    explicit FrameRateItemDelegate(QObject* parent = nullptr);
    ~FrameRateItemDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QString valueText(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    // Share of the row width given to the name.
    double m_nameRatio = 0.7;
};

} // namespace UI
