#!/usr/bin/env python3
"""Every T-SQL statement shape the program sends parses as T-SQL outside the embedded engine.

The embedded engine translates T-SQL into SQLite and may accept what SQL Server would refuse; no
SQL Server runs here, so sqlfluff's tsql grammar gives the second opinion. A traced full run, a
traced preview (also of a copy holding an amount that is no number) and a traced applications
control on a demo database give the statements; each shape (the statement with its literals
replaced) is parsed once, with one of its real statements.
The statements that only the ODBC engine sends are listed below and parsed too.

    sentencias_tsql.py --demo DEPURACION-DEMO --consola DEPURACION-CONSOLA --fuente-odbc ODBC_CONEXION.CPP
"""
import argparse
import json
import os
import re
import shutil
import sqlite3
import subprocess
import sys
import tempfile

# Statements that Debian 12's sqlfluff cannot parse although SQL Server runs them; each one is
# reported by name at every run, and still sent to sqlfluff so that a grammar that learns it shows.
EXCEPCIONES = [
    (re.compile(r"^ALTER TABLE \S+ (DISABLE|ENABLE) TRIGGER ALL$", re.I),
     "the trigger switch: sqlfluff's tsql grammar has no DISABLE/ENABLE TRIGGER clause for ALTER TABLE"),
    (re.compile(r"^BACKUP DATABASE \[\S+\] TO DISK = \? WITH COPY_ONLY, CHECKSUM$", re.I),
     "the backup before a run: sqlfluff's tsql grammar has no BACKUP statement"),
    (re.compile(r"^SET DATEFORMAT dmy$", re.I),
     "the session's date order, set by the ODBC engine on connecting: sqlfluff knows no SET DATEFORMAT"),
]

# Not T-SQL: sqlfluff must refuse it, or the check proves nothing.
ROTA = "DELETE FROM WHERE FECHA <= '30/06/2022'"

# What only the ODBC engine sends to SQL Server: the text the source holds, and what it appends at
# run time (the savepoint name). The source is checked to still hold the text, so that the list
# cannot quietly drift from what is sent.
SOLO_ODBC = [
    ("SET DATEFORMAT dmy", ""),
    ("IF @@TRANCOUNT = 0 BEGIN TRANSACTION; SAVE TRANSACTION ", "dep_t2"),
    ("ROLLBACK TRANSACTION ", "dep_t2"),
    ("IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION", ""),
    ("DECLARE @r INT; EXEC @r = sp_getapplock @Resource = 'DEPURACION', @LockMode = 'Exclusive', "
     "@LockOwner = 'Session', @LockTimeout = 1000; SELECT @r AS RESULTADO", ""),
    ("EXEC sp_releaseapplock @Resource = 'DEPURACION', @LockOwner = 'Session'", ""),
    ("SELECT APPLOCK_TEST('public', 'DEPURACION', 'Exclusive', 'Session') AS LIBRE", ""),
    ("SELECT TOP 1 s.login_name AS USUARIO, s.host_name AS EQUIPO, "
     "CONVERT(VARCHAR(19), s.last_request_start_time, 103) + ' ' + "
     "CONVERT(VARCHAR(8), s.last_request_start_time, 108) AS DESDE "
     "FROM sys.dm_tran_locks l JOIN sys.dm_exec_sessions s ON s.session_id = l.request_session_id "
     "WHERE l.resource_type = 'APPLICATION' AND l.resource_database_id = DB_ID() "
     "AND l.resource_description LIKE '%DEPURACION%'", ""),
    ("SELECT CAST(SERVERPROPERTY('InstanceDefaultBackupPath') AS NVARCHAR(4000)) AS CARPETA", ""),
    ("SELECT DB_NAME() AS BASE", ""),
    ("SELECT SUM(used_page_count) * 8192 AS BYTES FROM sys.dm_db_partition_stats WHERE object_id IN (",
     "OBJECT_ID('MV_ASIENTOS'), OBJECT_ID('V_MV_STOCK'))"),
    ("BACKUP DATABASE [",
     "SUITE] TO DISK = N'/var/opt/mssql/backup/SUITE-20261209-063000.bak' WITH COPY_ONLY, CHECKSUM"),
]

# With an administration database configured, the ODBC engine sends "@ADMIN_X" as this.
PREFIJO_ADMIN = "ADMIN.dbo."

