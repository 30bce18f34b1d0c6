#pragma once

#include <QWidget>

#include <memory>

class QDialogButtonBox;
class QLabel;
class QStackedWidget;

namespace UI {

class ActionsList;
class CustomizeSpeedDial;
class CustomizeToolBar;
class DraggableSpacer;
class RecycleBin;

// The full-window editor in which the tool bar or the two speed dials are
// rearranged by drag and drop. Each opening starts from the stored layouts;
// OK stores the page shown and announces it, Cancel and Escape discard.
class CustomizeOverlay : public QWidget
{
    Q_OBJECT

public:
    explicit CustomizeOverlay(QWidget* parent = nullptr);
    ~CustomizeOverlay() override;

    // Fills the action list; once, after the action catalogue exists.
    void init();
    void showToolBar();
    void showSpeedDials();
    void readFromSettings();
    void restoreDefaults();
    int currentPage() const;

    ActionsList* actionsList() const;
    CustomizeToolBar* toolBar() const;
    CustomizeSpeedDial* primarySpeedDial() const;
    CustomizeSpeedDial* secondarySpeedDial() const;
    RecycleBin* recycleBin() const;
    DraggableSpacer* draggableSpacer() const;
    QDialogButtonBox* buttonBox() const;
    QLabel* titleLabel() const;
    QLabel* dragDescriptionLabel() const;
    QLabel* spacerDescriptionLabel() const;
    QRectF bottomShadowRect() const;

signals:
    void speedDialsUpdated();
    void toolBarUpdated();

public slots:
    void accept();
    void reject();

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildForm();
    void setColours();
    void fillList();

    struct Form;
    struct Private;
    std::unique_ptr<Form> ui;
    std::unique_ptr<Private> d;
};

} // namespace UI
