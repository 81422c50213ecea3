#!/usr/bin/env bash
# Takes the two pictures of the main window in this folder:
#   window-compact.png   the compact window asking to confirm the order
#   window-expanded.png  the expanded window showing a logon page
# under Xvfb and the openbox window manager, with a small logon server on
# 127.0.0.1. Needs xvfb-run, openbox, xdotool and ImageMagick's import, and a
# built webaccess:
#   docs/screenshots.sh [path/to/webaccess]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
program="$(realpath "${1:-$here/../build/qt/src/ui/webaccess}")"

work="$(mktemp -d)"
trap 'kill "${server_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"

# Three inquiry records of 60 characters.
for i in 1 2 3; do
  printf 'A%-19s%-15s%025d\r\n' "SMITH JOHN $i" "D123456$i" "$i"
done > INQUIRY.QDK

# The server: the logon request leads to the logon page.
cat > server.py <<'PY'
import http.server, sys
PAGE = b"""<html><head><title>Vantorel Log On</title></head>
<body style="font-family: sans-serif; background: #f4f6fa">
<h2 style="color: #123c69">Vantorel Records On-Line</h2>
<form action="V7LoginPassword.asp" method="get">
<table>
<tr><td>Company number</td><td><input name="Company" size="10"></td></tr>
<tr><td>Company password</td><td><input name="CompPass" type="password" size="10"></td></tr>
<tr><td>User id</td><td><input name="User" size="10"></td></tr>
<tr><td>User password</td><td><input name="UserPass" type="password" size="10"></td></tr>
</table>
<p><input type="submit" value="Log On"></p>
</form></body></html>"""
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        if self.path.startswith("/Zq3/V7Begin.asp"):
            self.send_response(302)
            self.send_header("Location", "/Zq3/V7LOGIN.ASP")
            self.end_headers()
            return
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(PAGE)))
        self.end_headers()
        self.wfile.write(PAGE)
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_port, flush=True)
server.serve_forever()
PY
python3 server.py > port.txt &
server_pid=$!
for _ in $(seq 50); do [ -s port.txt ] && break; sleep 0.1; done
port="$(head -1 port.txt)"

cat > take.sh <<SH
#!/usr/bin/env bash
set -eu
openbox &   # a window manager, for the frames and title bars
sleep 2
export WEBACCESS_MAIN_URL="http://127.0.0.1:$port/"
"$program" &   # no credentials: the user logs on in the window
pid=\$!
sleep 6
import -window root "$here/window-compact.png"
# Yes to the order, then Start (the focus is on Exit; Start is next).
xdotool search --onlyvisible --name '^QUESTION\$' windowfocus && xdotool key Return
sleep 1
xdotool search --onlyvisible --name 'Request Records From Vantorel' windowfocus && xdotool key Tab space
sleep 6
import -window root "$here/window-expanded.png"
kill \$pid
SH
chmod +x take.sh
QTWEBENGINE_DISABLE_SANDBOX="${QTWEBENGINE_DISABLE_SANDBOX:-1}" \
  xvfb-run -a -s "-screen 0 1280x1024x24" ./take.sh
echo "pictures in $here"
