"""The bundles' metadata as CMake writes it, read by Python's plistlib, held key by key to what
macOS needs of each bundle: identifiers, package types, the agent and extension keys, the URL
scheme, the minimum system, the languages (those of both bundles' .lproj folders, alike), and
exactly the entitlements each deliverable is signed with.

Usage: check_bundle_metadata.py FOLDER VERSION BUILD APP_RESOURCES EXTENSION_RESOURCES
(FOLDER holds Orvane+/ and OrvaneExtension/).
"""
import plistlib
import sys
from pathlib import Path

folder, version, build = Path(sys.argv[1]), sys.argv[2], sys.argv[3]
languages = [sorted(lproj.stem for lproj in Path(r).glob("*.lproj")) for r in sys.argv[4:6]]
assert languages[0] == languages[1], languages


def read(path):
    return plistlib.loads((folder / path).read_bytes())


app, ext = read("Orvane+/Info.plist"), read("OrvaneExtension/Info.plist")
common = {"CFBundleDevelopmentRegion": "en", "CFBundleDisplayName": "Orvane+",
          "CFBundleInfoDictionaryVersion": "6.0", "CFBundleShortVersionString": version,
          "CFBundleVersion": build, "LSMinimumSystemVersion": "26.0",
          "NSHumanReadableCopyright": "© 2026 Tamsel", "CFBundleLocalizations": languages[0]}
usage = app.pop("NSAppleEventsUsageDescription")
assert usage.strip(), "the Automation prompt needs a reason"
assert app == {**common, "CFBundleExecutable": "Orvane+", "CFBundleIdentifier": "tamsel.Orvane-",
               "CFBundleName": "Orvane+", "CFBundlePackageType": "APPL", "LSUIElement": True,
               "NSPrincipalClass": "NSApplication",
               "CFBundleURLTypes": [{"CFBundleURLName": "tamsel.Orvane-",
                                     "CFBundleURLSchemes": ["orvaneplus"]}]}, app
assert ext == {**common, "CFBundleExecutable": "OrvaneExtension",
               "CFBundleIdentifier": app["CFBundleIdentifier"] + ".OrvaneExtension",
               "CFBundleName": "OrvaneExtension", "CFBundlePackageType": "XPC!",
               "NSExtension": {"NSExtensionPointIdentifier": "com.apple.FinderSync",
                               "NSExtensionPrincipalClass": "FinderSync"}}, ext

group = ["K4W7P2Z9QD.tamsel.Orvane"]
assert read("Orvane+/Orvane+.entitlements") == {
    "com.apple.security.app-sandbox": False, "com.apple.security.application-groups": group,
    "com.apple.security.automation.apple-events": True, "com.apple.security.files.all": True,
    "com.apple.security.files.user-selected.read-write": True}
assert read("OrvaneExtension/OrvaneExtension.entitlements") == {
    "com.apple.security.app-sandbox": True, "com.apple.security.application-groups": group,
    "com.apple.security.files.user-selected.read-write": True}
