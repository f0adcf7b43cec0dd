#include "host/command/headlessui.h"

HeadlessUi::HeadlessUi() = default;

QString HeadlessUi::text(Ctl control) const
{
    const State &s = m_states[size_t(control)];
    if (!s.items.isEmpty() && s.listIndex >= 0 && s.listIndex < s.items.size())
        return s.items[s.listIndex];
    return s.text;
}

void HeadlessUi::setText(Ctl control, const QString &text)
{
    m_states[size_t(control)].text = text;
    if (control == Ctl::txtMesege)
        statusHistory << text;
}

int HeadlessUi::value(Ctl control) const
{
    return m_states[size_t(control)].value;
}

void HeadlessUi::setValue(Ctl control, int value)
{
    m_states[size_t(control)].value = value;
    // Option buttons of one array exclude each other, as in the window.
    auto exclusive = [&](Ctl first, int count) {
        const int index = int(control) - int(first);
        if (value == 0 || index < 0 || index >= count)
            return;
        for (int i = 0; i < count; ++i) {
            if (i != index)
                m_states[size_t(int(first) + i)].value = 0;
        }
    };
    exclusive(Ctl::OptMode0, 5);
    exclusive(Ctl::OptView0, 3);
}

bool HeadlessUi::isEnabled(Ctl control) const
{
    return m_states[size_t(control)].enabled;
}
void HeadlessUi::setEnabled(Ctl control, bool enabled)
{
    m_states[size_t(control)].enabled = enabled;
}
bool HeadlessUi::isVisible(Ctl control) const
{
    return m_states[size_t(control)].visible;
}
void HeadlessUi::setVisible(Ctl control, bool visible)
{
    m_states[size_t(control)].visible = visible;
}

void HeadlessUi::clearList(Ctl picker)
{
    m_states[size_t(picker)].items.clear();
    m_states[size_t(picker)].listIndex = -1;
}

void HeadlessUi::addItem(Ctl picker, const QString &item)
{
    m_states[size_t(picker)].items << item;
}
QStringList HeadlessUi::items(Ctl picker) const
{
    return m_states[size_t(picker)].items;
}
void HeadlessUi::setListIndex(Ctl picker, int index)
{
    m_states[size_t(picker)].listIndex = index;
}

MsgAnswer HeadlessUi::messageBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                                 const std::optional<QString> &title)
{
    const ShownMessage shown{text, buttons, icon, title.value_or(QStringLiteral("Quillmark"))};
    messages << shown;
    if (answer)
        return answer(shown);
    switch (buttons) {
    case MsgButtons::YesNo:
        return MsgAnswer::Yes;
    case MsgButtons::RetryCancel:
        return MsgAnswer::Cancel; // a retry that no one answers would loop
    default:
        return MsgAnswer::Ok;
    }
}

QString HeadlessUi::OpenFileDlg(const QString &filter, const QString &)
{
    dialogFilters << filter;
    return fileChoices.isEmpty() ? QString() : fileChoices.takeFirst();
}

QString HeadlessUi::SaveFileDlg(const QString &filter, const QString &initialFolder)
{
    return OpenFileDlg(filter, initialFolder);
}
