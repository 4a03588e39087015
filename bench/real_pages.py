#!/usr/bin/env python3
"""Runs `reelboard --headless` against a fake web made of saved real pages and scores what a user sees.

Called by bench/real_pages.sh; see there. Everything happens in a temporary folder and on 127.0.0.1:
the program reaches the fake web through http_proxy / https_proxy, and https requests are answered by
a local TLS end point with certificates of a throwaway authority, which the program trusts inside a
private mount namespace (its CA bundle bind-mounted) and through SSL_CERT_FILE / CURL_CA_BUNDLE.

The pages are read at run time only; nothing of them is written outside the temporary folder.
"""

import argparse
import html
import json
import os
import re
import shutil
import signal
import socket
import socketserver
import ssl
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unicodedata
import urllib.parse
import zlib

VIDEO_BYTES = 31_000_000  # just over the scan's minimum; sparse
RUN_SECONDS = 600  # one program run at most
TOKEN = re.compile(r"rbpage([is])(\d\d)")
SCRIPT_SIGNS = re.compile(
    r"function\s*\(|document\.|window\.|\bvar\s+\w+\s*=|<script|</script|\$\(|getElementBy|\)\s*;\s*\}"
)
# Labels that may lead a shown value ("◎产　　地　美国"); only stripped when the value starts with one.
LABELS = [
    "电影类型", "中文名", "译名", "片名", "又名", "年代", "年份", "产地", "国家", "地区", "类别", "类型",
    "语言", "字幕", "上映日期", "上映", "IMDb评分", "IMDB评分", "ＩＭＤＢ评分", "IMDb", "IMDB", "iMDB",
    "ＩＭＤＢ", "豆瓣评分", "评分", "简介", "剧情介绍", "剧情",
]
LIST_SEPARATORS = re.compile(r"[/／|｜,，、;；]+")

# The sites' hosts and page addresses, as the results page of the fake engine links them; the movie
# databases are https sites. %d is the page's number.
SITE_PAGES = {
    "dytt8": ("http", "www.dytt8.net", "/html/gndy/dyzz/rbpage%02d.html"),
    "ygdy8": ("http", "www.ygdy8.net", "/html/gndy/dyzz/rbpage%02d.html"),
    "piaohua": ("http", "www.piaohua.com", "/html/gndy/dyzz/rbpage%02d.html"),
    "douban": ("https", "movie.douban.com", "/subject/90000%02d/"),
    "imdb": ("https", "www.imdb.com", "/title/tt90000%02d/"),
    "maoyan": ("https", "maoyan.com", "/films/90000%02d"),
}
DATABASES = ("douban", "imdb", "maoyan")


def site_page(site, number):
    scheme, host, path = SITE_PAGES.get(site, ("http", "www.%s.com" % site, "/html/gndy/dyzz/rbpage%02d.html"))
    return scheme, host, path % int(number)


def load_expected(folder):
    """expected.json with `info` and `search` as objects keyed by page (the second set keeps lists)."""
    with open(os.path.join(folder, "expected.json"), encoding="utf-8") as f:
        expected = json.load(f)
    for key in ("info", "search"):
        value = expected.get(key) or {}
        if isinstance(value, list):
            value = {os.path.basename(entry["file"]): entry for entry in value}
        expected[key] = value
    expected["names"] = expected.get("names") or {}
    return expected


# ---------------------------------------------------------------------------------------------------
# Certificates

