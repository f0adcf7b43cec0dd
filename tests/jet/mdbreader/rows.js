// Prints every row of the user tables of one database file as mdb-reader (an
// independent Jet reader) reads them, as JSON: {table: {columns, rows}}.
// mdb-reader decodes all Jet 3 text as Windows-1252; CHARSET (a WHATWG
// encoding name such as shift_jis, which is CP932) replaces that decoder.
// Usage: node rows.js MODULE_PREFIX CHARSET|- FILE
"use strict";

const fs = require("fs");
const path = require("path");
const { pathToFileURL } = require("url");
const { register } = require("module");

const [prefix, charset, file] = process.argv.slice(2);

if (charset && charset !== "-") {
    // Runs in the loader thread: swaps the 1252 decoder module for one of charset.
    const hooks = `
        let charset;
        export function initialize(data) { charset = data.charset; }
        export async function load(url, context, next) {
            if (url.includes("mdb-reader") && url.endsWith("/iconv-lite/index.js"))
                return { format: "module", shortCircuit: true,
                         source: "const d = new TextDecoder(" + JSON.stringify(charset) + ");" +
                                 "export function decodeWindows1252(b) { return d.decode(b); }" };
            return next(url, context);
        }`;
    register("data:text/javascript," + encodeURIComponent(hooks), { data: { charset } });
}

function plain(value) {
    if (value instanceof Date)
        return value.toISOString();
    if (Buffer.isBuffer(value))
        return value.toString("hex");
    return value === undefined ? null : value;
}

(async () => {
    const dir = path.join(prefix, "node_modules", "mdb-reader");
    const pkg = JSON.parse(fs.readFileSync(path.join(dir, "package.json"), "utf8"));
    const entry = (pkg.exports && pkg.exports["."] && pkg.exports["."].node) || pkg.main;
    const MDBReader = (await import(pathToFileURL(path.join(dir, entry)).href)).default;
    const reader = new MDBReader(fs.readFileSync(file));
    const out = {};
    for (const name of reader.getTableNames()) {
        const table = reader.getTable(name);
        const columns = table.getColumnNames();
        out[name] = { columns, rows: table.getData().map((r) => columns.map((c) => plain(r[c]))) };
    }
    process.stdout.write(JSON.stringify(out));
})().catch((e) => {
    process.stderr.write(String(e && e.stack || e) + "\n");
    process.exit(1);
});
