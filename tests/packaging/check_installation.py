#!/usr/bin/env python3
"""Usage: check_installation.py tree|package BUILD_DIR VERSION

tree:    installs the build into temporary DESTDIRs (prefixes /usr and
         /opt/pilewatch) and checks the installed tree: exactly the app's
         files, valid desktop entry and metainfo, an Exec and an Icon that
         resolve to installed files, icon sizes, versions that agree.
package: builds the Debian package with CPack into a temporary folder and
         checks it with dpkg-deb (fields, dependencies, file list, a stripped
         executable) and lintian (no errors or warnings).

Prints a line per check and exits 0 when all hold, 1 otherwise."""

import configparser
import gzip
import os
import re
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
from pathlib import Path

APP_ID = "io.pilewatch.Pilewatch"
PNG_SIZES = (16, 24, 32, 48, 64, 128, 256, 512)
# Packages the app needs at run time: the Qt libraries it links (found by
# dpkg-shlibdeps, so with a version), and the plugins Qt loads.
LINKED = ("libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6dbus6")
LOADED = ("qt6-qpa-plugins", "libqt6svg6")

failures = []


def check(what, ok, detail=""):
    print(f"{'ok  ' if ok else 'FAIL'} {what}{': ' + detail if detail and not ok else ''}",
          flush=True)
    if not ok:
        failures.append(what)
    return ok


def run(*command, env=None):
    return subprocess.run(command, capture_output=True, text=True, env=env)


def expected_files():
    """The installed files, relative to the prefix."""
    icons = "share/icons/hicolor"
    files = {
        "bin/pilewatch",
        f"share/applications/{APP_ID}.desktop",
        f"share/metainfo/{APP_ID}.metainfo.xml",
        f"{icons}/scalable/apps/{APP_ID}.svg",
        f"{icons}/symbolic/apps/{APP_ID}-symbolic.svg",
        "share/man/man1/pilewatch.1.gz",
        "share/doc/pilewatch/copyright",
        "share/doc/pilewatch/changelog.gz",
    }
    files |= {f"{icons}/{s}x{s}/apps/{APP_ID}.png" for s in PNG_SIZES}
    return files


