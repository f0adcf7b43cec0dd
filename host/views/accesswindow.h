#pragma once

// AccessWindow is the window of the target instance in this build: hidden
// until made visible, it shows what DoCmd opened, one tab per object —
// a table's datasheet or its design (field list), a query's SQL and output
// fields, and what is known of forms, reports and modules.

#include "host/objects/hostview.h"
#include "host/objects/modulesource.h"

#include <QMainWindow>

class QTabWidget;

class AccessWindow : public QMainWindow, public HostView
{
    Q_OBJECT
public:
    explicit AccessWindow(QWidget *parent = nullptr);

    void setVisible(bool visible) override;
    void databaseChanged(Application &application, const QString &path) override;
    void objectOpened(Application &application, const OpenedObject &object) override;
    void objectClosed(AcObjectType type, const QString &name) override;
    void maximize() override;
    void minimize() override;
    // Through QDesktopServices: the desktop's application for the file's type.
    bool openWithDefaultApplication(const QString &path) override;

    QTabWidget *tabs() const { return m_tabs; }
    // How a module's source is read for OpenModule; unset, the module view
    // says it cannot be read.
    void setModuleOpener(ModuleSourceOpener opener) { m_modules = std::move(opener); }

private:
    QWidget *tableView(Application &application, const OpenedObject &object);
    QWidget *queryView(Application &application, const OpenedObject &object);
    QWidget *moduleView(Application &application, const OpenedObject &object);
    QWidget *designView(Application &application, const OpenedObject &object);
    // A report opened in the normal view: printed where the print dialog says.
    void printReport(Application &application, const QString &name);
    QWidget *textView(const QString &text, bool monospace);
    static QString tabTitle(AcObjectType type, const QString &name);

    QTabWidget *m_tabs;
    ModuleSourceOpener m_modules;
};
