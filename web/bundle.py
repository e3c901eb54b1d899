#!/usr/bin/env python3
"""Makes the published site from the web build's site (build-web/site).

usage: bundle.py SITE OUT [--tar FILE]

Every file but the HTML pages is renamed with the first 12 hex digits of the SHA-256 of its
content (orrery3d.wasm -> orrery3d.0123456789ab.wasm), so a host may cache it for good: a
changed file gets a new name. The pages name the renamed files: their src and href attributes,
and the page's #orrery-files list, which the page script reads to find the program's .wasm and
the data package; their #orrery-sizes list gives every file's size, for the page's progress bar.
Every file over 1 KB also gets a gzip -9 copy beside it (FILE.gz) and a Brotli copy (FILE.br,
Debian's brotli), for hosts that serve precompressed files. With --tar the folder is also packed
into FILE (gzip), under a top folder named after FILE.

OUT is made anew. The same SITE gives the same bytes in OUT and in FILE. Prints the site's size
raw, as gzip and as Brotli would send it. Exit code 0 when done, 1 with the reason on standard
error when something cannot be read, written or compressed.
"""

import argparse
import concurrent.futures
import gzip
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import tarfile

HASH_DIGITS = 12
# A published file's name: name.<HASH_DIGITS hex digits>.ext (web/serve.py caches these for good).
HASHED_NAME = re.compile(r"\.[0-9a-f]{%d}\.[A-Za-z0-9]+$" % HASH_DIGITS)
COMPRESS_OVER = 1024  # bytes
FILES_LIST = re.compile(r'(<script id="orrery-files" type="application/json">)(.*?)(</script>)', re.S)
SIZES_LIST = re.compile(r'(<script id="orrery-sizes" type="application/json">)(.*?)(</script>)', re.S)
PAGE_SCRIPT = "page.js"
REFERENCE = re.compile(r'\b(src|href)="([^"#?:]+)"')


class BundleError(Exception):
    pass


def hashed_name(name, content):
    digest = hashlib.sha256(content).hexdigest()[:HASH_DIGITS]
    folder, base = os.path.split(name)
    stem, dot, suffix = base.rpartition(".")
    renamed = "%s.%s.%s" % (stem, digest, suffix) if dot and stem else "%s.%s" % (base, digest)
    return os.path.join(folder, renamed)


def site_files(site):
    """Every regular file under `site`, as paths relative to it, sorted."""
    names = []
    for folder, subfolders, files in os.walk(site):
        subfolders.sort()
        for file in files:
            path = os.path.join(folder, file)
            if os.path.isfile(path):
                names.append(os.path.relpath(path, site))
    return sorted(names)


def rewrite_page(name, text, renamed, sizes):
    """The page with its references and its #orrery-files list naming the renamed files, and its
    #orrery-sizes list giving their sizes (a host that compresses them sends other lengths)."""
    referenced = set()

    def reference(match):
        target = os.path.normpath(os.path.join(os.path.dirname(name), match.group(2)))
        if target not in renamed:
            return match.group(0)
        referenced.add(target)
        relative = os.path.relpath(renamed[target], os.path.dirname(name) or ".")
        return '%s="%s"' % (match.group(1), relative)

    text = REFERENCE.sub(reference, text)
    listing = json.dumps({plain: os.path.basename(published) for plain, published in sorted(renamed.items())},
                         separators=(",", ":"))
    text, lists = FILES_LIST.subn(lambda m: m.group(1) + listing + m.group(3), text)
    size_listing = json.dumps({plain: sizes[plain] for plain in sorted(renamed)}, separators=(",", ":"))
    text = SIZES_LIST.sub(lambda m: m.group(1) + size_listing + m.group(3), text)
    # The page script finds the program and its data through the list: without it, it would ask
    # for files the published site does not have.
    if lists == 0 and PAGE_SCRIPT in referenced:
        raise BundleError("%s loads %s but has no #orrery-files list for it" % (name, PAGE_SCRIPT))
    return text