class Authority:
    """A throwaway certificate authority and one leaf certificate per host, made on demand."""

    def __init__(self, folder):
        self.folder = folder
        self.lock = threading.Lock()
        self.contexts = {}
        self.serial = 1
        self.key = os.path.join(folder, "ca.key")
        self.cert = os.path.join(folder, "ca.crt")
        subprocess.run(
            ["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
             "-keyout", self.key, "-out", self.cert, "-days", "2", "-subj", "/CN=reelboard bench authority",
             "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign"],
            check=True, capture_output=True)

    def bundle(self, path):
        """The system's authorities plus this one."""
        with open(path, "wb") as out:
            for source in ("/etc/ssl/certs/ca-certificates.crt",):
                if os.path.exists(source):
                    with open(source, "rb") as f:
                        out.write(f.read())
            with open(self.cert, "rb") as f:
                out.write(f.read())

    def context(self, host):
        with self.lock:
            if host in self.contexts:
                return self.contexts[host]
            self.serial += 1
            safe = re.sub(r"[^A-Za-z0-9.-]", "_", host)
            key = os.path.join(self.folder, safe + ".key")
            csr = os.path.join(self.folder, safe + ".csr")
            cert = os.path.join(self.folder, safe + ".crt")
            ext = os.path.join(self.folder, safe + ".ext")
            alt = "IP:" + host if re.fullmatch(r"[0-9.]+", host) else "DNS:" + host
            with open(ext, "w") as f:
                f.write("subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n" % alt)
            subprocess.run(["openssl", "req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                            "-keyout", key, "-out", csr, "-subj", "/CN=" + host[:60]], check=True, capture_output=True)
            subprocess.run(["openssl", "x509", "-req", "-in", csr, "-CA", self.cert, "-CAkey", self.key, "-set_serial",
                            str(self.serial), "-days", "2", "-extfile", ext, "-out", cert], check=True, capture_output=True)
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(cert, key)
            self.contexts[host] = context
            return context


# ---------------------------------------------------------------------------------------------------
# Pictures: one distinct, valid picture per address, which names its address inside

PICTURE_MARK = b"reelboard-bench-picture:"
POSTER_MIN_BYTES = 20_000


def jpeg_picture(name):
    """A grey 64x96 baseline JPEG of over 20,000 bytes whose comment holds `name`."""
    width, height = 64, 96

    def segment(marker, payload):
        return bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload

    comment = PICTURE_MARK + name + b"\0"
    comment += b"." * (POSTER_MIN_BYTES + 1000 - len(comment))
    one_code = bytes([1] + [0] * 15)  # a single code of one bit
    # Every 8x8 block: DC difference 0 ("0"), then end of block ("0"): two zero bits a block.
    scan = bytes(width * height // 64 * 2 // 8)
    return (b"\xff\xd8" + segment(0xE0, b"JFIF\0\x01\x01\0\0\x01\0\x01\0\0") + segment(0xFE, comment)
            + segment(0xDB, b"\0" + bytes([1] * 64))
            + segment(0xC0, struct.pack(">BHHB", 8, height, width, 1) + b"\x01\x11\x00")
            + segment(0xC4, b"\x00" + one_code + b"\x00") + segment(0xC4, b"\x10" + one_code + b"\x00")
            + segment(0xDA, b"\x01\x01\x00\x00\x3f\x00") + scan + b"\xff\xd9")


def png_picture(name):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    rows = b"".join(b"\0" + b"\x80\x80\x80" * 64 for _ in range(96))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 64, 96, 8, 2, 0, 0, 0))
            + chunk(b"tEXt", b"Comment\0" + PICTURE_MARK + name) + chunk(b"IDAT", zlib.compress(rows))
            + chunk(b"IEND", b""))


def gif_picture(name):
    comment = PICTURE_MARK + name
    blocks = b"".join(bytes([len(comment[i:i + 255])]) + comment[i:i + 255] for i in range(0, len(comment), 255))
    return (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x80\x80\x80\xff\xff\xff" + b"\x21\xfe" + blocks + b"\x00"
            + b"\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b")


def picture_for(url):
    """Content type and bytes of the picture answered for `url`."""
    name = address_key(url).encode("utf-8", "replace")
    path = urllib.parse.urlsplit(url).path.lower()
    if path.endswith(".png"):
        return "image/png", png_picture(name)
    if path.endswith(".gif"):
        return "image/gif", gif_picture(name)
    return "image/jpeg", jpeg_picture(name)


