-- The documentation store's tables, created on first use. Field names are the
-- ones the harvesters write. Declared types tell the store how to convert an
-- assigned value, and give each column the affinity SQLite tools show best:
-- SMALLINT (integer, 16-bit), INTEGER (32-bit), REAL, BOOLEAN (True is -1),
-- DATETIME (ISO-8601 text, "YYYY-MM-DD HH:MM:SS", as SQLite's date functions
-- read it) and TEXT (no length limit). A column with no declared type keeps
-- the value as the host returned it. Rows come back in the order they were
-- added (rowid). user_version marks the layout: a store of another version
-- is rebuilt (older) or refused (newer), never misread.

CREATE TABLE IF NOT EXISTS T_DataBase (
    DbNo SMALLINT, DbName TEXT, FileSize REAL, Version TEXT, QueryTimeout SMALLINT,
    Updatable BOOLEAN, AccessVersion);

CREATE TABLE IF NOT EXISTS T_Object (
    DbNo SMALLINT, objectNo SMALLINT, "Class" TEXT, objectName TEXT, DateCreate DATETIME,
    DateUpdate DATETIME, QueryType TEXT, Description);

CREATE TABLE IF NOT EXISTS T_TableInfo (
    objectNo SMALLINT, TableName TEXT, DateCreated DATETIME, LastUpdated DATETIME,
    Attributes INTEGER, "Connect" TEXT, LinkTable TEXT, RecordCount INTEGER,
    SourceTableName TEXT, Updatable BOOLEAN, Description);

CREATE TABLE IF NOT EXISTS T_TableItem (
    objectNo SMALLINT, FieldNo SMALLINT, FieldName TEXT, PrimaryKey BOOLEAN, FieldType TEXT,
    FieldSize INTEGER, ZeroLength BOOLEAN, DefaultValue TEXT, SourceField TEXT,
    SourceTable TEXT, ValRule TEXT, ValText TEXT, Required BOOLEAN, DataUpdatable BOOLEAN,
    Description);

CREATE TABLE IF NOT EXISTS T_QueryInfo (
    objectNo SMALLINT, QueryName TEXT, QueryType TEXT, QuerySQL TEXT, DateCreated DATETIME,
    LastUpdated DATETIME, ODBCTimeout SMALLINT, MaxRecords INTEGER, Updatable BOOLEAN,
    "Connect" TEXT, RecordsAffected INTEGER, Description);

CREATE TABLE IF NOT EXISTS T_QueryItem (
    objectNo SMALLINT, FieldNo SMALLINT, FieldName TEXT, FieldType TEXT, FieldSize INTEGER,
    ZeroLength BOOLEAN, DefaultValue TEXT, SourceField TEXT, SourceTable TEXT, ValRule TEXT,
    ValText TEXT, Required BOOLEAN, DataUpdatable BOOLEAN);

CREATE TABLE IF NOT EXISTS T_FormInfo (
    objectNo SMALLINT, RecordSource TEXT, "Filter" TEXT, OrderBy TEXT, Caption TEXT,
    DefaultView, AllowEdits, AllowDeletions, AllowAdditions, DataEntry, RecordsetType,
    RecordLocks, PopUp, Modal,
    Ibent1 TEXT DEFAULT '', Ibent2 TEXT DEFAULT '', Ibent3 TEXT DEFAULT '',
    Ibent4 TEXT DEFAULT '', IbentVL1, IbentVL2, IbentVL3, IbentVL4,
    FormName TEXT, DateCreated DATETIME, LastUpdated DATETIME, Description);

CREATE TABLE IF NOT EXISTS T_FormItem (
    objectNo SMALLINT, ControlNo SMALLINT, PropertyNo SMALLINT, "Name" TEXT, ControlType TEXT,
    cntlVisible TEXT, TLWH TEXT, Bunrui TEXT, PropertyName TEXT, PropertyValue TEXT);

CREATE TABLE IF NOT EXISTS T_ReportInfo (
    objectNo SMALLINT, RecordSource TEXT, "Filter" TEXT, OrderBy TEXT, Caption TEXT,
    RecordLocks,
    Ibent1 TEXT DEFAULT '', Ibent2 TEXT DEFAULT '', Ibent3 TEXT DEFAULT '',
    Ibent4 TEXT DEFAULT '', IbentVL1, IbentVL2, IbentVL3, IbentVL4,
    ReportName TEXT, DateCreated DATETIME, LastUpdated DATETIME, Description);

CREATE TABLE IF NOT EXISTS T_ReportItem (
    objectNo SMALLINT, ControlNo SMALLINT, PropertyNo SMALLINT, "Name" TEXT, ControlType TEXT,
    cntlVisible TEXT, TLWH TEXT, Bunrui TEXT, PropertyName TEXT, PropertyValue TEXT);

CREATE TABLE IF NOT EXISTS T_ReportGroup (
    objectNo SMALLINT, GroupNo SMALLINT, ControlSource TEXT, SortOrder, GroupHeader,
    GroupFooter, GroupOn, GroupInterval, KeepTogether);

CREATE TABLE IF NOT EXISTS T_ProcName (
    "Object" TEXT, objectName TEXT, ProcedureName TEXT, PrivatePublic BOOLEAN, "Type" TEXT,
    Parameters TEXT, "As" TEXT, "Line" INTEGER, objectNo SMALLINT, ProcedureNo SMALLINT);

CREATE TABLE IF NOT EXISTS T_DimCall (
    objectNo SMALLINT, ProcedureNo SMALLINT, DimCall SMALLINT, Bunrui TEXT, "Type" TEXT,
    "As" TEXT, Parameters TEXT);

CREATE TABLE IF NOT EXISTS T_AcProc (
    "Label" SMALLINT, objectNo SMALLINT, ProcedureNo SMALLINT, "Line" INTEGER,
    "Procedure" TEXT);

PRAGMA user_version = 2;
