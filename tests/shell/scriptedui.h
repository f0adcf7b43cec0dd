#pragma once

// The real window's Ui with its file dialog and message boxes answered by
// the test, and a platform that touches nothing.

#include "shell/platform.h"
#include "shell/widgetui.h"

#include <QStringList>

class ScriptedUi : public WidgetUi
{
public:
    using WidgetUi::WidgetUi;
    QString file; // what the open dialog answers
    QStringList messages;
    QString OpenFileDlg(const QString &, const QString &) override { return file; }
    MsgAnswer messageBox(const QString &text, MsgButtons, MsgIcon,
                         const std::optional<QString> &) override
    {
        messages << text;
        return MsgAnswer::Ok;
    }
};

class StillPlatform : public Platform
{
public:
    QString programFolder() const override { return QString(); }
    VersionRecord versionRecord() const override { return {1, 4, 10}; }
    bool setScreenSaverActive(bool) override { return true; }
    bool setCurrentDirectory(const QString &) override { return true; }
};
