#!/usr/bin/env python3
"""The README's samples of the preview, the run journal and the end-of-run report, taken from a
real run on a fresh demo database. By default compares them with the README, times of day and
durations aside, and fails naming the sample that differs; with --escribir rewrites them in the
README. Each sample is the indented block after a line "<!-- muestra: NAME -->"."""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

HASTA = ["--hasta", "30/06/2022", "--base", "demo.db"]


def correr(programa, args, carpeta):
    r = subprocess.run([programa, *args], cwd=carpeta, env=dict(os.environ, TEMP=carpeta),
                       capture_output=True, text=True)
    if r.returncode != 0:
        sys.exit(f"{' '.join(args)}: estado {r.returncode}\n{r.stdout}{r.stderr}")
    return r.stdout


def orden(args):
    return "$ depuracion-consola " + " ".join(args)


# The journal's sample: one line of each kind of unit, in the order they come.
DIARIO = [
    lambda u: u.get("purga") == "stock",
    lambda u: u.get("pasada") == "CC" and "/" in u.get("unidad", "") and u.get("borradas", 0) > 0,
    lambda u: u.get("pasada") == "CC" and u.get("unidad") == "refechado",
    lambda u: u.get("pasada") == "CC" and u.get("unidad") == "verificacion",
    lambda u: u.get("purga") == "temporales",
    lambda u: u.get("purga") == "compactacion",
    lambda u: u.get("registro") == "corrida",
]


def elegir(lineas):
    import json
    elegidas, i = [], 0
    for quiere in DIARIO:
        while not quiere(json.loads(lineas[i])):
            i += 1
        elegidas.append(lineas[i])
        i += 1
    return "\n…\n".join(elegidas)


def muestras(demo, consola):
    with tempfile.TemporaryDirectory() as d:
        correr(demo, ["--salida", "demo.db", "--asientos", "20000"], d)
        shutil.copy(os.path.join(d, "demo.db"), os.path.join(d, "copia.db"))
        previa = HASTA + ["--vista-previa"]
        previa_json = previa + ["--formato", "json", "--asientos"]
        r = {
            "vista-previa": orden(previa) + "\n" + correr(consola, previa, d),
            "vista-previa-json": orden(previa_json) + "\n" + correr(consola, previa_json, d),
        }
        # The run after its preview; its journal; the same run on the copy, its report in JSON.
        r["informe"] = orden(HASTA) + "\n" + correr(consola, HASTA + ["--diario", "diario.jsonl"], d)
        with open(os.path.join(d, "diario.jsonl"), encoding="utf-8") as f:
            r["diario"] = elegir(f.read().splitlines())
        salida = correr(consola, HASTA[:3] + ["copia.db", "--formato", "json"], d)
        r["informe-json"] = orden(HASTA + ["--formato", "json"]) + "\n" + salida.splitlines()[-1]
        return r


def sin_horas(texto):
    texto = re.sub(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d", "AAAA-MM-DDTHH:MM:SS", texto)
    texto = re.sub(r"Duración: \d\d:\d\d:\d\d", "Duración: HH:MM:SS", texto)
    return re.sub(r'"segundos":\d+', '"segundos":N', texto)


def bloques(readme):
    """(name, first line, end line) of each sample block."""
    lineas = readme.split("\n")
    r = []
    for i, l in enumerate(lineas):
        m = re.fullmatch(r"<!-- muestra: ([a-z-]+) -->", l)
        if not m:
            continue
        j = i + 1
        while j < len(lineas) and lineas[j] == "":
            j += 1
        k = j
        while k < len(lineas) and (lineas[k].startswith("    ") or lineas[k] == ""):
            k += 1
        while lineas[k - 1] == "":
            k -= 1
        r.append((m.group(1), j, k))
    return r


def main():
    a = argparse.ArgumentParser()
    a.add_argument("--demo", required=True)
    a.add_argument("--consola", required=True)
    a.add_argument("--readme", required=True)
    a.add_argument("--escribir", action="store_true")
    o = a.parse_args()
    with open(o.readme, encoding="utf-8") as f:
        readme = f.read()
    reales = muestras(os.path.abspath(o.demo), os.path.abspath(o.consola))
    lineas = readme.split("\n")
    distintas = []
    for nombre, desde, hasta in reversed(bloques(readme)):
        real = [("    " + l).rstrip() for l in reales.pop(nombre).rstrip("\n").split("\n")]
        if sin_horas("\n".join(real)) != sin_horas("\n".join(lineas[desde:hasta])):
            distintas.append(nombre)
            lineas[desde:hasta] = real
    if reales:
        sys.exit("el README no tiene las muestras " + ", ".join(reales))
    if o.escribir:
        with open(o.readme, "w", encoding="utf-8") as f:
            f.write("\n".join(lineas))
        print("muestras reescritas: " + (", ".join(distintas) or "ninguna"))
    elif distintas:
        sys.exit("muestras del README distintas de una corrida real: " + ", ".join(distintas) +
                 " (./scripts/muestras.sh las reescribe)")
    else:
        print("muestras del README iguales a una corrida real")


if __name__ == "__main__":
    main()
