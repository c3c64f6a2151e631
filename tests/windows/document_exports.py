"""LoadBin, SaveBin and EqualBin through Wine's odbc32 and the host's unixODBC
on SQLite and PostgreSQL, the stored bytes read back with sqlite3 and psql."""
import os
import pathlib
import shutil
import subprocess

from wine_batch import Wine, random_bytes, skip

class Database:
    """One database, reached through Wine's odbc32 for the exports and through its
    own command-line tool for the checks."""

    def __init__(self, engine, arguments, folder):
        self.engine = engine
        self.folder = folder
        if engine == "sqlite":
            self.file = folder / "documents.db"
            self.connection = (f"Driver=VentusSQLite;Database={self.file};"
                               f"LoadExt={arguments.datalength}")
        else:
            self.socket = pathlib.Path(arguments.postgres_state).read_text().strip()
            self.connection = (f"Driver=VentusPostgreSQL;Servername={self.socket};Port=5432;"
                               "Database=postgres;UID=postgres;ByteaAsLongVarBinary=1")

    def query(self, sql):
        if self.engine == "sqlite":
            command = ["sqlite3", "-batch", "-bail", str(self.file)]
        else:
            command = ["psql", "-X", "-q", "-At", "-v", "ON_ERROR_STOP=1", "-h", self.socket,
                       "-U", "postgres", "-d", "postgres"]
        result = subprocess.run(command, input=sql, capture_output=True, text=True, check=True)
        return result.stdout.strip()

    def literal(self, data):
        return f"X'{data.hex()}'" if self.engine == "sqlite" else f"decode('{data.hex()}','hex')"

    def stored(self, table, key):
        """The document's bytes, None for NULL, "missing" without the row."""
        hex_of = "hex(documento)" if self.engine == "sqlite" else "encode(documento,'hex')"
        rows = self.query(f"SELECT documento IS NULL, {hex_of} FROM {table} WHERE iddoc='{key}';")
        if not rows:
            return "missing"
        is_null, _, digits = rows.partition("|")
        return None if is_null in ("1", "t") else bytes.fromhex(digits)


