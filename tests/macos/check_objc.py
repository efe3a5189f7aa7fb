"""The Objective-C++ sources, checked on a machine without a Mac.

1. Every .mm file compiles (syntax and types, ARC, -Werror) against the declarations of the
   Apple APIs in tests/macos/sdk; MacSystem.mm also with Sparkle.
2. The check bites: a misspelt selector, a wrong argument type and a missing bridge cast each
   make it fail.
3. Every abstract service the Platform holds has a macOS implementation, and the principal
   class answers every selector of the extension's action table.
4. The Apple build graph, configured as for Darwin (CMake's file API): every compile step of
   the appex and of each library it links carries -fapplication-extension, it links exactly
   the macOS layer's extension services (no host-only source, no host-only API, no host-only
   framework), it is entered through NSExtensionMain, and the bundles are signed where they
   ship, never with --deep.

Usage: check_objc.py CLANG SOURCE_ROOT CMAKE
"""
import json
import re
import subprocess
import sys
import tempfile
from pathlib import Path

clang, root, cmake = sys.argv[1], Path(sys.argv[2]), sys.argv[3]
sdk = root / "tests/macos/sdk"
flags = ["-x", "objective-c++", "-std=c++20", "-fobjc-arc", "-fblocks",
         "-fobjc-runtime=macosx-10.15", "-fsyntax-only", "-Wall", "-Wextra", "-Werror",
         "-isystem", str(sdk), "-I", str(root)]
sources = sorted(root.glob("platform/macos/*.mm")) + sorted(root.glob("extension/macos/*.mm")) \
    + sorted(root.glob("app/*.mm")) + sorted(root.glob("tests/platform/macos/*.mm"))
assert len(sources) >= 12, sources


def compiles(path, extra=()):
    run = subprocess.run([clang, *flags, *extra, str(path)], capture_output=True, text=True)
    return run.returncode == 0, run.stderr


builds = [(s, []) for s in sources] + [(root / "platform/macos/MacSystem.mm",
                                        ["-DORVANE_HAS_SPARKLE=1"])]
failures = [f"{s.relative_to(root)} {' '.join(x)}\n{why}" for s, x in builds
            for good, why in [compiles(s, x)] if not good]
assert not failures, "\n".join(failures)

# Each fault is made in a copy beside the original, so its includes still resolve.
faults = [
    ("platform/macos/MacServices.mm", "clearContents]", "clearContent]", "misspelt selector"),
    ("platform/macos/MacServices.mm", "setBool:value forKey:toNS(key)",
     "setBool:value forKey:key", "wrong argument type"),
    ("platform/macos/MacSystem.mm", "(__bridge CFDictionaryRef)options", "(CFDictionaryRef)options",
     "missing bridge cast"),
]
for path, good, bad, what in faults:
    original = (root / path).read_text()
    assert good in original, f"{path} no longer holds {good!r}"
    with tempfile.NamedTemporaryFile("w", suffix=".mm", dir=(root / path).parent) as copy:
        copy.write(original.replace(good, bad, 1))
        copy.flush()
        assert not compiles(copy.name)[0], f"the check missed a {what} in {path}"

# Every abstract service of the Platform, implemented on macOS.
platform_h = (root / "platform/Platform.h").read_text()
services = set(re.findall(r"^\s+(\w+)& \w+;", platform_h, re.M))
headers = "".join(p.read_text() for p in (root / "platform").glob("*.h"))
abstract = {s for s in services
            if re.search(r"class " + s + r"\b[^{]*\{(?:(?!\n\};).)*= 0;", headers, re.S)}
mac = "".join(p.read_text() for p in (root / "platform/macos").glob("*.h"))
implemented = set(re.findall(r"class \w+ final : public (?:\w+::)?(\w+)", mac))
assert abstract and not abstract - implemented, f"no macOS implementation: {abstract - implemented}"

