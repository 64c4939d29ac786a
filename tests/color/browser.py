#!/usr/bin/env python3
"""Fills in the golden tables of colour texts with what a real browser draws.

  browser.py tables       rewrites the browser's columns of tests/color/data/*.tsv
  browser.py check        reads "text<TAB>#RRGGBB" lines on stdin and prints those the
                          browser draws otherwise, then how many it drew right
  browser.py fit          prints the matrix that takes CSS Color 4's linear sRGB to the
                          browser's, for colours given in display-p3 (the program's
                          copies are checked against it, color/cssnotation.cpp)

The browser is Debian's chromium, headless, with its colour profile forced to sRGB, on
a fresh profile, driven through its DevTools pipe. A text's colour is the pixel of an
element whose background it is, in a screenshot of the page; texts with an opacity are
painted opaque, from the browser's own computed colour. A canvas filled with the same
text (getImageData) is read too, and the script names any text it draws otherwise (the
background shorthand, for one, reads some colours its own way: background-color is what
is painted here). The tests read the tables and need no browser.
"""
import base64
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import zlib

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'data')
CHROMIUM = shutil.which('chromium') and '/usr/lib/chromium/chromium'


class Browser:
    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix='vindre-browser-')
        to_browser, self.commands = os.pipe()
        self.replies, from_browser = os.pipe()

        def child():
            a, b = os.dup(to_browser), os.dup(from_browser)
            os.dup2(a, 3)
            os.dup2(b, 4)

        self.process = subprocess.Popen(
            [CHROMIUM, '--headless', '--no-sandbox', '--disable-gpu', '--force-color-profile=srgb',
             '--force-device-scale-factor=1', '--disable-background-networking', '--disable-component-update',
             '--disable-sync', '--no-first-run', '--user-data-dir=' + self.profile, '--remote-debugging-pipe',
             'about:blank'],
            preexec_fn=child, close_fds=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser)
        os.close(from_browser)
        self.buffer = b''
        self.sequence = 0
        target = self.call('Target.createTarget', url='about:blank')['targetId']
        self.session = self.call('Target.attachToTarget', targetId=target, flatten=True)['sessionId']
        self.call('Emulation.setDeviceMetricsOverride', width=1000, height=1000, deviceScaleFactor=1, mobile=False)
        self.version = self.evaluate('navigator.userAgent')

    def call(self, method, **params):
        self.sequence += 1
        message = {'id': self.sequence, 'method': method, 'params': params}
        if getattr(self, 'session', None):
            message['sessionId'] = self.session
        os.write(self.commands, json.dumps(message).encode() + b'\0')
        while True:
            while b'\0' not in self.buffer:
                chunk = os.read(self.replies, 1 << 20)
                if not chunk:
                    raise RuntimeError('the browser ended')
                self.buffer += chunk
            raw, self.buffer = self.buffer.split(b'\0', 1)
            reply = json.loads(raw)
            if reply.get('id') == self.sequence:
                if 'error' in reply:
                    raise RuntimeError(reply['error'])
                return reply['result']

    def evaluate(self, expression):
        result = self.call('Runtime.evaluate', expression=expression, returnByValue=True)
        if 'exceptionDetails' in result:
            raise RuntimeError(result['exceptionDetails'])
        return result['result'].get('value')

    def close(self):
        self.process.kill()
        self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    # Each text: None where the browser takes no colour from it, else [r, g, b] and
    # the opaque text it drew. Opaque texts alone are drawn as they are, faster.
    def draw(self, texts, opaque=False):
        return self.evaluate('''((texts, opaque) => {
          const element = document.createElement('i');
          document.body.appendChild(element);
          const canvas = document.createElement('canvas');
          canvas.width = canvas.height = 1;
          const context = canvas.getContext('2d', {willReadFrequently: true});
          return texts.map(text => {
            let drawn = text;
            if (!opaque) {
              if (!CSS.supports('color', text))
                return null;
              element.style.color = text;
              const computed = getComputedStyle(element).color;
              if (/^rgba\\(/.test(computed))
                drawn = computed.replace(/^rgba\\((.*),[^,]*\\)$/, 'rgb($1)');
              else if (/ \\/ /.test(computed))
                drawn = computed.replace(/ \\/ [^)]*\\)$/, ')');
            }
            context.clearRect(0, 0, 1, 1);
            context.fillStyle = drawn;
            context.fillRect(0, 0, 1, 1);
            return [Array.from(context.getImageData(0, 0, 1, 1).data.slice(0, 3)), drawn];
          });
        })(%s, %s)''' % (json.dumps(texts), json.dumps(opaque)))

    # The same opaque texts painted as elements, read back from a screenshot.
    def paint(self, texts, width=400):
        rows = (len(texts) + width - 1) // width
        self.evaluate('''((texts, width) => {
          document.body.style.margin = '0';
          document.body.innerHTML = texts.map((text, i) =>
            '<i style="position:absolute;width:1px;height:1px;left:' + (i %% width) + 'px;top:'
            + Math.floor(i / width) + 'px"></i>').join('');
          texts.forEach((text, i) => document.body.children[i].style.backgroundColor = text);
        })(%s, %d)''' % (json.dumps(texts), width))
        shot = self.call('Page.captureScreenshot', format='png', captureBeyondViewport=True,
                         clip={'x': 0, 'y': 0, 'width': width, 'height': rows, 'scale': 1})
        pixels = png_rows(base64.b64decode(shot['data']))
        return [list(pixels[i // width][(i % width) * 3:(i % width) * 3 + 3]) for i in range(len(texts))]


def png_rows(data):
    """The RGB rows of an 8-bit, non-interlaced PNG (all Chromium writes here)."""
    at, chunks, width, channels = 8, b'', 0, 3
    while at < len(data):
        size = int.from_bytes(data[at:at + 4], 'big')
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + size]
        at += 12 + size
        if kind == b'IHDR':
            width, channels = int.from_bytes(body[:4], 'big'), {2: 3, 6: 4}[body[9]]
        elif kind == b'IDAT':
            chunks += body
    raw, stride, rows, previous, at = zlib.decompress(chunks), width * channels, [], bytearray(width * channels), 0
    while at < len(raw):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b, c = previous[i], previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                nearest = a if abs(p - a) <= abs(p - b) and abs(p - a) <= abs(p - c) else b if abs(p - b) <= abs(p - c) else c
                line[i] = (line[i] + nearest) & 255
        rows.append(bytes(b for i, b in enumerate(line) if channels == 3 or i % 4 != 3))
        previous = line
    return rows


def code(rgb):
    return 'refused' if rgb is None else '#%02X%02X%02X' % tuple(rgb)


# Each table: its file, then for each colour the browser draws there, the column it
# is given (None: the text itself, the first) and the column its colour goes to.
TABLES = [
    ('browser-colors.tsv', [(1, 2)]),
    ('wpt-valid.tsv', [(None, 3)]),
    ('wpt-invalid.tsv', [(None, 2)]),
    ('hsl-copies.tsv', [(1, 3), (2, 4)]),
]


def tables(browser):
    canvas = []
    total = 0
    for name, columns in TABLES:
        path = os.path.join(DATA, name)
        lines = open(path, encoding='utf-8').read().split('\n')
        rows = [i for i, line in enumerate(lines) if line and not line.startswith('# ')]
        fields = [lines[i].split('\t') for i in rows]
        for given, column in columns:
            texts = [f[0] if given is None or f[given] == '=' else f[given] for f in fields]
            drawn = browser.draw(texts)
            opaque = [one[1] for one in drawn if one is not None]
            screen = iter(browser.paint(opaque))
            for f, one in zip(fields, drawn):
                f.extend([''] * (column + 1 - len(f)))
                f[column] = code(one and next(screen))
                if one and f[column] != code(one[0]):
                    canvas.append('%s: the screen %s, a canvas %s' % (f[0], f[column], code(one[0])))
            total += len(opaque)
        for i, f in zip(rows, fields):
            lines[i] = '\t'.join(f)
        header = [i for i, line in enumerate(lines) if line.startswith('# rows:')]
        for i in header:
            lines[i] = '# rows: %d, drawn by %s' % (len(rows), re.sub(r'.*(HeadlessChrome/\S+).*', r'\1', browser.version))
        open(path, 'w', encoding='utf-8').write('\n'.join(lines))
    print('\n'.join(canvas))
    print('%d texts drawn; a canvas draws %d of them otherwise' % (total, len(canvas)))
    return 0


def check(browser):
    wrong = total = 0
    batch = []

    def flush():
        nonlocal wrong
        for (text, expected), drawn in zip(batch, browser.draw([t for t, _ in batch], opaque=True)):
            if code(drawn[0]) != expected:
                wrong += 1
                print('%s\t%s\t%s' % (text, expected, code(drawn[0])))
        batch.clear()

    for line in sys.stdin:
        text, expected = line.rstrip('\n').split('\t')
        batch.append((text, expected))
        total += 1
        if len(batch) == 20000:
            flush()
    flush()
    print('%d of %d drawn as expected' % (total - wrong, total), file=sys.stderr)
    return 1 if wrong else 0


# CSS Color 4's linear display-p3 to linear sRGB: its matrices to and from XYZ (D65).
P3_TO_XYZ = [[608311 / 1250200, 189793 / 714400, 198249 / 1000160],
             [35783 / 156275, 247089 / 357200, 198249 / 2500400],
             [0, 32229 / 714400, 5220557 / 5000800]]
XYZ_TO_SRGB = [[12831 / 3959, -329 / 214, -1974 / 3959],
               [-851781 / 878810, 1648619 / 878810, 36519 / 878810],
               [705 / 12673, -2585 / 12673, 705 / 667]]


def multiply(m, v):
    return [sum(m[i][j] * v[j] for j in range(3)) for i in range(3)]


def fit(browser):
    random.seed(1)
    inputs = [[random.random() for _ in range(3)] for _ in range(3000)]
    computed = browser.evaluate('''((inputs) => {
      const element = document.createElement('i');
      document.body.appendChild(element);
      return inputs.map(p => {
        element.style.color = 'color(from color(display-p3-linear ' + p.join(' ') + ') srgb-linear r g b)';
        return getComputedStyle(element).color.replace(/^color\(srgb-linear |\)$/g, '').split(' ').slice(0, 3).map(Number);
      });
    })(%s)''' % json.dumps(inputs))
    ours = [multiply(XYZ_TO_SRGB, multiply(P3_TO_XYZ, p)) for p in inputs]
    # Least squares, a row at a time: the browser's channel k from ours.
    normal = [[sum(o[i] * o[j] for o in ours) for j in range(3)] for i in range(3)]
    for k in range(3):
        rows = [normal[i] + [sum(o[i] * c[k] for o, c in zip(ours, computed))] for i in range(3)]
        for i in range(3):
            for r in range(3):
                if r != i:
                    f = rows[r][i] / rows[i][i]
                    rows[r] = [x - f * y for x, y in zip(rows[r], rows[i])]
        print('{%s},' % ', '.join('%.7f' % (rows[i][3] / rows[i][i]) for i in range(3)))
    return 0


if __name__ == '__main__':
    if len(sys.argv) != 2 or sys.argv[1] not in ('tables', 'check', 'fit') or not CHROMIUM:
        sys.exit(__doc__)
    browser = Browser()
    try:
        sys.exit({'tables': tables, 'check': check, 'fit': fit}[sys.argv[1]](browser))
    finally:
        browser.close()
