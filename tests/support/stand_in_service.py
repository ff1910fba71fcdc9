#!/usr/bin/env python3
"""A stand-in for the remote validation service, for the tests.

    python3 stand_in_service.py MODE RECORD_FILE [LIFETIME_SECONDS]

Listens on 127.0.0.1 on a port that the system chooses and prints the port on its first line.
Every POST has its multipart body parsed with the standard library's email parser; the request's
path and, for each part, its field name, file name, content type and text are appended to
RECORD_FILE as one JSON line, before the reply is sent. The reply depends on MODE:

    three     three messages, with the schema marker in element names and in a message text
    one       one message: type "T", text "X", line 12
    none      an empty "messages" element
    garbage   text that is not XML
    slow      nothing for 60 seconds, then a valid reply
    endless   an XML start followed by bytes without end, as fast as they go
    trickle   an XML start followed by 2 KiB every 50 ms without end

The process ends itself after LIFETIME_SECONDS (default 60), whatever it is doing.
"""

import email.parser
import email.policy
import http.server
import json
import os
import sys
import threading
import time

MODE = sys.argv[1]
RECORD = sys.argv[2]
LIFETIME = float(sys.argv[3]) if len(sys.argv) > 3 else 60.0


def parse_multipart(content_type, body):
    message = email.parser.BytesParser(policy=email.policy.HTTP).parsebytes(
        b"Content-Type: " + content_type.encode("latin-1") + b"\r\n\r\n" + body)
    if not message.is_multipart():
        return []
    parts = []
    for part in message.iter_parts():
        payload = part.get_payload(decode=True) or b""
        parts.append({
            "field": part.get_param("name", header="content-disposition"),
            "filename": part.get_filename(),
            "contentType": part.get_content_type(),
            "text": payload.decode("utf-8"),
            "bom": payload.startswith(b"\xef\xbb\xbf"),
        })
    return parts


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        record = {"path": self.path, "parts": parse_multipart(self.headers.get("Content-Type", ""), body)}
        with open(RECORD, "a", encoding="utf-8") as f:
            f.write(json.dumps(record) + "\n")
        try:
            self.reply()
        except (BrokenPipeError, ConnectionResetError):
            pass

    def start(self, status=200):
        self.send_response(status)
        self.send_header("Content-Type", "text/xml")
        self.end_headers()

    def reply(self):
        marker = "{http://127.0.0.1:%d/wirelace/mappings.xsd}" % self.server.server_address[1]
        if MODE == "slow":
            time.sleep(60)
        if MODE in ("endless", "trickle"):
            self.start()
            self.wfile.write(b"<result><messages>")
            chunk = b"<m/>" * (16384 if MODE == "endless" else 512)
            while True:
                self.wfile.write(chunk)
                self.wfile.flush()
                if MODE == "trickle":
                    time.sleep(0.05)
        replies = {
            "three": ('<?xml version="1.0"?><{m}result><{m}messages>'
                      '<{m}message type="error" text="{m}controller lacks {m}id" line="5"/>'
                      '<{m}message line="abc"/>'
                      '<{m}message type="warning" text="past the end" line=" +999"/>'
                      '</{m}messages></{m}result>').replace("{m}", marker),
            "one": '<result><messages><message type="T" text="X" line="12"/></messages></result>',
            "none": '<result><messages/></result>',
            "garbage": 'Internal error, please try again',
        }
        text = replies[MODE].encode("utf-8")
        self.start()
        self.wfile.write(text)


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    timer = threading.Timer(LIFETIME, lambda: os._exit(0))
    timer.daemon = True
    timer.start()
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
