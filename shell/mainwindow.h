#pragma once

// frmQuillmark, the main window: every control of the designed layout at
// its place and size (twips / 15 = pixels at 96 DPI, scaled with the
// screen's DPI), reachable by its designed id. Commands reach it only
// through the Ui port (WidgetUi); this class holds widgets and wiring only.

#include "host/command/ui.h"

#include <QMainWindow>
#include <array>

class QWidget;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);

    QWidget *control(Ctl id) const { return m_controls[size_t(id)]; }
    // Sets the client height in twips; the width stays.
    void setHeightTwips(int twips);
    int twipsToPixels(int twips) const;

signals:
    void closing();
    // An .mdb or .accdb file dropped on the window.
    void fileDropped(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void build();

    std::array<QWidget *, size_t(Ctl::Count)> m_controls{};
    double m_scale = 1.0;
};
