#!/usr/bin/env bash
# Acceptance against a real print system (needs root for cupsd): a cups-pdf
# queue as the default printer, the pass printed from the print window with a
# shift of (20, 30), and the PDF it writes checked at 96 dpi: the pass keeps
# its screen size and lies at the shift from the sheet's corner.
#   sudo scripts/print_acceptance.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${OUT_DIR:-$(mktemp -d)}"
mkdir -p "$out"

missing=()
for p in cups printer-driver-cups-pdf poppler-utils xvfb openbox xdotool imagemagick x11-utils; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

pgrep -x cupsd >/dev/null || { /usr/sbin/cupsd; sleep 2; }
ppd=$(lpinfo -m | awk '/CUPS-PDF/ {print $1; exit}' || true)
lpadmin -p wendolarka-pdf -E -v cups-pdf:/ -m "$ppd"
lpoptions -d wendolarka-pdf >/dev/null
pdfdir=$(awk '/^Out / {print $2}' /etc/cups/cups-pdf.conf 2>/dev/null || true)
pdfdir="${pdfdir:-/var/spool/cups-pdf/ANONYMOUS}"
pdfdir="${pdfdir//\$\{HOME\}/$HOME}"
mkdir -p "$pdfdir"
rm -f "$pdfdir"/*.pdf # what comes out now is this run's page

cat > "$out/drive.sh" <<DRIVE
openbox >/dev/null 2>&1 &
sleep 1
"$build/src/app/wendolarka" >/dev/null 2>&1 &
app=\$!
sleep 2
main=\$(xdotool search --sync --name "Wendolarka wer. 1.4" | head -1)
xdotool windowactivate --sync \$main
xdotool key alt+f; sleep 0.5; xdotool key p; sleep 1
xdotool windowactivate --sync \$main
xdotool key alt+f; sleep 0.5; xdotool key d; sleep 2
dr=\$(xdotool search --sync --name "Podgląd i wydruk" | head -1)
read px py < <(xwininfo -id \$dr | awk '/Absolute upper-left X/{x=\$4}/Absolute upper-left Y/{y=\$4}END{print x" "y}')
eval "\$(xdotool getwindowgeometry --shell \$dr)"
bar=\$((py + HEIGHT - 19))
xdotool mousemove \$((px + 140)) \$bar click --repeat 3 1; xdotool type 20; sleep 0.3
xdotool mousemove \$((px + 220)) \$bar click --repeat 3 1; xdotool type 30; sleep 0.5
xdotool mousemove \$((px + 48)) \$bar click 1; sleep 2
import -window root "$out/dialog.png"
xdotool key Return; sleep 8
kill \$app
DRIVE
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$out/drive.sh"

for _ in $(seq 1 30); do
  ls "$pdfdir"/*.pdf >/dev/null 2>&1 && break
  sleep 1
done
pdf=$(ls -t "$pdfdir"/*.pdf 2>/dev/null | head -1)
[ -n "$pdf" ] || { echo "no PDF came out of the queue"; exit 1; }
pdftoppm -r 96 -png -singlefile "$pdf" "$out/page"
echo "page: $(identify -format '%w x %h' "$out/page.png") from $pdf"
# Ramka1 (blue, 3 pixels wide) lies at (24, 40) on the pass: (44, 70) on the sheet.
pixel() { convert "$out/page.png" -crop "1x1+$1+$2" -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:; }
# The first blue pixel of row 100 from the left: the frame's outer edge, at 44.
edge=$(convert "$out/page.png" -crop 200x1+0+100 txt: | awk -F'[,:() ]+' 'NR > 1 && $5 + 0 > 180 && $3 + 0 < 80 {print $1; exit}' || true)
echo "left edge of the blue frame on row 100: ${edge:-none} (expected 44)"
if [ -n "$edge" ] && [ "$edge" -ge 43 ] && [ "$edge" -le 45 ]; then
  echo "the pass is printed at its screen size, shifted by (20, 30) from the sheet's corner"
  exit 0
fi
echo "the pass is not where it should be"
exit 1