TOKEN = re.compile(r"""
    (?P<texto>N?'(?:[^']|'')*')
  | (?P<corchete>\[(?:[^\]]|\]\])*\])
  | (?P<comillas>"(?:[^"]|"")*")
  | (?P<palabra>[A-Za-z_@#][\w@#$]*)
  | (?P<numero>\d+(?:\.\d+)?)
  | (?P<blanco>\s+)
  | (?P<otro>.)
""", re.X | re.S)


def Fichas(sql):
    return [(m.lastgroup, m.group()) for m in TOKEN.finditer(sql)]


def ResolverAdmin(sql):
    """The statement as the ODBC engine sends it: "@ADMIN_" resolved, quoted text untouched."""
    return "".join(PREFIJO_ADMIN + v[len("@ADMIN_"):] if t == "palabra" and v.upper().startswith("@ADMIN_")
                   else v for t, v in Fichas(sql))


def Forma(sql):
    """The statement with its literals replaced and its blanks collapsed."""
    partes = []
    for t, v in Fichas(sql):
        if t == "texto":
            partes.append("?")
        elif t == "numero":
            partes.append("#")
        elif t == "blanco":
            partes.append(" ")
        else:
            partes.append(v)
    return "".join(partes).strip()


def LeerTraza(ruta):
    """The statements of a trace: each entry is "[time] What", the statement indented by four
    blanks (every line of it), then "    => outcome"."""
    sentencias = []
    cabecera = re.compile(r"^\[[^\]]+\] (\w+)$")
    que, cuerpo = None, None
    with open(ruta, encoding="utf-8", errors="replace") as f:
        for linea in f.read().split("\n"):
            m = cabecera.match(linea)
            if m:
                que, cuerpo = m.group(1), []
            elif cuerpo is not None and linea.startswith("    => "):
                if que in ("Execute", "Consultar"):
                    sentencias.append("\n".join(cuerpo).strip())
                cuerpo = None
            elif cuerpo is not None:
                cuerpo.append(linea[4:] if linea.startswith("    ") else linea)
    return sentencias


def Correr(orden, carpeta, entorno):
    r = subprocess.run(orden, cwd=carpeta, env=entorno, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                       text=True, timeout=300)
    if r.returncode != 0:
        sys.exit("FAILED: %s ended with %d\n%s" % (" ".join(orden), r.returncode, r.stdout[-3000:]))


def SentenciasDeCorridas(demo, consola, carpeta):
    entorno = {k: v for k, v in os.environ.items() if not k.startswith("DEPURACION_")}
    # Settings, error log and journal stay in the scratch folder.
    entorno.update(DEPURACION_CARPETA=carpeta, TEMP=carpeta, TMPDIR=carpeta)
    base = os.path.join(carpeta, "demo.db")
    traza = lambda nombre: os.path.join(carpeta, nombre)
    diario = ["--diario", os.path.join(carpeta, "diario.jsonl")]
    Correr([demo, "--salida", base, "--asientos", "2000"], carpeta, entorno)
    Correr([consola, "--vista-previa", "--hasta", "30/06/2022", "--base", base, "--traza", traza("vista.trz")]
           + diario, carpeta, entorno)
    # A copy with an amount that is no number: the examples query of the amounts check runs too.
    importes = os.path.join(carpeta, "importes.db")
    fuente, destino = sqlite3.connect(base), sqlite3.connect(importes)
    fuente.backup(destino)
    destino.execute("UPDATE MV_ASIENTOS SET IMPORTE = '1234,56' WHERE ID = (SELECT MIN(ID) FROM MV_ASIENTOS "
                    "WHERE EsCierre = 0 AND ES_SALDO_APERTURA = 0)")
    destino.commit()
    fuente.close()
    destino.close()
    Correr([consola, "--vista-previa", "--asientos", "--hasta", "30/06/2022", "--base", importes, "--traza",
            traza("importes.trz")], carpeta, entorno)
    Correr([consola, "--hasta", "30/06/2022", "--base", base, "--traza", traza("corrida.trz")] + diario,
           carpeta, entorno)
    with sqlite3.connect(base) as cn:
        fila = cn.execute("SELECT SUCURSAL||NUMERO||LETRA FROM MV_ASIENTOS WHERE DETALLE='Depuracion' "
                          "AND TC='CC' LIMIT 1").fetchone()
    if not fila:
        sys.exit("FAILED: the run left no CC summary voucher")
    Correr([consola, "--aplicaciones", fila[0], "--cc", "--hasta", "30/06/2022", "--base", base,
            "--traza", traza("aplicaciones.trz")], carpeta, entorno)
    nombres = ("vista.trz", "importes.trz", "corrida.trz", "aplicaciones.trz")
    por_traza = {n: LeerTraza(traza(n)) for n in nombres}
    for n, s in por_traza.items():
        if not s:
            sys.exit("FAILED: the trace %s holds no statement" % n)
    return [ResolverAdmin(s) for lista in por_traza.values() for s in lista]


