#include "host/views/formview.h"

#include <QPainter>

FormView::FormView(const Form &design, std::unique_ptr<FormData> data, FormViewMode mode,
                   QWidget *parent)
    : QWidget(parent)
    , m_data(std::move(data))
    , m_renderer(std::make_unique<FormRenderer>(design, *m_data, mode, 0, logicalDpiX()))
{
    setObjectName(QStringLiteral("formView"));
    setFixedSize(m_renderer->size());
}

FormView::~FormView() = default;

QSize FormView::sizeHint() const
{
    return m_renderer->size();
}

void FormView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_renderer->paint(painter);
}
