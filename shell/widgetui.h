#pragma once

// WidgetUi is the Ui port over the real main window: texts, values, states
// and lists of its widgets, the pointer, and message boxes.

#include "host/command/ui.h"

class MainWindow;

class WidgetUi : public Ui
{
public:
    explicit WidgetUi(MainWindow &window);

    QString text(Ctl control) const override;
    void setText(Ctl control, const QString &text) override;
    int value(Ctl control) const override;
    void setValue(Ctl control, int value) override;
    bool isEnabled(Ctl control) const override;
    void setEnabled(Ctl control, bool enabled) override;
    bool isVisible(Ctl control) const override;
    void setVisible(Ctl control, bool visible) override;
    void clearList(Ctl picker) override;
    void addItem(Ctl picker, const QString &item) override;
    QStringList items(Ctl picker) const override;
    void setListIndex(Ctl picker, int index) override;
    void setMousePointer(int pointer) override;
    void setWindowEnabled(bool enabled) override;
    bool windowEnabled() const override;
    void setWindowVisible(bool visible) override;
    bool windowVisible() const override;
    void setWindowHeight(int twips) override;
    MsgAnswer messageBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                         const std::optional<QString> &title) override;
    void describeError(const QString &place, const HostError &error) override;
    void warn(const QString &text) override;
    void processEvents() override;
    QString OpenFileDlg(const QString &filter, const QString &initialFolder) override;
    QString SaveFileDlg(const QString &filter, const QString &initialFolder) override;

private:
    MainWindow &m_window;
    bool m_hourglass = false;
};
