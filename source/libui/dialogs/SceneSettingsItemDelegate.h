#pragma once

#include <QStyledItemDelegate>

namespace UI {

// Draws the preset lists' drop-down rows: separators as thin lines 7 pixels
// high; value rows (in the subclasses) as a name and its value side by side,
// the value in the placeholder colour.
class SceneSettingsItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit SceneSettingsItemDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    static bool isSeparator(const QModelIndex& index);
    // Paints a row in two columns: the name right-aligned in the first
    // `ratio` of the width, the value left-aligned in the rest (mirrored for
    // right-to-left layouts).
    void paintNameAndValue(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                           const QString& value, double ratio) const;
    // The sizes of the name part and the value part as the style measures them.
    std::pair<QSize, QSize> partSizes(const QStyleOptionViewItem& option, const QModelIndex& index,
                                      const QString& value) const;

private:
    void initParts(const QStyleOptionViewItem& option, const QModelIndex& index, const QString& value,
                   QStyleOptionViewItem& name, QStyleOptionViewItem& valueOption) const;
};

} // namespace UI