def picture_name(path):
    """The address key a stored picture was answered for, or None."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        return None
    at = data.find(PICTURE_MARK)
    if at < 0:
        return None
    end = data.find(b"\0", at)
    return data[at + len(PICTURE_MARK):end if end >= 0 else None].decode("utf-8", "replace")


def stored_pictures(video):
    """The posters stored beside a video: <video>.jpg first, then <video>.N.jpg."""
    folder, base = os.path.split(video)
    pattern = re.compile(re.escape(base) + r"(\.\d+)?\.jpg")
    return sorted((n for n in os.listdir(folder) if pattern.fullmatch(n)), key=lambda n: (len(n), n))


# ---------------------------------------------------------------------------------------------------
# The fake web

def address_key(url):
    """Host, path and query of an address, percent-decoded, without scheme, port 80/443 or fragment."""
    parts = urllib.parse.urlsplit(url.strip())
    host = (parts.hostname or "").lower()
    if parts.port and parts.port not in (80, 443):
        host += ":%d" % parts.port
    path = urllib.parse.unquote(parts.path or "/", errors="replace")
    query = urllib.parse.unquote(parts.query, errors="replace")
    return host + path + ("?" + query if query else "")


class FakeWeb:
    """Answers every address the program asks for and records each request."""

    def __init__(self, authority, expected, folder, info_scheme="http"):
        self.authority = authority
        self.info_scheme = info_scheme
        self.requests = []
        self.lock = threading.Lock()
        self.phase = 0
        self.info = {}  # token number -> (scheme, host, path, page file)
        self.search = {}  # token number -> (engine, page file)
        self.resolved = {}  # Sogou token address key -> the address its reply names
        for number, name in enumerate(sorted(expected["info"]), 1):
            entry = expected["info"][name]
            scheme, host, path = site_page(entry["site"], number)
            if info_scheme == "https":
                scheme = "https"
            self.info["%02d" % number] = (scheme, host, path, os.path.join(folder, entry["file"]))
        for number, name in enumerate(sorted(expected["search"]), 1):
            entry = expected["search"][name]
            self.search["%02d" % number] = (entry["engine"], os.path.join(folder, entry["file"]))
            for k, result in enumerate(entry["results"]):
                if result["kind"] == "sogou-link":
                    self.resolved[address_key(result["target"])] = "https://resolved%02d-%d.example.com/page" % (
                        number, k)

    def info_address(self, number):
        scheme, host, path, _ = self.info[number]
        return scheme + "://" + host + path

    def answer(self, scheme, host, target, headers):
        """Status, content type and body for one request."""
        url = scheme + "://" + host + target
        parts = urllib.parse.urlsplit(url)
        query = urllib.parse.unquote(parts.query, errors="replace")
        engine = {"www.bing.com": "bing", "www.sogou.com": "sogou"}.get(parts.hostname or "")
        if engine and parts.path in ("/search", "/web"):
            token = TOKEN.search(query)
            if token and token.group(1) == "i" and engine == "bing" and token.group(2) in self.info:
                return 200, "text/html", self.results_page(token.group(2))
            if token and token.group(1) == "s" and token.group(2) in self.search:
                page_engine, path = self.search[token.group(2)]
                if page_engine == engine:
                    with open(path, "rb") as f:
                        return 200, "text/html", f.read()
            return 404, "text/html", b"<html><body>not found</body></html>"
        key = address_key(url)
        if key in self.resolved:
            return 200, "text/html", self.redirect_reply(self.resolved[key])
        for number, (_, info_host, path, file) in self.info.items():
            if (parts.hostname or "").lower() == info_host and parts.path == path:
                with open(file, "rb") as f:
                    return 200, "text/html", f.read()
        # Every picture address answers its own picture (asked for as such, or named like one).
        if headers.get("content-type", "").startswith("image/") or re.search(
                r"\.(jpe?g|png|gif|webp)$", parts.path.lower()):
            return (200,) + picture_for(url)
        return 404, "text/html", b"<html><body>not found</body></html>"

    def results_page(self, number):
        link = self.info_address(number)
        return ("<html><head><meta charset=utf-8><title>results</title></head><body><ol>"
                "<li><h2><a href=\"%s\">movie page</a></h2><p>%s</p></li></ol></body></html>" % (link, link)).encode()

    @staticmethod
    def redirect_reply(address):
        # The shape an engine's click-through reply takes: a refresh and a location script, no 30x.
        return ("<meta content=\"always\" name=\"referrer\"><script>window.location.replace(\"%s\")</script>"
                "<noscript><META http-equiv=\"refresh\" content=\"0;URL='%s'\"></noscript>" % (address, address)).encode()

    def record(self, scheme, host, target, headers, status, at=None):
        with self.lock:
            self.requests.append({"phase": self.phase, "scheme": scheme, "url": scheme + "://" + host + target,
                                  "type": headers.get("content-type", ""), "status": status, "at": at or time.time(),
                                  "referer": headers.get("referer", "")})


def read_head(stream):
    """Request line and headers (lower-case names), or None at end of stream."""
    line = stream.readline(65536)
    if not line:
        return None
    headers = {}
    while True:
        header = stream.readline(65536)
        if header in (b"\r\n", b"\n", b""):
            break
        name, _, value = header.decode("latin-1").partition(":")
        headers[name.strip().lower()] = value.strip()
    return line.decode("latin-1").strip(), headers


def reply(stream, status, content_type, body):
    reason = {200: "OK", 404: "Not Found", 400: "Bad Request"}.get(status, "Status")
    stream.write(("HTTP/1.0 %d %s\r\nContent-Type: %s\r\nContent-Length: %d\r\nConnection: close\r\n\r\n"
                  % (status, reason, content_type, len(body))).encode() + body)
    stream.flush()


class ProxyHandler(socketserver.StreamRequestHandler):
    timeout = 30

    def handle(self):
        web = self.server.web
        self.started = time.time()  # when the program sent the request (a TLS certificate may be made first)
        head = read_head(self.rfile)
        if not head:
            return
        request_line, headers = head
        method, _, rest = request_line.partition(" ")
        target = rest.rsplit(" ", 1)[0]
        if method == "CONNECT":
            host = target.rsplit(":", 1)[0]
            self.wfile.write(b"HTTP/1.1 200 Connection established\r\n\r\n")
            self.wfile.flush()
            try:
                tls = web.authority.context(host).wrap_socket(self.connection, server_side=True)
            except (ssl.SSLError, OSError):
                web.record("https", host, "/", {}, "tls-refused")
                return
            stream = tls.makefile("rwb")
            head = read_head(stream)
            if head:
                inner_line, inner_headers = head
                inner_target = inner_line.split(" ")[1] if " " in inner_line else "/"
                self.serve(stream, "https", inner_headers.get("host", host).split(":")[0] or host, inner_target,
                           inner_headers)
            try:
                stream.close()
                tls.unwrap()
            except (ssl.SSLError, OSError):
                pass
            return
        parts = urllib.parse.urlsplit(target)
        if parts.scheme != "http" or not parts.hostname:
            reply(self.wfile, 400, "text/plain", b"proxy requests only")
            return
        path = parts.path or "/"
        if parts.query:
            path += "?" + parts.query
        self.serve(self.wfile, "http", parts.netloc, path, headers)

    def serve(self, stream, scheme, host, target, headers):
        web = self.server.web
        host = host.split(":")[0] if host.endswith((":80", ":443")) else host
        status, content_type, body = web.answer(scheme, host, target, headers)
        web.record(scheme, host, target, headers, status, self.started)
        reply(stream, status, content_type, body)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


# ---------------------------------------------------------------------------------------------------
# The collection

def utf16_folder_list(path, folders):
    with open(path, "wb") as f:
        f.write("\n".join(folders).encode("utf-16-le"))


def sparse_video(path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.truncate(VIDEO_BYTES)


def safe_part(text):
    return text.replace("/", "_").replace("\0", "") or "_"


def make_collection(expected, root):
    """Videos for every info page, search page and release name; returns what each one stands for."""
    movies = {"info": {}, "search": {}, "names": {}}
    for number, name in enumerate(sorted(expected["info"]), 1):
        entry = expected["info"][name]
        file = (entry.get("release_names") or ["movie%02d.mkv" % number])[0]
        path = os.path.join(root, "info", "rbpagei%02d" % number, safe_part(file))
        sparse_video(path)
        movies["info"][path] = name
    for number, name in enumerate(sorted(expected["search"]), 1):
        entry = expected["search"][name]
        path = os.path.join(root, "search", "rbpages%02d" % number, safe_part(entry["query"]) + ".mkv")
        sparse_video(path)
        movies["search"][path] = name
    for table, rows in sorted(expected["names"].items()):
        base = os.path.join(root, "names", os.path.splitext(table)[0])
        for row in rows:
            if "/" in row["name"]:
                continue  # cannot be a file name: not scored
            name = row["name"] + ".mkv" if "tv" in row else row["name"]  # torrent names have no extension
            relative = row.get("path") or name
            parts = [safe_part(p) for p in relative.replace("\\", "/").split("/") if p not in ("", ".", "..")]
            path = os.path.join(base, *parts)
            if path in movies["names"] or os.path.exists(path):
                continue
            sparse_video(path)
            movies["names"][path] = (table, row)
    return movies


# ---------------------------------------------------------------------------------------------------
# What the program wrote

FIELDS = ["Title", "OriginalTitle", "CountryOfOrigin", "ProductionYear", "Rating", "Genres", "Overview", "Notes",
          "watched", "infourl", "movieurl", "picurl"]


def read_metadata(video):
    try:
        with open(video + ".xml", "rb") as f:
            data = f.read()
    except OSError:
        return None
    text = data.decode("utf-16-le", errors="replace").lstrip("\ufeff")
    values = {}
    for field in FIELDS:
        start = text.find("<%s>" % field)
        end = text.find("</%s>" % field)
        values[field] = text[start + len(field) + 2:end] if 0 <= start < end else ""
    return values


def unescape_script(text):
    return re.sub(r"\\(u[0-9a-fA-F]{4}|x[0-9a-fA-F]{2}|.)",
                  lambda m: chr(int(m.group(1)[1:], 16)) if m.group(1)[0] in "ux" and len(m.group(1)) > 1
                  else {"n": "\n", "r": "\r", "t": "\t"}.get(m.group(1), m.group(1)), text)


WALL_ITEM = re.compile(
    r"<div class=d><a href='#' onclick=\"javascript:external\.ExtCommand\(1,&quot;(?P<path>.*?)&quot;\);\"\s*"
    r"title='(?P<tip>[^']*)'>.*?title='播放'>(?P<text>.*?)</a></div>", re.S)


def read_wall(path):
    """Per video path: the tooltip lines and the link text (bracket + display title)."""
    items = {}
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            page = f.read()
    except OSError:
        return items
    for m in WALL_ITEM.finditer(page):
        video = unescape_script(html.unescape(m.group("path")))
        items[video] = (html.unescape(m.group("tip")), html.unescape(m.group("text")))
    return items


def shown_fields(wall_item, file_name):
    """Title, original title, country, year, rating, genres as the wall's tooltip shows them."""
    if not wall_item:
        return None
    tip = wall_item[0]
    if not tip.startswith(file_name + "\n"):
        return None
    lines = tip[len(file_name) + 1:].split("\n")
    return lines if len(lines) == 6 else None


