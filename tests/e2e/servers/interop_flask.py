# Flask and Werkzeug's form parsing: every field and file made of the request, files saved into the
# folder given as the second argument. Run as: python3 interop_flask.py ADDRESS SAVE_DIR
# The reply has one line each, names and values in hex (after UTF-8, as Werkzeug decodes them):
#   field NAME VALUE
#   file FIELD FILENAME SIZE 0 SAVED-PATH
import os
import sys

from flask import Flask, request

app = Flask(__name__)
address, save_dir = sys.argv[1], sys.argv[2]
counter = [0]


def hexed(text):
    return text.encode("utf-8").hex()


@app.route("/", defaults={"path": ""}, methods=["POST"])
@app.route("/<path:path>", methods=["POST"])
def upload(path):
    lines = ["request POST " + request.full_path.rstrip("?").encode("utf-8").hex()]
    for name, value in request.form.items(multi=True):
        lines.append("field %s %s" % (hexed(name), hexed(value)))
    for field, f in request.files.items(multi=True):
        saved = os.path.join(save_dir, "flask-%d" % counter[0])
        counter[0] += 1
        f.save(saved)
        lines.append("file %s %s %d 0 %s" % (hexed(field), hexed(f.filename or ""), os.path.getsize(saved), hexed(saved)))
    lines.append("end")
    return "\n".join(lines) + "\n", 200, {"Content-Type": "text/plain"}


app.run(host=address, port=80, threaded=True)
