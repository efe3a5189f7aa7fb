"""The release script's dry run, on any machine: every step in its order, the bundles signed
innermost first and never with --deep, the keychain deleted last; and without any one of its
variables it stops at once, naming it.

Usage: check_release.py SOURCE_ROOT
"""
import os
import re
import subprocess
import sys
from pathlib import Path

root = Path(sys.argv[1])
names = ["MACOS_CERTIFICATE_P12", "MACOS_CERTIFICATE_PASSWORD", "NOTARY_API_KEY",
         "NOTARY_API_KEY_ID", "NOTARY_API_ISSUER_ID", "SPARKLE_PRIVATE_KEY", "SPARKLE_PUBLIC_KEY",
         "SPARKLE_FEED_URL", "SPARKLE_DIR", "GITHUB_REPOSITORY", "GH_TOKEN"]
env = {**os.environ, **{name: f"value-of-{name}" for name in names},
       "MACOS_SIGNING_IDENTITY": "Developer ID Application: Tamsel (K4W7P2Z9QD)"}


def release(environment):
    return subprocess.run([root / "packaging/macos/release.sh", "--dry-run"], env=environment,
                          capture_output=True, text=True)


steps = ["security create-keychain", "security import", "cmake --build",
         "codesign .*Installer.xpc", "codesign .*Downloader.xpc", "codesign .*Autoupdate",
         "codesign .*Updater.app", "codesign .*Sparkle.framework$",
         "codesign .*--timestamp .*OrvaneExtension.appex$",
         r"codesign .*--timestamp .*Orvane\+.app$",
         "ln -s /Applications", "hdiutil create", r"codesign --force .*\.dmg$",
         "notarytool submit .*--wait", r"stapler staple .*\.dmg$", r"spctl --assess .*\.dmg$",
         r"codesign --verify --strict .*\.dmg$", "generate_appcast", "gh release create",
         "security delete-keychain"]
run = release(env)
assert run.returncode == 0 and "--deep" not in run.stdout, run.stdout + run.stderr
lines = iter(run.stdout.splitlines())
missing = [step for step in steps if not any(re.search(step, line) for line in lines)]
assert not missing, f"not printed, or out of order: {missing}\n{run.stdout}"
assert not re.search("value-of-(MACOS_CERT|NOTARY|SPARKLE_PRIVATE)", run.stdout), "a secret shown"
for name in names + ["MACOS_SIGNING_IDENTITY"]:
    run = release({k: v for k, v in env.items() if k != name})
    assert run.returncode != 0 and f"{name} is not set" in run.stderr and not run.stdout, run
print(f"{len(steps)} steps in order; {len(names) + 1} variables required")