# ---------------------------------------------------------------------------------------------------
# Scoring

def squeeze(text):
    return re.sub(r"\s+", "", text or "")


def strip_label(text):
    text = squeeze(text)
    if text.startswith("◎"):
        text = text[1:]
        for label in sorted(LABELS, key=len, reverse=True):
            if text.startswith(label):
                text = text[len(label):]
                break
        text = text.lstrip(":：")
    return text


def holds(shown, wanted):
    return bool(wanted) and squeeze(wanted) in strip_label(shown)


def holds_number(shown, wanted):
    return bool(re.search(r"(?<![\d.])%s(?![\d])" % re.escape(wanted), strip_label(shown)))


def whole_item(shown, wanted):
    return squeeze(wanted) in [item for item in LIST_SEPARATORS.split(strip_label(shown)) if item]


def fold_title(text):
    text = unicodedata.normalize("NFKD", text or "").lower()
    return "".join(c for c in text if not unicodedata.category(c).startswith(("P", "Z", "M", "C")) and not c.isspace())


def judge_info(entry, shown, overview):
    titles = [entry["title"]] + list(entry.get("title_also") or [])
    rating = entry.get("rating")
    plot = squeeze(entry.get("plot_start"))
    return {
        "title": any(holds(shown[0], t) for t in titles),
        "year": holds_number(shown[3], entry["year"]) if entry.get("year") else not squeeze(shown[3]),
        "country": whole_item(shown[2], entry["country"]) if entry.get("country") else True,
        "genre": whole_item(shown[5], entry["genre"]) if entry.get("genre") else True,
        "rating": holds_number(shown[4], rating) if rating else not squeeze(shown[4]),
        "plot": bool(plot) and plot in squeeze(overview),
        "noscript": not SCRIPT_SIGNS.search(overview or ""),
        "orig": holds(shown[1], entry["original_title"]) if entry.get("original_title") else True,
    }


