#!/usr/bin/env python3
"""Checks an exported HTML site: every internal reference names an exported
file, and headless Chromium loads every page and decodes every picture.

    check_html_site.py OUTDIR [--chromium PATH]

Internal references are HREF, SRC, LOWSRC, BACKGROUND, frame SRC, the preload
script's .src and the files named by the generated window-open and rollover
calls. Addresses with a scheme (http:, mailto:, ...) and "#" anchors are
outside the site and not followed. Exit status 0 when all is well, 1 with one
line per fault otherwise.
"""
import html.parser
import json
import os
import re
import subprocess
import sys
import tempfile
import urllib.parse

PAGE_EXT = (".htm", ".html")
PICTURE_EXT = (".gif", ".jpg", ".jpeg", ".png", ".bmp")
SCRIPT_FILES = re.compile(r"""OvikF_(?:open|openB)\('([^']*)'|OvikF_over\('[^']*','([^']*)'\)|\.src="([^"]*)";""")


class Refs(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.refs = []
        self.scripts = []

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if value is None:
                continue
            if name in ("href", "src", "lowsrc", "background"):
                self.refs.append(value)
            elif name in ("onmouseover", "onmouseout", "onclick"):
                self.scripts.append(value)

    def handle_data(self, data):
        if "Ovik" in data:
            self.scripts.append(data)


def internal_file(ref):
    """The file an internal reference names, or None for outside addresses."""
    ref = ref.strip()
    if ref.lower().startswith("javascript:"):
        return None  # the calls inside are read from the script text
    if not ref or ref.startswith("#"):
        return None
    if re.match(r"^[a-zA-Z][a-zA-Z0-9+.-]*:", ref):
        return None
    return urllib.parse.unquote(ref.split("#")[0])


def static_check(outdir, pages):
    faults = []
    exported = set()
    for root, _, files in os.walk(outdir):
        for f in files:
            exported.add(os.path.relpath(os.path.join(root, f), outdir).replace(os.sep, "/"))
    pictures = set()
    for page in pages:
        with open(os.path.join(outdir, page), encoding="cp1252", errors="replace") as fh:
            text = fh.read()
        parser = Refs()
        parser.feed(text)
        names = [internal_file(r) for r in parser.refs]
        for script in parser.scripts + [text]:
            for m in SCRIPT_FILES.finditer(script):
                names.append(internal_file(next(g for g in m.groups() if g is not None)))
        for name in names:
            if name is None:
                continue
            norm = os.path.normpath(name).replace(os.sep, "/")
            if norm.startswith("../") or os.path.isabs(name):
                faults.append(f"{page}: reference outside the site: {name}")
            elif norm not in exported:
                faults.append(f"{page}: names no exported file: {name}")
            elif norm.lower().endswith(PICTURE_EXT):
                pictures.add(norm)
    return faults, sorted(pictures)


CHECKER = """<!DOCTYPE html><html><head><meta charset="utf-8"></head><body><pre id="out"></pre>
<script>
const pages = %s, pictures = %s;
const out = [];
function load(page) {
  return new Promise(resolve => {
    const f = document.createElement('iframe');
    const timer = setTimeout(() => { out.push('NOLOAD ' + page); f.remove(); resolve(); }, 20000);
    f.onload = () => {
      clearTimeout(timer);
      try {
        const d = f.contentDocument;
        if (!d || !d.body) out.push('NOBODY ' + page);
      } catch (e) { out.push('NOACCESS ' + page + ' ' + e); }
      f.remove();
      resolve();
    };
    f.src = encodeURI(page);
    document.body.appendChild(f);
  });
}
// What is known so far stays in the page, so that a run cut short by the
// browser still tells how far it came ("AT" lines).
let loaded = 0;
function show(extra) {
  document.getElementById('out').textContent = out.concat(extra).join('\\n');
}
async function run() {
  // A few pages at a time: each loads in its own frame.
  let next = 0;
  const worker = async () => {
    while (next < pages.length) {
      await load(pages[next++]);
      show(['AT ' + (++loaded) + ' of ' + pages.length + ' pages']);
    }
  };
  await Promise.all(Array.from({length: 8}, worker));
  for (const p of pictures) {
    show(['AT picture ' + p]);
    // The load and error events, not decode(): headless Chromium under virtual
    // time now and then never settles a decode() promise. A picture it cannot
    // decode fires the error event, or loads with no size.
    const ok = await new Promise(resolve => {
      const img = new Image();
      img.onload = () => resolve(img.naturalWidth > 0 && img.naturalHeight > 0);
      img.onerror = () => resolve(false);
      img.src = encodeURI(p);
    });
    if (!ok) out.push('NODECODE ' + p);
  }
  out.push('DONE');
  show([]);
}
run();
</script></body></html>
"""


def browser_check(outdir, pages, pictures, chromium):
    fd, checker = tempfile.mkstemp(prefix="__ovik_check_", suffix=".html", dir=outdir)
    faults = []
    try:
        with os.fdopen(fd, "w", encoding="utf-8") as fh:
            fh.write(CHECKER % (json.dumps(pages), json.dumps(pictures)))
        budget = 60000 + 1000 * (len(pages) + len(pictures))
        # Chromium dumps the page when its virtual time runs out; on a busy
        # machine the loads may not be over by then, so an unfinished run is
        # tried again with more time before it counts as a fault.
        for attempt in range(3):
            cmd = [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--allow-file-access-from-files",
                   "--disable-web-security", "--block-new-web-contents", "--virtual-time-budget=" + str(budget),
                   "--run-all-compositor-stages-before-draw", "--dump-dom", "file://" + os.path.abspath(checker)]
            res = subprocess.run(cmd, capture_output=True, text=True, timeout=1800)
            m = re.search(r'<pre id="out">(.*?)</pre>', res.stdout, re.S)
            lines = html.unescape(m.group(1)).splitlines() if m else []
            if "DONE" in lines:
                break
            budget *= 4
        progress = [l for l in lines if l.startswith("AT ")]
        if "DONE" not in lines:
            faults.append("chromium did not finish the check (%s; status %d): %s" %
                          (progress[-1] if progress else "nothing loaded", res.returncode, res.stderr[-400:]))
        faults += [l for l in lines if l and l != "DONE" and not l.startswith("AT ")]
    finally:
        os.unlink(checker)
    return faults


def main():
    args = sys.argv[1:]
    chromium = "chromium"
    if "--chromium" in args:
        i = args.index("--chromium")
        chromium = args[i + 1]
        del args[i:i + 2]
    if len(args) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    outdir = args[0]
    pages = sorted(f for f in os.listdir(outdir) if f.lower().endswith(PAGE_EXT))
    if not pages:
        print(f"{outdir}: no exported page", file=sys.stderr)
        return 1
    faults, pictures = static_check(outdir, pages)
    faults += browser_check(outdir, pages, pictures, chromium)
    for f in faults:
        print(f)
    print(f"{outdir}: {len(pages)} pages, {len(pictures)} pictures, {len(faults)} faults", file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
