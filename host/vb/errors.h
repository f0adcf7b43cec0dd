#pragma once

// Every failure of the host is a HostError carrying the number Access, DAO or
// VB raises in the same situation, and a description in plain words. The
// command error traps catch it and show the number; the command line prints
// number and description. Numbers from 31000 up are ours, for what Access
// never had to say. Add new numbers here, never inline.

#include <QString>
#include <QStringView>
#include <exception>
#include <string>

enum class Err : int {
    InvalidProcedureCall = 5,
    Overflow = 6,
    SubscriptOutOfRange = 9,
    DivisionByZero = 11,
    TypeMismatch = 13,
    FileNotFound = 53,
    DiskFull = 61,
    PathFileAccess = 75,
    ObjectNotSet = 91,
    InvalidUseOfNull = 94,
    InvalidPropertyValue = 380,
    ClipboardCantOpen = 520,
    ClipboardCantGet = 521,
    NoSuchForm = 2102,
    NoSuchReport = 2103,
    FormNotOpen = 2450,
    ReportNotOpen = 2451,
    InvalidPropertyReference = 2455,
    ActionNotNow = 2486,
    ActionCancelled = 2501,
    ObjectNotFound = 3011,
    DaoFileNotFound = 3024,
    InvalidPath = 3044,
    DamagedDatabase = 3049,
    FileOpenDenied = 3051,
    FileInUse = 3196,
    DatabaseExists = 3204,
    UpdateWithoutAddNew = 3020,
    InvalidSqlStatement = 3129,
    ItemNotFound = 3265,
    PropertyNotFound = 3270,
    TableLocked = 3356,
    UnrecognizedFormat = 3343,
    DesignNotReadable = 31001,
    PasswordProtected = 31002,
    StoreUnusable = 31003,
    NotCompactable = 31004,
    QueryNotRunnable = 31005, // an action or pass-through query, or SQL the engine does not support
    NotEncodable = 31006,     // a character the chosen code page cannot hold
    SheetRowLimit = 31007,    // more rows than an Excel 97-2003 sheet holds
    Unexpected = 31009,
};

// A failure of the host. Thrown only by host code; caught by the command
// error trap and by main() of the command line.
class HostError : public std::exception
{
public:
    HostError(Err number, QString description);

    static HostError itemNotFound(QStringView collection, QStringView key);
    static HostError propertyNotFound(QStringView owner, QStringView property);
    static HostError overflow(QStringView what);
    static HostError invalidCall(QStringView function);
    // 31009 for a failure that is no HostError (std::bad_alloc, ...).
    static HostError unexpected(const std::exception &error);

    Err number() const { return m_number; }
    int code() const { return int(m_number); }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_utf8.c_str(); }

private:
    Err m_number;
    QString m_description;
    std::string m_utf8;
};
