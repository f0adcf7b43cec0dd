// Prints what the npm package mdb-reader (an independent Jet reader) sees in
// database files, as one JSON object: per file, its local tables (user and
// system) in the reader's order with their columns and row counts, or the
// error it raised.
// Usage: node compare.js MODULE_PREFIX FILE...
// MODULE_PREFIX is the folder given to `npm install --prefix`.
"use strict";

const fs = require("fs");
const path = require("path");
const { pathToFileURL } = require("url");

async function loadReader(prefix) {
    const dir = path.join(prefix, "node_modules", "mdb-reader");
    const pkg = JSON.parse(fs.readFileSync(path.join(dir, "package.json"), "utf8"));
    const entry = (pkg.exports && pkg.exports["."] && pkg.exports["."].node) || pkg.main;
    const module = await import(pathToFileURL(path.join(dir, entry)).href);
    return module.default;
}

function describe(MDBReader, file) {
    const reader = new MDBReader(fs.readFileSync(file));
    const names = reader.getTableNames({ normalTables: true, systemTables: true,
                                         linkedTables: false });
    const tables = [];
    for (const name of names) {
        const entry = { name };
        try {
            const table = reader.getTable(name);
            entry.rowCount = table.rowCount;
            entry.columns = table.getColumns().map((c) => ({ name: c.name, type: c.type,
                                                             size: c.size }));
            try {
                // Rows actually read, to compare with a walk of the pages.
                entry.rows = table.getData().length;
            } catch (e) {
                entry.rowsError = String(e && e.message || e);
            }
        } catch (e) {
            entry.error = String(e && e.message || e);
        }
        tables.push(entry);
    }
    return { tables };
}

async function main() {
    const [prefix, ...files] = process.argv.slice(2);
    if (!prefix) {
        console.error("usage: node compare.js MODULE_PREFIX FILE...");
        process.exit(2);
    }
    const MDBReader = await loadReader(prefix);
    const out = {};
    for (const file of files) {
        try {
            out[file] = describe(MDBReader, file);
        } catch (e) {
            out[file] = { error: String(e && e.message || e) };
        }
    }
    process.stdout.write(JSON.stringify(out));
}

main().catch((e) => {
    console.error(e);
    process.exit(1);
});
