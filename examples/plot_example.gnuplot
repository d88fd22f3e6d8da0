# Draws the example's input spectrum and its 10 Hz bands into example_plot.png; run from examples/.
#
# The input file holds peak magnitudes, so they are drawn as RMS (times
# sqrt(2)/2), the unit of the bands. Each band is drawn as a step one band
# wide around its centre. The known tones from tones.txt are marked: a band's
# step should reach its tone's mark. The left panel shows the whole range, the
# right one the first kilohertz, where the bands are wide enough to see. The
# tone labels are placed by hand, so they follow tones.txt only when redone.
#
#   gnuplot plot_example.gnuplot

input = 'machine_spectrum.txt'
bands = 'expected_machine_spectrum_10hz.txt'
tones = 'tones.txt'
rms = sqrt(2.0) / 2.0

set terminal pngcairo size 900,500 font 'sans,10'
set output 'example_plot.png'
set encoding utf8

set style line 1 lc rgb '#9db4cc' lw 1
set style line 2 lc rgb '#d1495b' lw 1.6
set style line 3 lc rgb '#1b1b1b' pt 6 ps 1.1 lw 1.2
set logscale y
set format y '10^{%T}'
set yrange [1e-4:5]
set ylabel 'amplitude (EU RMS)'
set xlabel 'frequency (Hz)'
set grid xtics ytics lc rgb '#e0e0e0' lw 1
set key top right box opaque samplen 2 spacing 1.1

set multiplot title 'Example: gearbox spectrum, 1.25 Hz lines rebinned into 10 Hz bands'

set lmargin at screen 0.08
set rmargin at screen 0.60
set tmargin at screen 0.90
set bmargin at screen 0.11
set xrange [0:10000]
set xtics 2000
set mxtics 2
set label 1 '0 to 10 kHz' at graph 0.02, graph 0.95 left
set label 2 'gear mesh' at 600, 1.2 left font ',9'
set label 3 '3x mesh' at 1600, 0.12 left font ',9'
set label 4 'bearing' at 6400, 0.05 left font ',9'
plot input skip 3 using 1:($2 * rms) with lines ls 1 title 'input lines (peak as RMS)', \
     bands using 1:2 with histeps ls 2 title '10 Hz bands (output)', \
     tones using 2:3 with points ls 3 title 'known tone RMS'

unset ylabel
set format y ''
set lmargin at screen 0.64
set rmargin at screen 0.97
set xrange [0:1000]
set xtics 200
set mxtics 2
unset key
set label 1 'first kilohertz'
set label 2 'mesh' at 488.75, 2.0 center font ',9'
set label 3 '1x' at 36, 0.8 left font ',9'
set label 4 '2x' at 57, 0.3 left font ',9'
set label 5 '2x line' at 116, 0.15 left font ',9'
set label 6 'mesh-1x' at 452, 0.25 right font ',9'
set label 7 'mesh+1x' at 526, 0.2 left font ',9'
set label 8 '2x mesh' at 962, 0.45 right font ',9'
plot input skip 3 using 1:($2 * rms) with lines ls 1, \
     bands using 1:2 with histeps ls 2, \
     tones using 2:3 with points ls 3

unset multiplot
