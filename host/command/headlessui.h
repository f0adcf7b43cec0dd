#pragma once

// HeadlessUi is the Ui port without a window: it keeps every control's
// text, value, enabled and visible state and lists in memory. The command
// line prints through it; tests record through it and answer message boxes
// from a script.

#include "host/command/ui.h"

#include <QHash>
#include <QList>
#include <array>
#include <functional>

struct ShownMessage
{
    QString text;
    MsgButtons buttons;
    MsgIcon icon;
    QString title;
};

class HeadlessUi : public Ui
{
public:
    HeadlessUi();

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
    void setMousePointer(int pointer) override { m_pointer = pointer; }
    void setWindowEnabled(bool enabled) override { m_windowEnabled = enabled; }
    bool windowEnabled() const override { return m_windowEnabled; }
    void setWindowHeight(int twips) override { m_height = twips; }
    void setWindowVisible(bool visible) override { m_windowVisible = visible; }
    bool windowVisible() const override { return m_windowVisible; }
    MsgAnswer messageBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                         const std::optional<QString> &title) override;
    void describeError(const QString &, const HostError &) override {}
    void warn(const QString &text) override { warnings << text; }
    void processEvents() override {}
    QString OpenFileDlg(const QString &filter, const QString &initialFolder) override;
    QString SaveFileDlg(const QString &filter, const QString &initialFolder) override;

    int mousePointer() const { return m_pointer; }
    int windowHeight() const { return m_height; }
    // Every message box shown, in order; answered by `answer` (Ok/Yes by default).
    QList<ShownMessage> messages;
    std::function<MsgAnswer(const ShownMessage &)> answer;
    // Paths the file dialogs return, in order (empty: cancelled); each call
    // records its filter.
    QStringList fileChoices;
    QStringList dialogFilters;
    // Every warning given, in order.
    QStringList warnings;
    // Every text txtMesege showed, in order.
    QStringList statusHistory;

private:
    struct State
    {
        QString text;
        int value = 0;
        bool enabled = true;
        bool visible = true;
        QStringList items;
        int listIndex = -1;
    };
    std::array<State, size_t(Ctl::Count)> m_states;
    int m_pointer = PointerDefault;
    bool m_windowEnabled = true;
    bool m_windowVisible = true;
    int m_height = 0;
};
