#pragma once

#include <QDialogButtonBox>
#include <QFrame>
#include <QList>
#include <QString>

#include <functional>

class QAbstractButton;
class QBoxLayout;
class QButtonGroup;
class QDialog;
class QHBoxLayout;
class QLabel;
class QWidget;

namespace UI {

// Small pieces shared by the option dialogs, which all follow one look:
// right-aligned row labels indented from the left, plain separator lines drawn
// in the palette's light colour, and groups of radio buttons that each stand
// for one value of a record field.
namespace DialogForm {

// A plain horizontal (or vertical) separator line named `objectName`.
QFrame* line(QWidget* parent, const QString& objectName, bool vertical = false);

// A row label, right-aligned and vertically centred, in a horizontal layout of
// its own with the given left margin.
QHBoxLayout* rowLabel(QWidget* parent, const QString& layoutName, const QString& labelName,
                      const QString& text, int leftMargin = 39, QLabel** label = nullptr);

// Gives the lines the palette of `source` with window text in its current
// light colour, so separators stay subtle in light and dark appearances.
void colorLines(const QWidget* source, const QList<QFrame*>& lines);

// Puts the buttons in an exclusive group, checks the one at index `current`
// (none when out of range) and calls `store(index)` whenever a button turns on.
QButtonGroup* bindChoice(QWidget* owner, const QList<QAbstractButton*>& buttons, int current,
                         const std::function<void(int)>& store);

// The bottom bar: a "horizontalLayout" with margins 12 holding the horizontal
// "buttonBox", appended to `outer`. Rejected always rejects; accepted accepts
// unless the dialog checks something first.
QDialogButtonBox* buttonRow(QDialog* dialog, QBoxLayout* outer, QDialogButtonBox::StandardButtons buttons,
                            bool acceptCloses = true);

} // namespace DialogForm

} // namespace UI
