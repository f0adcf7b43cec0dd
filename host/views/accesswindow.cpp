#include "host/views/accesswindow.h"

#include "host/objects/application.h"
#include "host/vb/errors.h"
#include "host/vb/vb.h"
#include "host/views/datasheetmodel.h"
#include "host/views/formview.h"

#include <QDesktopServices>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QString daoTypeName(qint16 type)
{
    switch (type) {
    case DaoType::Boolean:
        return QStringLiteral("Yes/No");
    case DaoType::Byte:
        return QStringLiteral("Byte");
    case DaoType::Integer:
        return QStringLiteral("Integer");
    case DaoType::Long:
        return QStringLiteral("Long Integer");
    case DaoType::Currency:
        return QStringLiteral("Currency");
    case DaoType::Single:
        return QStringLiteral("Single");
    case DaoType::Double:
        return QStringLiteral("Double");
    case DaoType::Date:
        return QStringLiteral("Date/Time");
    case DaoType::Text:
        return QStringLiteral("Text");
    case DaoType::LongBinary:
        return QStringLiteral("OLE Object");
    case DaoType::Memo:
        return QStringLiteral("Memo");
    default:
        return QString::number(type);
    }
}

QTableWidget *fieldList(const QList<Field> &fields)
{
    auto *list = new QTableWidget(int(fields.size()), 4);
    list->setHorizontalHeaderLabels({QStringLiteral("フィールド名"), QStringLiteral("データ型"),
                                     QStringLiteral("サイズ"), QStringLiteral("説明")});
    for (int i = 0; i < fields.size(); ++i) {
        const Field &f = fields[i];
        const Property *description = f.Properties().find(u"Description");
        const QStringList cells{f.Name, daoTypeName(f.Type), QString::number(f.Size),
                                description ? vb::textOrEmpty(description->Value()) : QString()};
        for (int c = 0; c < cells.size(); ++c)
            list->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->horizontalHeader()->setStretchLastSection(true);
    return list;
}

} // namespace

AccessWindow::AccessWindow(QWidget *parent)
    : QMainWindow(parent)
    , m_tabs(new QTabWidget(this))
{
    setObjectName(QStringLiteral("accessWindow"));
    setWindowTitle(QStringLiteral("Quillmark - データベース"));
    m_tabs->setTabsClosable(true);
    connect(m_tabs, &QTabWidget::tabCloseRequested, this, [this](int index) {
        QWidget *page = m_tabs->widget(index);
        m_tabs->removeTab(index);
        page->deleteLater();
    });
    setCentralWidget(m_tabs);
    resize(900, 600);
}

void AccessWindow::setVisible(bool visible)
{
    QMainWindow::setVisible(visible);
}

void AccessWindow::databaseChanged(Application &, const QString &path)
{
    while (m_tabs->count() > 0) {
        QWidget *page = m_tabs->widget(0);
        m_tabs->removeTab(0);
        page->deleteLater();
    }
    setWindowTitle(path.isEmpty() ? QStringLiteral("Quillmark - データベース")
                                  : QStringLiteral("Quillmark - %1").arg(path));
}

QString AccessWindow::tabTitle(AcObjectType type, const QString &name)
{
    static const char *const kinds[] = {"テーブル", "クエリ", "フォーム",
                                        "レポート", "",       "モジュール"};
    return QStringLiteral("%1: %2").arg(QString::fromUtf8(kinds[int(type)]), name);
}

QWidget *AccessWindow::textView(const QString &text, bool monospace)
{
    auto *view = new QPlainTextEdit;
    view->setReadOnly(true);
    if (monospace)
        view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setPlainText(text);
    return view;
}

QWidget *AccessWindow::tableView(Application &application, const OpenedObject &object)
{
    const TableDef &table = application.CurrentDb().TableDefs(object.name);
    if (object.view == AcView::Design)
        return fieldList(table.Fields());
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *sheet = new QTableView(page);
    try {
        auto *model = new DatasheetModel(application.CurrentDb().openRows(object.name), sheet);
        sheet->setModel(model);
        if (!model->error().isEmpty())
            layout->addWidget(new QLabel(model->error(), page));
    } catch (const HostError &error) {
        layout->addWidget(new QLabel(error.description(), page));
    }
    sheet->setEditTriggers(QAbstractItemView::NoEditTriggers); // the target is never written
    layout->addWidget(sheet);
    return page;
}

QWidget *AccessWindow::queryView(Application &application, const OpenedObject &object)
{
    const QueryDef &query = application.CurrentDb().QueryDefs(object.name);
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    if (object.view != AcView::Design)
        layout->addWidget(new QLabel(
            QStringLiteral("このビルドはクエリを実行しません。SQL と出力フィールドを表示します。"),
            page));
    layout->addWidget(textView(query.SQL(), true), 1);
    layout->addWidget(fieldList(query.Fields()), 1);
    return page;
}

