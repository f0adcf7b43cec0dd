#include "capture/captimedialog.h"

#include "capture/capturedelay.h"
#include "host/command/mainstate.h"
#include "host/command/ui.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CapTimeDialog::CapTimeDialog(MainState &state, Ui &ui, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
    , m_ui(ui)
    , m_text(new QLineEdit(this))
{
    setObjectName(QStringLiteral("frmCapTime"));
    setWindowTitle(QStringLiteral("Quillmark"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto *caption = new QLabel(QStringLiteral("CaptureTime"), this);
    caption->setObjectName(QStringLiteral("Label3"));
    m_text->setObjectName(QStringLiteral("txtCapTime"));
    m_text->setText(captureDelayText(state.captureDelay));
    m_text->installEventFilter(this);
    // The box holds seconds, and its label says so.
    auto *unit = new QLabel(QStringLiteral("sec"), this);
    unit->setObjectName(QStringLiteral("Label2"));
    auto *ok = new QPushButton(QStringLiteral("ＯＫ"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &CapTimeDialog::cmdOK_Click);

    auto *row = new QHBoxLayout;
    row->addWidget(caption);
    row->addWidget(m_text, 1);
    row->addWidget(unit);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

void CapTimeDialog::cmdOK_Click()
{
    const std::optional<qint32> delay = captureDelayFromText(m_text->text());
    if (!delay) {
        m_ui.messageBox(captureDelayRule(), MsgButtons::Ok, MsgIcon::None,
                        QStringLiteral("Quillmark"));
        m_text->setFocus();
        m_text->selectAll();
        return;
    }
    m_state.captureDelay = *delay;
    close();
}

// The key preview: Enter is a Tab stroke, before the control sees it.
bool CapTimeDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CapTimeDialog::keyPressEvent(QKeyEvent *event)
{
    // A dialog closes or accepts on Enter by default; here Enter moves on.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        focusNextChild();
        return;
    }
    QDialog::keyPressEvent(event);
}