def compress(path):
    """Writes PATH.gz and PATH.br beside PATH."""
    for suffix, command in ((".gz", ["gzip", "-9", "-n", "-c", path]),
                            (".br", ["brotli", "-q", "11", "-w", "24", "-c", path])):
        try:
            with open(path + suffix, "wb") as out:
                result = subprocess.run(command, stdout=out, stderr=subprocess.PIPE)
        except OSError as error:
            raise BundleError("cannot run %s: %s" % (command[0], error.strerror))
        if result.returncode != 0:
            raise BundleError("%s %s failed: %s" % (command[0], path, result.stderr.decode(errors="replace").strip()))


def write_tar(out, tar_path, epoch):
    top = os.path.basename(tar_path)
    for ending in (".tar.gz", ".tgz"):
        if top.endswith(ending):
            top = top[: -len(ending)]

    def entry(info):
        info.mtime = epoch
        info.uid = info.gid = 0
        info.uname = info.gname = "root"
        info.mode = 0o755 if info.isdir() else 0o644
        return info

    with open(tar_path, "wb") as raw, gzip.GzipFile(fileobj=raw, mode="wb", compresslevel=9, mtime=epoch) as packed:
        with tarfile.open(fileobj=packed, mode="w", format=tarfile.PAX_FORMAT) as tar:
            tar.add(out, arcname=top, recursive=False, filter=entry)
            for name in site_files(out):
                tar.add(os.path.join(out, name), arcname=os.path.join(top, name), filter=entry)


def bundle(site, out, tar_path):
    site = os.path.abspath(site)
    out = os.path.abspath(out)
    if not os.path.isfile(os.path.join(site, "index.html")):
        raise BundleError("%s has no index.html: build the web version first (scripts/web --build)" % site)
    if out == site or out.startswith(site + os.sep) or site.startswith(out + os.sep):
        raise BundleError("the published site %s may not lie inside the web build's site %s or around it" % (out, site))

    names = site_files(site)
    contents = {}
    for name in names:
        with open(os.path.join(site, name), "rb") as file:
            contents[name] = file.read()
    pages = [name for name in names if name.endswith(".html")]
    renamed = {name: hashed_name(name, contents[name]) for name in names if name not in pages}
    published = {renamed[name]: contents[name] for name in renamed}
    file_sizes = {plain: len(contents[plain]) for plain in renamed}
    for name in pages:
        published[name] = rewrite_page(name, contents[name].decode("utf-8"), renamed, file_sizes).encode("utf-8")

    shutil.rmtree(out, ignore_errors=True)
    for name, content in sorted(published.items()):
        path = os.path.join(out, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as file:
            file.write(content)

    large = [os.path.join(out, name) for name, content in sorted(published.items()) if len(content) > COMPRESS_OVER]
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 1) as pool:
        list(pool.map(compress, large))  # raises the first failure

    sizes = {"raw": 0, "gzip": 0, "brotli": 0}
    for name, content in published.items():
        path = os.path.join(out, name)
        sizes["raw"] += len(content)
        for key, suffix in (("gzip", ".gz"), ("brotli", ".br")):
            sizes[key] += os.path.getsize(path + suffix) if os.path.exists(path + suffix) else len(content)
    if tar_path:
        epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "0"))
        write_tar(out, os.path.abspath(tar_path), epoch)
    return sizes


def main():
    parser = argparse.ArgumentParser(description="Makes the published site from the web build's site.")
    parser.add_argument("site", help="the web build's site (build-web/site)")
    parser.add_argument("out", help="folder to write the published site into (made anew)")
    parser.add_argument("--tar", help="also pack the published site into this .tar.gz file")
    options = parser.parse_args()
    try:
        sizes = bundle(options.site, options.out, options.tar)
    except (BundleError, OSError) as error:
        message = str(error) if isinstance(error, BundleError) else "%s: %s" % (error.filename, error.strerror)
        sys.stderr.write("bundle: %s\n" % message)
        return 1
    print("bundle: %s: %d bytes raw, %d as gzip, %d as brotli" % (options.out, sizes["raw"], sizes["gzip"], sizes["brotli"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
