#!/usr/bin/env python3
"""A form server as strict as Werkzeug about part headers: it decodes every part's header block as
UTF-8 and refuses the whole request with 400 when one is not. It answers 200 with a UTF-8 JSON list
of the parts it read (name, filename, size) and a Korean note.

usage: strict_form_server.py ADDRESS PORT   (prints "ready" once it listens)
"""
import json
import re
import sys
from http.server import BaseHTTPRequestHandler, HTTPServer


def parse(body, boundary):
    parts = []
    delimiter = b"--" + boundary
    for chunk in body.split(delimiter)[1:]:
        if chunk.startswith(b"--"):
            break
        chunk = chunk[2:] if chunk.startswith(b"\r\n") else chunk
        head, _, content = chunk.partition(b"\r\n\r\n")
        text = head.decode("utf-8")  # strict: a byte that is not UTF-8 refuses the request
        disposition = next((line for line in text.split("\r\n")
                            if line.lower().startswith("content-disposition:")), "")
        name = re.search(r'; name="([^"]*)"', disposition)
        filename = re.search(r'; filename="([^"]*)"', disposition)
        parts.append({
            "name": name.group(1) if name else None,
            "filename": filename.group(1) if filename else None,
            "size": len(content) - 2,
        })
    return parts


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        match = re.search(r"boundary=(\S+)", self.headers.get("Content-Type", ""))
        try:
            parts = parse(body, match.group(1).encode("ascii"))
        except (UnicodeDecodeError, AttributeError) as error:
            self.answer(400, {"error": str(error)})
            return
        self.answer(200, {"parts": parts, "note": "받았습니다"})

    def answer(self, status, value):
        data = json.dumps(value, ensure_ascii=False).encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "application/json; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)


def main():
    server = HTTPServer((sys.argv[1], int(sys.argv[2])), Handler)
    print("ready", flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