QWidget *AccessWindow::designView(Application &application, const OpenedObject &object)
{
    const AccessObject &design = object.type == AcObjectType::Form
                                     ? application.Forms(object.name)
                                     : application.Reports(object.name);
    auto *view =
        new FormView(design, targetFormData(application),
                     object.view == AcView::Design ? FormViewMode::Design : FormViewMode::Normal);
    // What the view could not show goes to the status line; the controls
    // concerned stay empty.
    if (!view->renderer().problems().isEmpty())
        statusBar()->showMessage(view->renderer().problems().join(QStringLiteral(" / ")));
    else
        statusBar()->clearMessage();
    auto *area = new QScrollArea;
    area->setWidget(view);
    area->setBackgroundRole(QPalette::Dark);
    return area;
}

void AccessWindow::printReport(Application &application, const QString &name)
{
    // Every record up to this many is printed; more would only be held in memory.
    constexpr int PrintedRecords = 10000;
    try {
        auto data = targetFormData(application);
        QPrinter printer(QPrinter::HighResolution);
        const FormRenderer report(application.Reports(name), *data, FormViewMode::Normal, 0,
                                  printer.resolution(), {}, 0, PrintedRecords);
        QPrintDialog dialog(&printer, this);
        dialog.setWindowTitle(name);
        if (dialog.exec() != QDialog::Accepted)
            return;
        const int pageHeight = printer.pageLayout().paintRectPixels(printer.resolution()).height();
        QPainter painter;
        if (!painter.begin(&printer)) {
            statusBar()->showMessage(QStringLiteral("印刷を開始できませんでした: %1").arg(name));
            return;
        }
        const int pages = report.pageCount(pageHeight);
        for (int page = 0; page < pages; ++page) {
            if (page > 0)
                printer.newPage();
            report.paintPage(painter, page, pageHeight);
        }
        painter.end();
        statusBar()->showMessage(
            QStringLiteral("%1: %2 ページを印刷しました").arg(name).arg(pages));
    } catch (const HostError &error) {
        statusBar()->showMessage(error.description());
    }
}

QWidget *AccessWindow::moduleView(Application &application, const OpenedObject &object)
{
    if (!m_modules)
        return textView(
            QStringLiteral("%1\n\nこのモジュールのソースを読み取れません。").arg(object.name),
            false);
    for (const ModuleText &module : m_modules(application.CurrentDb().Name())->modules()) {
        if (module.name.compare(object.name, Qt::CaseInsensitive) != 0)
            continue;
        if (!module.error.isEmpty())
            return textView(module.error, false);
        // The editor hides the Attribute lines; so does this view.
        QStringList lines = module.source.split(QStringLiteral("\r\n"));
        lines.removeIf(
            [](const QString &line) { return line.startsWith(QLatin1String("Attribute VB_")); });
        return textView(lines.join(u'\n'), true);
    }
    return textView(
        QStringLiteral("%1\n\nこのモジュールのソースはプロジェクトにありません。").arg(object.name),
        false);
}

void AccessWindow::objectOpened(Application &application, const OpenedObject &object)
{
    QWidget *page = nullptr;
    try {
        switch (object.type) {
        case AcObjectType::Table:
            page = tableView(application, object);
            break;
        case AcObjectType::Query:
            page = queryView(application, object);
            break;
        case AcObjectType::Module:
            page = moduleView(application, object);
            break;
        case AcObjectType::Form:
        case AcObjectType::Report:
            if (object.type == AcObjectType::Report && object.view == AcView::Normal) {
                printReport(application, object.name);
                return;
            }
            page = designView(application, object);
            break;
        }
    } catch (const HostError &error) {
        page = textView(error.description(), false);
    }
    page->setObjectName(tabTitle(object.type, object.name));
    m_tabs->setCurrentIndex(m_tabs->addTab(page, tabTitle(object.type, object.name)));
}

void AccessWindow::objectClosed(AcObjectType type, const QString &name)
{
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (m_tabs->widget(i)->objectName() == tabTitle(type, name)) {
            QWidget *page = m_tabs->widget(i);
            m_tabs->removeTab(i);
            page->deleteLater();
            return;
        }
    }
}

void AccessWindow::maximize()
{
    if (isVisible())
        showMaximized();
    else
        setWindowState(windowState() | Qt::WindowMaximized);
}

void AccessWindow::minimize()
{
    if (isVisible())
        showMinimized();
}

bool AccessWindow::openWithDefaultApplication(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
