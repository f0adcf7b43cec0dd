#pragma once

// Draws a form as Access shows it: its sections and controls at their
// positions (twips to pixels at the given resolution), captions, fonts,
// colours, borders and special effects, pictures the design holds, option
// groups, tab controls with their first page, subforms, lists with their
// rows, bound controls with a record of the record source and "=..."
// expressions evaluated by the query engine. The design view shows the
// same layout with every section and the controls' names.
//
// A renderer reads what it shows when it is made; painting reads nothing.
// What it could not show (an unreadable record source, a subform whose
// design is missing, an expression the engine cannot evaluate) is listed
// in problems() for the status line, and the controls concerned stay empty.

#include "host/views/render/formdata.h"

#include <QImage>
#include <QMap>
#include <QStringList>

#include <map>
#include <memory>

class QPainter;

enum class FormViewMode { Normal, Design };

class FormRenderer
{
public:
    // recordNumber: the record to show (0 the first). filter: a subform's
    // link to its parent's record. recordCount: how many records a report
    // or continuous form reads (0: as many as the view shows).
    FormRenderer(const Form &form, FormData &data, FormViewMode mode, int recordNumber = 0,
                 double dotsPerInch = 96, const RecordFilter &filter = {}, int depth = 0,
                 int recordCount = 0);
    ~FormRenderer();
    FormRenderer(const FormRenderer &) = delete;
    FormRenderer &operator=(const FormRenderer &) = delete;

    // The form's width by the heights of the sections the view shows.
    QSize size() const;
    void paint(QPainter &painter) const;
    // The layout cut into pages of pageHeight pixels, as a report prints:
    // the page header at the top and the page footer at the bottom of each
    // page, the other sections between them, a section that does not fit
    // starting the next page. Always at least one page.
    int pageCount(int pageHeight) const;
    void paintPage(QPainter &painter, int page, int pageHeight) const;
    const QStringList &problems() const { return m_problems; }
    // Where a control is drawn, in pixels; empty when the view hides it.
    QRect controlRect(const QString &name) const;

private:
    struct Band
    {
        int section; // index in the form's sections
        int top;     // pixels
        int height;
        int record; // index in m_records for a repeated detail; -1 none
    };

    const Form &m_form;
    FormData &m_data;
    FormViewMode m_mode;
    double m_dpi;
    int m_depth;
    QList<FormRecord> m_records;
    QList<Band> m_bands;
    QMap<int, QList<QStringList>> m_listRows;                // by control index
    std::map<int, std::unique_ptr<FormRenderer>> m_subforms; // by control index
    QStringList m_problems;
    int m_width = 0;
    bool m_datasheet = false;
    mutable int m_pagedHeight = -1; // what m_pages was cut for
    mutable QList<QList<Band>> m_pages;

    int px(double twips) const;
    void layOutBands();
    // Adds the values of the "=..." control sources to m_records (a form
    // without a record source gets one record of them); what cannot be
    // evaluated goes to problems() and stays empty.
    void evaluateExpressions(const QString &source, int first, int count,
                             const RecordFilter &filter);
    static QString expressionKey(int control);
    const QList<QList<Band>> &pages(int pageHeight) const;
    void readLists();
    void readSubforms();
    bool shown(int control) const;
    QRect rectOf(const Control &control, const Band &band) const;
    void paintBand(QPainter &painter, const Band &band) const;
    void paintControl(QPainter &painter, int index, const QRect &rect,
                      const FormRecord *record) const;
    void paintDatasheet(QPainter &painter) const;
};

// The form drawn into an image of its size; problems as above.
QImage renderForm(const Form &form, FormData &data, FormViewMode mode, int recordNumber = 0,
                  double dotsPerInch = 96, QStringList *problems = nullptr);

// An embedded picture as Access stores it (a device-independent bitmap
// without its file header, or a whole bitmap, PNG, JPEG or GIF file);
// a null image for what Qt cannot decode (metafiles).
QImage decodePicture(const QByteArray &bytes);
