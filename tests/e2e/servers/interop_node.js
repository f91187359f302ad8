// Node's own multipart/form-data parsing (the fetch API's Request.formData): every field and file made
// of the request, files saved into the folder given as the second argument.
// Run as: node interop_node.js ADDRESS SAVE_DIR
// The reply has one line each, names and values in hex (after UTF-8, as the parser decodes them):
//   field NAME VALUE
//   file FIELD FILENAME SIZE 0 SAVED-PATH
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');

const [address, saveDir] = process.argv.slice(2);
const hexed = (text) => Buffer.from(text, 'utf8').toString('hex');
let counter = 0;

http.createServer((req, res) => {
  const chunks = [];
  req.on('data', (chunk) => chunks.push(chunk));
  req.on('end', async () => {
    const lines = ['request ' + req.method + ' ' + hexed(req.url)];
    try {
      const form = await new Request('http://localhost/', {
        method: 'POST',
        headers: { 'content-type': req.headers['content-type'] || '' },
        body: Buffer.concat(chunks),
      }).formData();
      for (const [name, value] of form.entries()) {
        if (typeof value === 'string') {
          lines.push(`field ${hexed(name)} ${hexed(value)}`);
        } else {
          const saved = path.join(saveDir, `node-${counter++}`);
          fs.writeFileSync(saved, Buffer.from(await value.arrayBuffer()));
          lines.push(`file ${hexed(name)} ${hexed(value.name)} ${value.size} 0 ${hexed(saved)}`);
        }
      }
      lines.push('end');
      res.writeHead(200, { 'Content-Type': 'text/plain' });
      res.end(lines.join('\n') + '\n');
    } catch (e) {
      res.writeHead(400, { 'Content-Type': 'text/plain' });
      res.end('parse failed: ' + e.message + '\n');
    }
  });
}).listen(80, address);