def mark(ok):
    return "ok" if ok else "--"


def run_program(program, work, env, web, phase, namespace):
    web.phase = phase
    command = [program, "--headless"]
    if namespace:
        bundle, system = namespace
        command = ["unshare", "--mount", "--propagation", "private", "sh", "-c",
                   'mount --bind "$1" "$2" && shift 2 && exec "$@"', "sh", bundle, system] + command
    started = time.time()
    with open(os.path.join(work, "status%d.txt" % phase), "wb") as status:
        try:
            code = subprocess.run(command, cwd=os.path.join(work, "run"), env=env, stdout=status, stderr=status,
                                  timeout=RUN_SECONDS).returncode
        except subprocess.TimeoutExpired:
            code = "timed out"
    return code, time.time() - started


def measure_set(args, folder):
    """Runs the program twice over one folder of real pages and prints its reports; returns its summary."""
    expected = load_expected(folder)
    work = tempfile.mkdtemp(prefix="reelboard-real-pages.")
    try:
        os.makedirs(os.path.join(work, "run"))
        os.makedirs(os.path.join(work, "tls"))
        os.makedirs(os.path.join(work, "home"))
        movies = make_collection(expected, os.path.join(work, "collection"))
        folders = [os.path.join(work, "collection", part) for part in ("info", "search", "names")]
        utf16_folder_list(os.path.join(work, "run", "dirs.txt"), folders)

        authority = Authority(os.path.join(work, "tls"))
        bundle = os.path.join(work, "tls", "bundle.crt")
        authority.bundle(bundle)
        web = FakeWeb(authority, expected, folder, "https" if args.https else "http")
        server = Server(("127.0.0.1", 0), ProxyHandler)
        server.web = web
        threading.Thread(target=server.serve_forever, daemon=True).start()
        proxy = "http://127.0.0.1:%d" % server.server_address[1]

        env = {k: v for k, v in os.environ.items() if not k.lower().endswith("_proxy")}
        env.update({"http_proxy": proxy, "https_proxy": proxy, "HTTPS_PROXY": proxy, "no_proxy": "", "NO_PROXY": "",
                    "HOME": os.path.join(work, "home"), "QT_QPA_PLATFORM": "offscreen", "SSL_CERT_FILE": bundle,
                    "CURL_CA_BUNDLE": bundle})
        system_bundle = "/etc/ssl/certs/ca-certificates.crt"
        namespace = None
        probe = subprocess.run(["unshare", "--mount", "--propagation", "private", "mount", "--bind", bundle,
                                system_bundle], capture_output=True) if os.path.exists(system_bundle) else None
        if probe is not None and probe.returncode == 0:
            namespace = (bundle, system_bundle)
        else:
            print("note: no private mount namespace; https is trusted only through SSL_CERT_FILE/CURL_CA_BUNDLE")

        code1, seconds1 = run_program(args.program, work, env, web, 1, namespace)
        if os.path.exists(os.path.join(work, "run", "menu.html")):
            shutil.copy(os.path.join(work, "run", "menu.html"), os.path.join(work, "menu1.html"))
        code2, seconds2 = run_program(args.program, work, env, web, 2, namespace)
        server.shutdown()
        with open(os.path.join(work, "requests.jsonl"), "w", encoding="utf-8") as log:
            for request in web.requests:
                log.write(json.dumps(request, ensure_ascii=False) + "\n")
        session = read_wall(os.path.join(work, "menu1.html"))
        restart = read_wall(os.path.join(work, "run", "menu.html"))
        print("=== %s" % folder)
        print("program: %s" % args.program)
        print("run 1 (lookups): exit %s, %.1f s; run 2 (next start): exit %s, %.1f s; %d requests in run 1"
              % (code1, seconds1, code2, seconds2, sum(1 for r in web.requests if r["phase"] == 1)))
        summary = report_info(expected, movies, web, session, restart, args.verbose)
        report_pace(web)
        if expected["search"]:
            report_search(expected, movies, web)
        if movies["names"]:
            report_names(movies, session, args.verbose)
        summary["set"] = os.path.basename(os.path.normpath(folder))
        return summary
    finally:
        if args.keep:
            print("kept: %s" % work)
        else:
            shutil.rmtree(work, ignore_errors=True)