def png_size(path):
    with open(path, "rb") as png:
        header = png.read(24)
    if header[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    return struct.unpack(">II", header[16:24])


def read_desktop_entry(path):
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str  # keys are case-sensitive
    parser.read(path, encoding="utf-8")
    return parser["Desktop Entry"]


def check_tree(build_dir, version, prefix):
    with tempfile.TemporaryDirectory() as destdir:
        env = dict(os.environ, DESTDIR=destdir)
        result = run("cmake", "--install", build_dir, "--prefix", prefix, env=env)
        if not check(f"[{prefix}] cmake --install", result.returncode == 0, result.stderr):
            return
        root = Path(destdir + prefix)
        everything = {str(p.relative_to(destdir)) for p in Path(destdir).rglob("*") if p.is_file()}
        installed = {str(p.relative_to(root)) for p in root.rglob("*") if p.is_file()}
        check(f"[{prefix}] everything lies under DESTDIR and the prefix",
              len(everything) == len(installed), str(sorted(everything)))
        check(f"[{prefix}] exactly the app's files are installed", installed == expected_files(),
              f"missing {sorted(expected_files() - installed)}, "
              f"unexpected {sorted(installed - expected_files())}")

        desktop = root / f"share/applications/{APP_ID}.desktop"
        metainfo = root / f"share/metainfo/{APP_ID}.metainfo.xml"
        result = run("desktop-file-validate", str(desktop))
        check(f"[{prefix}] desktop-file-validate", result.returncode == 0 and not result.stdout,
              result.stdout + result.stderr)
        result = run("appstreamcli", "validate", "--no-net", str(metainfo))
        check(f"[{prefix}] appstreamcli validate --no-net", result.returncode == 0,
              result.stdout + result.stderr)
        if prefix == "/usr":  # the tree check expects the usual layout
            result = run("appstreamcli", "validate-tree", "--no-net", destdir)
            check("appstreamcli validate-tree --no-net", result.returncode == 0,
                  result.stdout + result.stderr)
        if not desktop.exists() or not metainfo.exists():
            return

        entry = read_desktop_entry(desktop)
        check(f"[{prefix}] desktop entry names Pilewatch", entry.get("Name") == "Pilewatch")
        executable = root / "bin" / entry.get("Exec", "").split(" ")[0]
        check(f"[{prefix}] Exec resolves to the installed executable",
              executable.is_file() and os.access(executable, os.X_OK), str(executable))
        icon = entry.get("Icon", "")
        themed = sorted(str(p.relative_to(root))
                        for p in root.glob(f"share/icons/hicolor/*/apps/{icon}.*"))
        check(f"[{prefix}] Icon resolves to the installed scalable and 48×48 icons",
              f"share/icons/hicolor/scalable/apps/{icon}.svg" in themed
              and f"share/icons/hicolor/48x48/apps/{icon}.png" in themed, str(themed))
        for size in PNG_SIZES:
            path = root / f"share/icons/hicolor/{size}x{size}/apps/{APP_ID}.png"
            if path.exists():
                check(f"[{prefix}] {size}×{size} icon is a {size}×{size} PNG",
                      png_size(path) == (size, size), str(png_size(path)))

        component = ElementTree.parse(metainfo).getroot()
        check(f"[{prefix}] metainfo id and launchable match the desktop entry",
              component.findtext("id") + ".desktop" == desktop.name
              and component.findtext("launchable[@type='desktop-id']") == desktop.name)
        release = component.find("releases/release")
        check(f"[{prefix}] metainfo's newest release is {version}",
              release is not None and release.get("version") == version)
        with gzip.open(root / "share/doc/pilewatch/changelog.gz", "rt") as changelog:
            first = changelog.readline()
        check(f"[{prefix}] changelog's newest entry is {version}",
              first.startswith(f"pilewatch ({version})"), first)
        with gzip.open(root / "share/man/man1/pilewatch.1.gz", "rt") as manual:
            check(f"[{prefix}] manual page", manual.readline().startswith(".TH PILEWATCH 1"))


def check_package(build_dir, version):
    with tempfile.TemporaryDirectory() as out:
        result = run("cpack", "--config", f"{build_dir}/CPackConfig.cmake", "-B", out)
        debs = list(Path(out).glob(f"pilewatch_{version}_*.deb"))
        if not check("cpack builds pilewatch_<version>_<arch>.deb",
                     result.returncode == 0 and len(debs) == 1, result.stdout + result.stderr):
            return
        deb = str(debs[0])
        print(f"     {debs[0].name}: {debs[0].stat().st_size} bytes", flush=True)

        def field(name):
            return run("dpkg-deb", "--field", deb, name).stdout.strip()

        check("Package and Version", (field("Package"), field("Version")) == ("pilewatch", version))
        depends = {d.strip() for d in field("Depends").split(",")}
        names = {re.sub(r"\s*\(.*\)", "", d) for d in depends}
        check("Depends names every linked Qt and C++ library, with versions from its symbols",
              all(any(d.startswith(f"{p} (>= ") for d in depends) for p in LINKED),
              field("Depends"))
        check("Depends names the Qt plugins loaded at run time", all(p in names for p in LOADED),
              field("Depends"))

        listing = run("dpkg-deb", "--contents", deb).stdout.splitlines()
        entries = {line.split()[-1].lstrip("."): line.split()[:2] for line in listing}
        files = {path for path, (mode, _) in entries.items() if not mode.startswith("d")}
        expected = {f"/usr/{f}" for f in expected_files()}
        check("the package holds exactly the app's files under /usr", files == expected,
              f"missing {sorted(expected - files)}, unexpected {sorted(files - expected)}")
        check("every entry is owned by root", all(o == "root/root" for _, o in entries.values()))
        check("the executable is -rwxr-xr-x",
              entries.get("/usr/bin/pilewatch", [""])[0] == "-rwxr-xr-x")
        with tempfile.TemporaryDirectory() as unpacked:
            run("dpkg-deb", "--extract", deb, unpacked)
            sections = run("readelf", "--section-headers", f"{unpacked}/usr/bin/pilewatch").stdout
            check("the executable is stripped", ".text" in sections and ".debug" not in sections)

        result = run("lintian", "--fail-on", "error,warning", deb)
        check("lintian finds no errors or warnings", result.returncode == 0,
              result.stdout + result.stderr)


def main():
    mode, build_dir, version = sys.argv[1:4]
    if mode == "tree":
        for prefix in ("/usr", "/opt/pilewatch"):
            check_tree(build_dir, version, prefix)
    else:
        check_package(build_dir, version)
    return 1 if failures else 0


sys.exit(main())