# Every selector of the action table, answered by the principal class.
table = (root / "extension/FinderSync.cpp").read_text()
selectors = re.findall(r'\{"(\w+:)", &FinderSync::', table)
principal = (root / "extension/macos/FinderSyncPrincipal.mm").read_text()
forwarded = re.findall(r'^- \(IBAction\)(\w+:)\(id\)sender \{ \[self forward:"(\w+:)"\]; \}', principal,
                       re.M)
assert len(selectors) == 20 and sorted(selectors) == sorted(a for a, b in forwarded if a == b), \
    (selectors, forwarded)
# The Apple build graph, without an Apple toolchain: compiler checks are skipped, nothing runs.
with tempfile.TemporaryDirectory() as build:
    api = Path(build) / ".cmake/api/v1"
    (api / "query").mkdir(parents=True)
    (api / "query/codemodel-v2").touch()
    configure = subprocess.run(
        [cmake, "-S", str(root), "-B", build, "-G", "Ninja", "-DCMAKE_SYSTEM_NAME=Darwin",
         f"-DCMAKE_CXX_COMPILER={clang}", f"-DCMAKE_OBJCXX_COMPILER={clang}",
         "-DCMAKE_CXX_COMPILER_WORKS=1", "-DCMAKE_OBJCXX_COMPILER_WORKS=1",
         "-DCMAKE_INSTALL_NAME_TOOL=/bin/true", "-DORVANE_BUILD_TESTS=OFF"],
        capture_output=True, text=True)
    assert configure.returncode == 0, configure.stderr
    graph = (Path(build) / "build.ninja").read_text()
    reply = api / "reply"
    index = json.loads(next(reply.glob("index-*.json")).read_text())
    model = json.loads((reply / index["reply"]["codemodel-v2"]["jsonFile"]).read_text())
    targets = [json.loads((reply / t["jsonFile"]).read_text())
               for t in model["configurations"][0]["targets"]]
appex = next(t for t in targets if t["name"] == "OrvaneExtension")
links = [f["fragment"] for f in appex["link"]["commandFragments"] if f["role"] == "libraries"]
linked = [appex] + [t for t in targets for a in t.get("artifacts", []) if a["path"] in links]
assert len(linked) == 1 + sum(link.endswith(".a") for link in links), (links, linked)
unsafe = [t["name"] for t in linked for group in t["compileGroups"] if "-fapplication-extension"
          not in [f["fragment"] for f in group["compileCommandFragments"]]]
assert not unsafe, f"compiled without -fapplication-extension, linked into the appex: {unsafe}"
appex_sources = [s["path"] for t in linked for s in t["sources"] if "compileGroupIndex" in s]
appex_mm = sorted(s for s in appex_sources if s.endswith(".mm"))
assert appex_mm == [
    "extension/macos/FinderSyncPrincipal.mm", "platform/macos/MacExtensionPlatform.mm",
    "platform/macos/MacFiles.mm", "platform/macos/MacImages.mm", "platform/macos/MacMenus.mm",
    "platform/macos/MacServices.mm"], appex_sources
host_api = re.compile(r"\b(NSApp|NSStatusBar|NSAppleScript|SMAppService|NSAlert|AXIsProcess|SPU)")
host_calls = [s for s in appex_mm if host_api.search((root / s).read_text())]
assert not host_calls, f"host-only API in the appex: {host_calls}"
assert not re.search("ServiceManagement|ApplicationServices|Sparkle", " ".join(links)), links
assert "-fapplication-extension -e _NSExtensionMain" in graph
assert "--deep" not in graph
# The signing order is sign.sh's, which check_release.py holds.
assert graph.index("ditto") < graph.index("packaging/macos/sign.sh"), "signed where it ships"
print(f"{len(sources)} sources compile; 3 faults caught; {len(abstract)} services, "
      f"{len(selectors)} selectors covered; {len(appex_sources)} appex sources extension-safe")