SUMMARY_COLUMNS = [("title+year", "title+year"), ("country", "country"), ("genre", "genre"),
                   ("overview", "plot, no script"), ("rating", "rating"), ("poster", "poster right"),
                   ("pictures", "pictures max/mean"), ("same", "same after restart")]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("pages", nargs="+", help="folders of real pages, each with its expected.json")
    parser.add_argument("--program", required=True)
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder and print where it is")
    parser.add_argument("-v", "--verbose", action="store_true", help="also print the wrong values as shown")
    parser.add_argument("--https", action="store_true", help="link every information page with an https address")
    args = parser.parse_args()
    signal.alarm(3 * RUN_SECONDS * len(args.pages))  # the whole measure ends by itself

    summaries = []
    for folder in args.pages:
        summaries.append(measure_set(args, os.path.abspath(folder)))
        print()
    print("Every measure per set (right, of the pages of the set; pictures = posters stored beside one video)")
    widths = [max(len(title), 9) for _, title in SUMMARY_COLUMNS]
    print("%-10s %5s  " % ("set", "pages") + "  ".join("%-*s" % (w, t) for w, (_, t) in zip(widths, SUMMARY_COLUMNS)))
    for summary in summaries:
        print("%-10s %5d  " % (summary["set"], summary["pages"]) +
              "  ".join("%-*s" % (w, summary[key]) for w, (key, _) in zip(widths, SUMMARY_COLUMNS)))


