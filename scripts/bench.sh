#!/bin/sh
# Builds and runs depuracion-bench (an optimised build of its own), keeps its output and draws
# time against entries for the whole run, the walk and the walk's floor.
#   scripts/bench.sh [--tamanos 50000,200000,1000000] [--hasta 31/12/2022] [other bench options]
# Environment: BUILD (build folder, default build-bench), SALIDA (folder of the figures,
# default bench/out), CARPETA (demo databases, default /tmp/depuracion-bench).
set -eu
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build-bench}
SALIDA=${SALIDA:-bench/out}
CARPETA=${CARPETA:-/tmp/depuracion-bench}
QT=ON
[ "${DEP_WITH_QT:-ON}" = OFF ] && QT=OFF
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDEP_WERROR=ON \
      -DDEP_WITH_QT="$QT" -DDEP_WITH_ODBC=OFF >/dev/null
cmake --build "$BUILD" --target depuracion-bench depuracion-consola -j2 >/dev/null
mkdir -p "$SALIDA"
{
  echo "máquina: $(nproc) núcleos, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
  echo "orden: $BUILD/bench/depuracion-bench --carpeta $CARPETA --csv $SALIDA/tiempos.csv $*"
  "$BUILD/bench/depuracion-bench" --carpeta "$CARPETA" --csv "$SALIDA/tiempos.csv" "$@"
} 2>&1 | tee "$SALIDA/salida.txt"

if command -v gnuplot >/dev/null 2>&1; then
  gnuplot <<GP
set terminal pngcairo size 800,500 noenhanced
set output "$SALIDA/tiempos.png"
set datafile separator ","
set key top left
set logscale xy
set xlabel "asientos en MV_ASIENTOS"
set ylabel "segundos"
set title "Corrida completa, recorrido de DepuraAsientos y su piso (INSERT ... SELECT + DELETE)"
set grid
plot "$SALIDA/tiempos.csv" every ::1 using 1:10 with linespoints title "corrida completa (consola)", \
     "$SALIDA/tiempos.csv" every ::1 using 1:15 with linespoints title "recorrido (consola)", \
     "$SALIDA/tiempos.csv" every ::1 using 1:4 with linespoints title "piso"
GP
  echo "gráfico: $SALIDA/tiempos.png"
else
  echo "sin gnuplot: no se dibuja el gráfico (apt-get install gnuplot-nox)"
fi
