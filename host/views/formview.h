#pragma once

// The target window's form and report views: the design drawn by the form
// renderer, in normal view with the first record, in design view with the
// controls' names; a report's preview shows its first records.

#include "host/views/render/formrenderer.h"

#include <QWidget>

class FormView : public QWidget
{
    Q_OBJECT
public:
    FormView(const Form &design, std::unique_ptr<FormData> data, FormViewMode mode,
             QWidget *parent = nullptr);
    ~FormView() override;

    const FormRenderer &renderer() const { return *m_renderer; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::unique_ptr<FormData> m_data;
    std::unique_ptr<FormRenderer> m_renderer;
};