def resolve(page_address, address):
    return urllib.parse.urljoin(page_address, html.unescape(address)) if address else None


def judge_poster(entry, page_address, video):
    """Whether <video>.jpg is the page's poster (or nothing where the page has none), and how many stored."""
    stored = stored_pictures(video)
    wanted = {address_key(resolve(page_address, a)) for a in [entry.get("poster")] + list(entry.get("poster_also")
                                                                                        or []) if a}
    poster_file = os.path.basename(video) + ".jpg"
    shown = picture_name(os.path.join(os.path.dirname(video), poster_file)) if poster_file in stored else None
    right = shown in wanted if wanted else shown is None
    return right, len(stored), shown


def report_info(expected, movies, web, session, restart, verbose):
    columns = ["title", "year", "country", "genre", "rating", "plot", "noscript", "orig"]
    print()
    print("Information pages (values shown after the next start; 'same' = the session showed the same)")
    print("%-36s %s  %-6s %-6s %-4s %-6s %-4s" % ("page", " ".join("%-7s" % c for c in columns), "wall", "poster",
                                                  "pics", "links", "same"))
    totals = {c: 0 for c in columns + ["title+year", "overview", "wall", "poster", "links", "same"]}
    pictures = []
    count = 0
    numbers = {name: "%02d" % n for n, name in enumerate(sorted(expected["info"]), 1)}
    for path, name in sorted(movies["info"].items(), key=lambda item: item[1]):
        entry = expected["info"][name]
        count += 1
        file_name = os.path.basename(path)
        metadata = read_metadata(path) or {f: "" for f in FIELDS}
        shown = shown_fields(restart.get(path), file_name)
        seen = shown_fields(session.get(path), file_name)
        if shown is None:  # no wall item, or a value broke the tooltip's lines: take the file's values
            shown = [metadata[f] for f in FIELDS[:6]]
        verdict = judge_info(entry, shown, metadata["Overview"])
        text = (restart.get(path) or ("", ""))[1]
        wall = text.startswith("[%s%s]" % (squeeze(entry.get("country")), squeeze(entry.get("year"))))
        poster, stored, shown_picture = judge_poster(entry, web.info_address(numbers[name]), path)
        pictures.append(stored)
        links = len([p for p in metadata["movieurl"].split("`") if p])
        same = seen == shown
        verdict.update({"title+year": verdict["title"] and verdict["year"],
                        "overview": verdict["plot"] and verdict["noscript"], "wall": wall, "poster": poster,
                        "links": links > 0, "same": same})
        for key in totals:
            totals[key] += bool(verdict[key])
        print("%-36s %s  %-6s %-6s %-4d %-6s %-4s" % (name[:36], " ".join("%-7s" % mark(verdict[c]) for c in columns),
                                                      mark(wall), mark(poster), stored, links, mark(same)))
        if verbose:
            for c, value in zip(["title", "orig", "country", "year", "rating", "genre"], shown):
                if not verdict[c]:
                    print("    %s shown %r, expected %r" % (c, value[:120], entry.get(c if c != "orig" else
                                                                                     "original_title")))
            for c in ("plot", "noscript"):
                if not verdict[c]:
                    print("    %s: overview starts %r" % (c, metadata["Overview"][:120]))
            if not poster:
                print("    poster shown %r, expected %r" % (shown_picture, entry.get("poster")))
    most = max(pictures) if pictures else 0
    mean = sum(pictures) / len(pictures) if pictures else 0.0
    print("%-36s %s  %-6s %-6s %-4s %-6s %-4s" % ("right, of %d" % count, " ".join("%-7d" % totals[c] for c in columns),
                                                  totals["wall"], totals["poster"], most, totals["links"],
                                                  totals["same"]))
    print("title and year right: %d of %d; plot in overview without script: %d; poster right: %d; pictures per "
          "movie: at most %d, %.1f on average" % (totals["title+year"], count, totals["overview"], totals["poster"],
                                                 most, mean))
    referred = [r for r in web.requests if r["phase"] == 1 and r["type"].startswith("image/")]
    print("picture requests: %d, %d of them with the information page as Referer"
          % (len(referred), sum(1 for r in referred if r["referer"].startswith(("http://", "https://")))))
    summary = {key: "%d" % totals[key] for key in ("title+year", "country", "genre", "overview", "rating", "poster",
                                                    "same")}
    summary.update({"pages": count, "pictures": "%d/%.1f" % (most, mean)})
    return summary


