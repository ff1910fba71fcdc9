"""The stand-in upload service of StandInUploadService.h: RECORD MODE STATUS BODY. Prints its port once it listens, parses each upload with a real
multipart parser and appends per part "path field *.extension content-type", a line end, the bytes and a line end to RECORD. It answers STATUS and BODY
("{host}" is 127.0.0.1:port) at once ("reply"), after a minute ("slow"), or followed by bytes without end as fast as they are read ("flood") or 512 every 20 ms
("trickle"). "drip" follows BODY with 64 bytes every 0.3 s, and "drip-headers" never ends its headers, adding 64 bytes to one every 0.3 s: both stay above
curl's low-speed limit of 100 bytes a second, and stop after a minute. "redirect" sends STATUS, BODY and a Location on a second server, with another port, that
answers every request "OK" and appends "redirected METHOD path" and a line end to RECORD."""
import email.parser, email.policy, os, sys, threading, time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

record, mode, status, body = (sys.argv + [""])[1:5]  # an empty BODY may arrive as no argument
sys.stderr = open(os.devnull, "w")  # no request log, and no complaint about a client that hangs up on an endless reply


class Handler(BaseHTTPRequestHandler):
    def do_POST(self):
        form = email.parser.BytesParser(policy=email.policy.HTTP).parsebytes(b"Content-Type: %s\r\n\r\n%s" % (self.headers["Content-Type"].encode(), self.rfile.read(int(self.headers["Content-Length"]))))
        with open(record, "ab") as out:
            for part in form.iter_parts():
                out.write(("%s %s *.%s %s\n" % (self.path, part.get_param("name", header="content-disposition"), part.get_filename().split(".")[-1], part.get_content_type())).encode() + part.get_payload(decode=True) + b"\n")
        time.sleep(60 if mode == "slow" else 0)
        self.send_response(int(status))
        if mode == "redirect":
            self.send_header("Location", "http://127.0.0.1:%d%s" % (target.server_address[1], self.path))
        if mode == "drip-headers":
            self.flush_headers()
            return self.drip(b"X-Drip: ")
        self.end_headers()
        self.wfile.write(body.replace("{host}", "127.0.0.1:%d" % server.server_address[1]).encode())
        if mode == "drip":
            self.drip(b"")
        while mode in ("flood", "trickle"):
            self.wfile.write(b"x" * (65536 if mode == "flood" else 512))
            time.sleep(0.02 if mode == "trickle" else 0)

    def drip(self, start):
        self.wfile.write(start)
        for _ in range(200):
            time.sleep(0.3)
            self.wfile.write(b"x" * 64)


class Target(BaseHTTPRequestHandler):
    def answer(self):
        self.rfile.read(int(self.headers.get("Content-Length", 0)))
        with open(record, "ab") as out:
            out.write(b"redirected %s %s\n" % (self.command.encode(), self.path.encode()))
        self.send_response(200)
        self.end_headers()
        self.wfile.write(b"OK")

    do_GET = do_POST = answer


server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
target = ThreadingHTTPServer(("127.0.0.1", 0), Target)
threading.Thread(target=target.serve_forever, daemon=True).start()
print(server.server_address[1], flush=True)
server.serve_forever()
