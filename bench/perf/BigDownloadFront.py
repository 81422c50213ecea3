#!/usr/bin/env python3
"""A loopback front for webaccess-sim that makes the first response file big.

    BigDownloadFront.py SIM-BASE-URL BYTES

Listens on 127.0.0.1 (a free port; prints its base URL on the first line)
and passes every request to the simulator unchanged, except the first
response file (a .../_ffffs/*.TXT target answered 200): its responses are
repeated until the file holds at least BYTES bytes, before a closing
<COMPLETED> line if there is one. Ends after an hour in any case.
"""
import http.client
import http.server
import sys
import threading
import urllib.parse

sim = urllib.parse.urlsplit(sys.argv[1])
target_bytes = int(sys.argv[2])
padded = threading.Event()


def pad(body: bytes) -> bytes:
    completed = b"<COMPLETED>\r\n"
    tail = completed if body.endswith(completed) else b""
    head = body[: len(body) - len(tail)]
    first = head.find(b"<NEW>")
    if first < 0:
        return body
    responses = head[first:]
    parts = [head]
    size = len(head)
    while size < target_bytes:
        parts.append(responses)
        size += len(responses)
    parts.append(tail)
    return b"".join(parts)


class Front(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        upstream = http.client.HTTPConnection(sim.hostname, sim.port, timeout=60)
        headers = {k: v for k, v in self.headers.items() if k.lower() in ("cookie", "user-agent")}
        upstream.request("GET", self.path, headers=headers)
        answer = upstream.getresponse()
        body = answer.read()
        lower = self.path.lower()
        if answer.status == 200 and "/_ffffs/" in lower and lower.endswith(".txt") and not padded.is_set():
            padded.set()
            body = pad(body)
        self.send_response(answer.status)
        for name, value in answer.getheaders():
            if name.lower() in ("location", "set-cookie", "content-type"):
                self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
        upstream.close()


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Front)
print(f"http://127.0.0.1:{server.server_address[1]}/", flush=True)
ender = threading.Timer(3600, server.shutdown)
ender.daemon = True
ender.start()
server.serve_forever()