def report_pace(web):
    """How the movie databases were asked: requests per site and the least time between two of them."""
    by_site = {}
    for request in web.requests:
        if request["phase"] != 1 or request["type"].startswith("image/"):
            continue
        host = urllib.parse.urlsplit(request["url"]).hostname or ""
        for site in DATABASES:
            if host == SITE_PAGES[site][1] or host.endswith("." + site + ".com"):
                by_site.setdefault(site, []).append(request["at"])
    for site, times in sorted(by_site.items()):
        gaps = [b - a for a, b in zip(times, times[1:])]
        print("%s: %d page requests, least time between two %s" % (site, len(times), "%.1f s" % min(gaps) if gaps
                                                                   else "-"))


def report_search(expected, movies, web):
    print()
    print("Search pages (after the search for the page's movie: requests for the real result targets)")
    print("%-40s %-6s %7s %9s %6s %9s %7s" % ("page", "engine", "targets", "requested", "https", "resolved",
                                               "others"))
    # The requests of the lookups in order: each search opens the stretch of the movie it names.
    stretches = {}
    current = None
    for request in web.requests:
        if request["phase"] != 1:
            continue
        parts = urllib.parse.urlsplit(request["url"])
        if parts.hostname in ("www.bing.com", "www.sogou.com") and parts.path in ("/search", "/web"):
            token = TOKEN.search(urllib.parse.unquote(parts.query, errors="replace"))
            current = token.group(1) + token.group(2) if token else None
            continue
        if current and not request["type"].startswith("image/"):
            stretches.setdefault(current, []).append(request)
    all_targets = all_requested = 0
    for number, name in enumerate(sorted(expected["search"]), 1):
        entry = expected["search"][name]
        requests = stretches.get("s%02d" % number, [])
        asked = {address_key(r["url"]): r for r in requests}
        targets = [r for r in entry["results"] if r["kind"] != "engine"]
        keys = {address_key(r["target"]) for r in targets}
        requested = [r for r in targets if address_key(r["target"]) in asked]
        https = [r for r in requested if asked[address_key(r["target"])]["scheme"] == "https"]
        resolved = [r for r in targets if r["kind"] == "sogou-link" and
                    address_key(web.resolved[address_key(r["target"])]) in asked]
        resolved_keys = {address_key(v) for v in web.resolved.values()}
        others = [k for k in asked if k not in keys and k not in resolved_keys]
        all_targets += len(targets)
        all_requested += len(requested)
        print("%-40s %-6s %7d %9d %6d %9s %7d" % (name[:40], entry["engine"], len(targets), len(requested), len(https),
                                                   "%d/%d" % (len(resolved), sum(r["kind"] == "sogou-link"
                                                                                  for r in targets)), len(others)))
    share = 100.0 * all_requested / all_targets if all_targets else 0.0
    print("real result targets requested: %d of %d (%.0f%%)" % (all_requested, all_targets, share))
    print("  (https: requested over TLS; resolved: a click-through token's reply read and its address requested;"
          " others: requests that are no result of the page, such as engine verticals or wrappers)")


def report_names(movies, wall, verbose):
    print()
    print("Release names (display title on the wall)")
    per_table = {}
    wrong = []
    for path, (table, row) in movies["names"].items():
        text = (wall.get(path) or ("", ""))[1]
        titles = [fold_title(t) for t in row.get("titles") or [row["title"]]]
        shown = fold_title(text)
        right = any(t and shown.startswith(t) for t in titles)
        done, total = per_table.get(table, (0, 0))
        per_table[table] = (done + right, total + 1)
        if not right:
            wrong.append((table, os.path.basename(path), text, row["title"]))
    all_right = sum(d for d, _ in per_table.values())
    all_names = sum(t for _, t in per_table.values())
    for table, (done, total) in sorted(per_table.items()):
        print("  %-32s %3d of %3d right (%.0f%%)" % (table, done, total, 100.0 * done / total if total else 0))
    print("display titles right: %d of %d (%.0f%%)" % (all_right, all_names,
                                                       100.0 * all_right / all_names if all_names else 0))
    if verbose:
        for table, name, text, title in wrong:
            print("    %s: %r shown as %r, expected %r" % (table, name, text, title))


if __name__ == "__main__":
    sys.exit(main())