def SentenciasSoloOdbc(fuente):
    with open(fuente, encoding="utf-8") as f:
        # Adjacent literals joined, as the compiler joins them.
        literales = re.sub(r'"\s*\n\s*"', "", f.read())
    sentencias = []
    for texto, agregado in SOLO_ODBC:
        if '"' + texto not in literales:
            sys.exit("FAILED: %s no longer sends this statement; bring the list up to date:\n  %s" % (fuente, texto))
        sentencias.append(texto + agregado)
    return sentencias


def Excepcion(forma):
    for patron, razon in EXCEPCIONES:
        if patron.match(forma):
            return razon
    return None


def main():
    a = argparse.ArgumentParser()
    a.add_argument("--demo", required=True)
    a.add_argument("--consola", required=True)
    a.add_argument("--fuente-odbc", required=True)
    a.add_argument("--sqlfluff", default=shutil.which("sqlfluff"))
    o = a.parse_args()
    if not o.sqlfluff:
        print("sqlfluff is not installed (scripts/deps.sh installs it): the T-SQL is not checked")
        return 77

    with tempfile.TemporaryDirectory(prefix="dep-tsql-") as carpeta:
        formas = {}  # shape -> one real statement of it, in the order first met
        for s in SentenciasDeCorridas(o.demo, o.consola, carpeta) + SentenciasSoloOdbc(o.fuente_odbc):
            formas.setdefault(Forma(s), s)
        n_formas = len(formas)
        formas[Forma(ROTA)] = ROTA

        sql = os.path.join(carpeta, "sql")
        os.mkdir(sql)
        archivos = {}
        for i, (forma, s) in enumerate(formas.items()):
            nombre = "%03d.sql" % i
            with open(os.path.join(sql, nombre), "w", encoding="utf-8") as f:
                f.write(s + "\n")
            archivos[nombre] = forma
        # One sqlfluff for all the shapes: its start-up costs more than a statement. Only parse and
        # lexing errors count; the one rule asked for is the cheapest there is.
        r = subprocess.run([o.sqlfluff, "lint", "--dialect", "tsql", "--templater", "raw", "--rules", "L001",
                            "--format", "json", "--nofail", "."], cwd=sql, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, text=True, timeout=600)
        try:
            informe = json.loads(r.stdout)
        except ValueError:
            print(r.stdout[-2000:], r.stderr[-2000:])
            sys.exit("FAILED: sqlfluff gave no report")
        fallas = {}
        for archivo in informe:
            errores = [v["description"] for v in archivo["violations"] if v["code"] in ("PRS", "LXR", "TMP")]
            if errores:
                fallas[os.path.basename(archivo["filepath"])] = errores

    malas = 0
    for nombre, forma in archivos.items():
        razon = Excepcion(forma)
        if formas[forma] == ROTA:
            if nombre not in fallas:
                malas += 1
                print("FAILED: sqlfluff accepted a broken statement, so it checks nothing: %s" % ROTA)
        elif razon and nombre in fallas:
            print("known exception, valid T-SQL that sqlfluff cannot parse: %s\n    (%s)" % (forma, razon))
        elif razon:
            print("NOTE: sqlfluff now parses this exception; take it off the list: %s" % forma)
        elif nombre in fallas:
            malas += 1
            print("NOT T-SQL for sqlfluff:\n    %s\n    %s" % (formas[forma], "\n    ".join(fallas[nombre])))
    excepciones = sum(1 for f in archivos.values() if Excepcion(f))
    print("%d statement shapes: %d parsed, %d known exceptions, %d failed"
          % (n_formas, n_formas - excepciones - malas, excepciones, malas))
    return 1 if malas else 0


if __name__ == "__main__":
    sys.exit(main())