def database_part(arguments, checks):
    missing = [tool for tool in ("sqlite3", "psql") if not shutil.which(tool)]
    # The drivers of the build's width that odbcinst.ini names.
    for line in pathlib.Path(arguments.odbc_folder, "odbcinst.ini").read_text().splitlines():
        if line.startswith("Driver=") and not pathlib.Path(line[7:]).exists():
            missing.append(line[7:])
    if missing:
        skip(f"not installed: {' '.join(missing)} (scripts/install-deps.sh installs them)")
    wine = Wine(arguments)
    environment = {"ODBCSYSINI": arguments.odbc_folder}

    document = random_bytes(100000, 11) + b"\0\x1a\r\n\xff"
    (wine.work / "in.bin").write_bytes(document)
    (wine.work / "empty.bin").write_bytes(b"")
    (wine.work / "longer.bin").write_bytes(document + b"!")
    changed = bytearray(document)
    changed[5] ^= 0xFF
    (wine.work / "changed.bin").write_bytes(bytes(changed))
    first_changed = bytearray(document)
    first_changed[0] ^= 0xFF
    (wine.work / "first-changed.bin").write_bytes(bytes(first_changed))

    databases = {}
    calls = []
    expected = []  # (label, result) per call
    for engine in ("sqlite", "postgres"):
        folder = wine.work / engine
        folder.mkdir()
        database = databases[engine] = Database(engine, arguments, folder)
        table = f"docs_windows_{os.getpid()}"
        blob = "BLOB" if engine == "sqlite" else "bytea"
        database.query(f"DROP TABLE IF EXISTS {table}; CREATE TABLE {table} "
                       f"(iddoc VARCHAR(50) UNIQUE, documento {blob}); INSERT INTO {table} VALUES "
                       f"('old', {database.literal(b'old bytes')}), ('n', NULL);")
        database.table = table
        out = f"{engine}-out.bin"
        select = f"SELECT documento, datalength(documento) FROM {table} WHERE iddoc="
        cases = [
            (["connect", database.connection], "1", "connects"),
            (["LoadBin", f"INSERT INTO {table} (iddoc, documento) VALUES ('a', ?)", "in.bin"],
             "0", "LoadBin stores the file"),
            (["LoadBin", f"INSERT INTO {table} (iddoc, documento) VALUES ('e', ?)", "empty.bin"],
             "0", "LoadBin stores an empty file"),
            (["LoadBin", f"UPDATE {table} SET documento=? WHERE iddoc='old'", "missing.bin"],
             "-3", "LoadBin of a missing file"),
            (["LoadBin", r"\N", "in.bin"], "-4", "LoadBin without a statement"),
            (["LoadBin", f"INSERT INTO {table} (iddoc, documento) VALUES ('old', ?)", "in.bin"],
             "-5", "LoadBin whose statement fails when it runs"),
            (["SaveBin", select + "'a'", out], "0", "SaveBin writes the document"),
            (["SaveBin", select + "'e'", f"{engine}-empty.bin"], "0", "SaveBin of an empty one"),
            (["SaveBin", "SELECT documento FROM no_such_table", f"{engine}-x.bin"], "-3",
             "SaveBin of a failing query"),
            (["SaveBin", select + "'n'", f"{engine}-x.bin"], "-4", "SaveBin of a NULL document"),
            (["SaveBin", select + "'zz'", f"{engine}-x.bin"], "-5", "SaveBin without a row"),
            (["SaveBin", select + "'a'", "no-folder\\out.bin"], "-6",
             "SaveBin into a folder that does not exist"),
            (["EqualBin", table, "a", "in.bin"], "0", "EqualBin of the same bytes"),
            (["EqualBin", table, "a", out], "0", "EqualBin of what SaveBin wrote"),
            (["EqualBin", table, "a", "longer.bin"], "1", "EqualBin of another length"),
            (["EqualBin", table, "a", "changed.bin"], "2", "EqualBin of other bytes"),
            (["EqualBin", table, "a", "first-changed.bin"], "2",
             "EqualBin of a file whose first byte differs"),
            (["EqualBin", "no_such_table", "a", "in.bin"], "-3", "EqualBin on a missing table"),
            (["EqualBin", table, "zz", "in.bin"], "-5", "EqualBin of a missing key"),
            (["EqualBin", table, "n", "in.bin"], "-6", "EqualBin of a NULL document"),
            (["EqualBin", table, "a", "missing.bin"], "-7", "EqualBin of a missing file"),
            (["unconnected"], "1", "a handle never connected"),
            (["LoadBin", f"UPDATE {table} SET documento=? WHERE iddoc='old'", "in.bin"], "-2",
             "LoadBin on it: no statement"),
            (["SaveBin", select + "'a'", f"{engine}-x.bin"], "-2", "SaveBin on it: no statement"),
            (["EqualBin", table, "a", "in.bin"], "-2", "EqualBin on it: no statement"),
            (["null-connection"], "1", "a null handle"),
            (["LoadBin", f"UPDATE {table} SET documento=? WHERE iddoc='old'", "in.bin"], "-1",
             "LoadBin with it"),
            (["SaveBin", select + "'a'", f"{engine}-x.bin"], "-1", "SaveBin with it"),
            (["EqualBin", table, "a", "in.bin"], "-1", "EqualBin with it"),
        ]
        for call, result, label in cases:
            calls.append(call)
            expected.append((f"{engine}: {label}", result))

    results, _ = wine.run(calls, environment)
    for (label, result), actual in zip(expected, results):
        checks.equal(actual[1:2], [result], label)
        if actual[1:2] != [result] and len(actual) > 2:
            print(f"      {actual[2:]}")

    for engine, database in databases.items():
        table = database.table
        checks.check(database.stored(table, "a") == document,
                     f"{engine}: {engine_tool(engine)} reads back every byte LoadBin stored")
        checks.equal(database.stored(table, "e"), b"",
                     f"{engine}: the empty file is stored as an empty document, not NULL")
        checks.equal(database.stored(table, "old"), b"old bytes",
                     f"{engine}: the failed calls left the stored document as it was")
        checks.check((wine.work / f"{engine}-out.bin").read_bytes() == document
                     if (wine.work / f"{engine}-out.bin").exists() else False,
                     f"{engine}: SaveBin wrote every byte")
        empty = wine.work / f"{engine}-empty.bin"
        checks.check(empty.exists() and empty.stat().st_size == 0,
                     f"{engine}: SaveBin of an empty document made an empty file")
        checks.check(not (wine.work / f"{engine}-x.bin").exists(),
                     f"{engine}: the failed SaveBin calls made no file")
        database.query(f"DROP TABLE {table};")


def engine_tool(engine):
    return "sqlite3" if engine == "sqlite" else "psql"
